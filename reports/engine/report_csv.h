#pragma once

class QIODevice;

namespace hv::reports {

class ReportLines;
struct ReportLayout;

// A report's lines as comma-separated values: a header row of the column
// headings, one record per entry shown with the dates in ISO 8601 and the
// hours with a decimal point, and with totals on, the total lines marked as
// such in a column of their own. The text is UTF-8 with a byte order mark,
// so that a spreadsheet opens it as it is. False when the device could not
// take every record.
bool writeReportCsv(QIODevice& device, const ReportLines& lines, const ReportLayout& layout, bool totals);

}  // namespace hv::reports
