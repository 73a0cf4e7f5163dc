#include "import/import_summary.h"

#include "core/hours_rule.h"
#include "core/locale_text.h"

namespace hv::import {

namespace {

// The first few of a list named in a summary line, "…" for the rest.
constexpr qsizetype kNamedAtMost = 10;

QString firstOf(const QStringList& names)
{
    QStringList shown = names.mid(0, kNamedAtMost);
    if (names.size() > kNamedAtMost)
        shown << QString(QChar(0x2026));
    return shown.join(QStringLiteral(", "));
}

QString idsLine(const QString& what, const QList<qint64>& ids)
{
    QStringList names;
    for (const qint64 id : ids)
        names << QString::number(id);
    return QStringLiteral("%1: %2 (%3 %4).")
        .arg(what)
        .arg(ids.size())
        .arg(ids.size() == 1 ? QStringLiteral("ID") : QStringLiteral("IDs"), firstOf(names));
}

}  // namespace

QString ImportSummary::text() const
{
    QStringList lines;
    lines << QStringLiteral("Imported from '%1':").arg(file);
    lines << QStringLiteral("%1 employees, %2 work codes, %3 entries (%4).")
                 .arg(employees)
                 .arg(workCodes)
                 .arg(entries)
                 .arg(idsKept ? QStringLiteral("with the IDs of the old file")
                              : QStringLiteral("with new IDs, as the database already held rows"));
    lines << QStringLiteral("Entries with a missing employee or work code: %1.").arg(entriesWithMissingLink);
    lines << QStringLiteral("Columns ignored: %1.")
                 .arg(ignoredColumns.isEmpty() ? QStringLiteral("none") : ignoredColumns.join(QStringLiteral(", ")));
    const QString limit = text::numberToText(HoursRule::kMostInOneEntry);
    if (!entriesWithHoursOutOfRange.isEmpty())
        lines << idsLine(QStringLiteral("Entries with hours below 0 or above %1, imported as found").arg(limit),
                         entriesWithHoursOutOfRange);
    if (!entriesWithZeroHours.isEmpty())
        lines << idsLine(QStringLiteral("Entries with 0 hours"), entriesWithZeroHours);
    if (!busyDays.isEmpty()) {
        QStringList days;
        for (const BusyDay& busy : busyDays)
            days << QStringLiteral("employee %1 on %2: %3 hours")
                        .arg(QString::number(busy.employee), text::dateToText(busy.day), text::numberToText(busy.hours));
        lines << QStringLiteral("Days on which one employee has more than %1 hours: %2 (%3).")
                     .arg(text::numberToText(HoursRule::kMostInOneDay))
                     .arg(busyDays.size())
                     .arg(firstOf(days));
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace hv::import
