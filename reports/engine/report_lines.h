#pragma once

#include "reports/engine/hours_total.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_options.h"

#include <QString>
#include <vector>

namespace hv::reports {

class ReportRows;

// One printed line of a report: an entry (a row of the data source), the
// subtotal of a group of entries, or the grand total.
struct ReportLine {
    enum Kind { Entry, Subtotal, GrandTotal };
    Kind kind = Entry;
    int row = -1;      // the entry's row
    QString group;     // a subtotal's name (employee or work code)
    QString label;     // what a total line says before its hours
    HoursTotal hours;  // a total line's hours
};

// The lines a report prints under the user's choices: the rows whose date
// lies in the period and whose employee and work code are the ones chosen,
// group by group (one employee or work code each, as the layout groups, in
// the user's alphabetical order; see ReportGroups), and with totals on, a
// subtotal after each group and a grand total at the end.
class ReportLines {
public:
    ReportLines(const ReportRows& rows, const ReportLayout& layout, const ReportOptions& options);

    const ReportRows& rows() const { return *m_rows; }
    int count() const { return static_cast<int>(m_lines.size()); }
    ReportLine at(int line) const;
    // The band each line prints in, line by line.
    std::vector<SectionKind> sections() const;

private:
    const ReportRows* m_rows;
    // A line: the entry's row (0 and up), or -1 - the total's place in m_totals.
    std::vector<qint32> m_lines;
    std::vector<ReportLine> m_totals;
};

}  // namespace hv::reports
