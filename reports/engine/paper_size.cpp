#include "reports/engine/paper_size.h"

#include <QFile>
#include <array>
#include <optional>

namespace hv::reports {

namespace {

// The paper a paper name stands for ("a4", "Letter"), as paperconf spells them.
std::optional<QPageSize> paperOfName(const QString& word)
{
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
    const QString name = word.trimmed().toLower();
    for (const auto& [known, id] : kNames) {
        if (name == QLatin1String(known))
            return QPageSize(id);
    }
    return std::nullopt;
}

// The paper a paper file names: its first word that is not a comment.
std::optional<QPageSize> paperOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    // A few lines at most; a file of another kind is not read to its end.
    for (int lines = 0; lines < 100 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(256)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        return paperOfName(line.section(QLatin1Char(' '), 0, 0));
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
    // A paper named outright is the user's own choice, above any locale.
    if (const auto named = paperOfName(environment.value(QStringLiteral("PAPERSIZE"))))
        return *named;
    QString name;
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        name = environment.value(QString::fromLatin1(variable));
        if (!name.isEmpty())
            break;
    }
    // "de_DE.UTF-8" and "de_DE@euro" name the locale before the dot or the @.
    const QString locale = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (!locale.isEmpty() && locale != u"C" && locale != u"POSIX")
        return paperForLocale(QLocale(locale));
    const QString namedFile = environment.value(QStringLiteral("PAPERCONF"));
    return paperOfFile(namedFile.isEmpty() ? papersizeFile : namedFile).value_or(QPageSize(QPageSize::Letter));
}

}  // namespace hv::reports
