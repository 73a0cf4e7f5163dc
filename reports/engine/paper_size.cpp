#include "reports/engine/paper_size.h"

#include <array>

namespace hv::reports {

QPageSize paperForLocale(const QLocale& locale)
{
    static constexpr std::array kLetter{
        QLocale::UnitedStates, QLocale::Canada,     QLocale::Mexico,      QLocale::Chile,
        QLocale::Colombia,     QLocale::CostaRica,  QLocale::DominicanRepublic, QLocale::ElSalvador,
        QLocale::Guatemala,    QLocale::Nicaragua,  QLocale::Panama,      QLocale::PuertoRico,
        QLocale::Venezuela,    QLocale::Philippines, QLocale::AnyTerritory};
    const QLocale::Territory territory = locale.territory();
    for (QLocale::Territory letter : kLetter) {
        if (territory == letter)
            return QPageSize(QPageSize::Letter);
    }
    if (locale.measurementSystem() == QLocale::ImperialUSSystem)
        return QPageSize(QPageSize::Letter);
    return QPageSize(QPageSize::A4);
}

}  // namespace hv::reports
