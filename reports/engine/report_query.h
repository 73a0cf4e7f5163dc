#pragma once

#include "reports/engine/report_options.h"

#include <QString>
#include <QStringList>

namespace hv::reports {

// The rows a report is drawn from: a stored report query sorted by one of
// its columns. With every choice at its default the report reads the SQL
// text of its design; a period, an employee or a work code chosen is
// selected by the database in the same text, so that only the rows the
// report prints are read.
struct ReportQuery {
    QString source;       // the stored query, "Billable Hours"
    QString orderColumn;  // the column the report is sorted by

    // "select * from [source] order by [orderColumn]", the design's text.
    QString text() const;
    // The rows the choices keep, in the same order: text() itself when they
    // keep every row. A day is in a period whatever its time of day; an
    // entry without a date is in the period of all dates alone; an empty
    // name chosen stands for every row whose name is empty or missing.
    QString selecting(const ReportOptions& options) const;
    // The distinct pairs of employee and work code names of the rows of a
    // period, as the choices offer them.
    QString namesIn(const DatePeriod& period) const;

    // The days of a period as conditions on the stored dates: from its
    // first day on, and before the day after its last. Dates are compared
    // as the engine holds them, which the index of the dates can answer.
    static QStringList periodConditions(const DatePeriod& period);
};

}  // namespace hv::reports
