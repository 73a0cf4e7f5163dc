#pragma once

#include <QString>
#include <QStringList>

namespace hv::import {

// What an import brought in, for the summary shown at its end.
struct ImportSummary {
    QString file;
    qint64 employees = 0;
    qint64 workCodes = 0;
    qint64 entries = 0;
    // Entries whose employee or work code the old file does not hold.
    qint64 entriesWithMissingLink = 0;
    // True when the old IDs were kept (the database was empty), false when
    // every row received a new one.
    bool idsKept = false;
    // Columns of the old tables that were not imported, as "[Table].[Column]".
    QStringList ignoredColumns;

    // The summary in a few lines, joined by CR LF.
    QString text() const;
};

}  // namespace hv::import
