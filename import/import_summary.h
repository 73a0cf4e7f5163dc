#pragma once

#include <QDate>
#include <QList>
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
    // Entries imported as found whose hours no entry may have now (below 0,
    // above 24), and those with 0 hours: their IDs in the old file.
    QList<qint64> entriesWithHoursOutOfRange;
    QList<qint64> entriesWithZeroHours;
    // An employee's day whose entries pass 24 hours, the employee named by
    // the ID in the old file.
    struct BusyDay {
        qint64 employee = 0;
        QDate day;
        double hours = 0;
        bool operator==(const BusyDay&) const = default;
    };
    QList<BusyDay> busyDays;

    // The summary in a few lines, joined by CR LF.
    QString text() const;
};

}  // namespace hv::import
