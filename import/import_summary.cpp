#include "import/import_summary.h"

namespace hv::import {

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
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace hv::import
