#include "core/user_collator.h"

#include <QLocale>

namespace hv {

QCollator userCollator()
{
    const QLocale user;
    QCollator collator(user.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : user);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

}  // namespace hv
