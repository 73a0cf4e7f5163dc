#pragma once

#include "reports/engine/sheet_cell.h"

#include <QList>
#include <QStringList>

namespace hv::reports {

class ReportLines;
struct ReportLayout;

// A report's lines as the rows of a table, as the file exports write them:
// first the title and what the report covers (the period and the filters
// in force, one line each) over an empty line, then a header row of the
// column headings, then one row per line. An entry's values are in the
// columns of the headings; with totals on, two columns follow, "Total" that
// names a total line ("Subtotal" or "Grand total") and "Total Hours" that
// holds its hours, so that the hours column sums the entries alone.
class ReportTable {
public:
    ReportTable(const ReportLines& lines, const ReportLayout& layout, bool totals, const QStringList& scope);

    // The lines above the header row.
    const QStringList& preamble() const { return m_preamble; }
    const QStringList& header() const { return m_header; }
    int rowCount() const;
    QList<SheetCell> row(int line) const;
    bool isTotal(int line) const;
    // The column of the hours of the total lines; -1 without totals.
    int totalHoursColumn() const { return m_totals ? static_cast<int>(m_header.size()) - 1 : -1; }

private:
    const ReportLines& m_lines;
    const ReportLayout& m_layout;
    bool m_totals;
    QStringList m_preamble;
    QStringList m_header;
};

}  // namespace hv::reports
