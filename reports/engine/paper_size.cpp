#include "reports/engine/paper_size.h"

#include <QFile>
#include <array>
#include <optional>

namespace hv::reports {

namespace {

// The paper a paper file names: its first word that is not a comment.
std::optional<QPageSize> paperOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    static const std::array<std::pair<const char*, QPageSize::PageSizeId>, 9> kNames{{
        {"a3", QPageSize::A3},
        {"a4", QPageSize::A4},
        {"a5", QPageSize::A5},
        {"b4", QPageSize::B4},
        {"b5", QPageSize::B5},
        {"letter", QPageSize::Letter},
        {"legal", QPageSize::Legal},
        {"executive", QPageSize::Executive},
        {"tabloid", QPageSize::Tabloid},
    }};
    // A few lines at most; a file of another kind is not read to its end.
    for (int lines = 0; lines < 100 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(256)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString word = line.section(QLatin1Char(' '), 0, 0).toLower();
        for (const auto& [name, id] : kNames) {
            if (word == QLatin1String(name))
                return QPageSize(id);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

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

QPageSize paperForEnvironment(const QProcessEnvironment& environment, const QString& papersizeFile)
{
    QString name;
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        name = environment.value(QString::fromLatin1(variable));
        if (!name.isEmpty())
            break;
    }
    // "de_DE.UTF-8" and "de_DE@euro" name the locale before the dot or the @.
    const QString locale = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (locale.isEmpty() || locale == u"C" || locale == u"POSIX")
        return paperOfFile(papersizeFile).value_or(QPageSize(QPageSize::Letter));
    return paperForLocale(QLocale(locale));
}

}  // namespace hv::reports
