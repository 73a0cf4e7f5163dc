#pragma once

#include "import/import_summary.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <optional>

namespace hv::import {

// The tally of an import's entries whose hours the program would refuse or
// ask about (HoursRule): they are kept as the old file holds them, and the
// summary names them.
class UnusualHours {
public:
    // One entry of the old file: its ID, its employee's ID in the old file
    // (none when it has none), its day (null when it has none) and its hours.
    void add(qint64 entry, std::optional<qint64> employee, const QDate& day, double hours);

    // Writes what was found into the summary.
    void report(ImportSummary& summary) const;

private:
    QList<qint64> m_outOfRange;
    QList<qint64> m_zero;
    // The hours of each employee's day: (employee, Julian day) -> hours.
    QHash<std::pair<qint64, qint64>, double> m_days;
};

}  // namespace hv::import
