#include "reports/engine/report_xlsx.h"

#include "reports/engine/report_table.h"
#include "reports/engine/xlsx_sheet.h"

namespace hv::reports {

namespace {

// Room for a column's heading and for values of its usual length.
double widthFor(const QString& heading)
{
    if (heading == u"Employee" || heading == u"Work Code")
        return 24;
    if (heading == u"Work Description")
        return 48;
    return std::max(12.0, heading.size() + 4.0);
}

}  // namespace

void writeReportXlsx(QIODevice& device, const ReportTable& table, const WorkSteps& steps)
{
    XlsxSheet sheet(table.preamble().constFirst());
    const QStringList& header = table.header();
    for (qsizetype c = 0; c < header.size(); ++c)
        sheet.setColumnWidth(static_cast<int>(c), widthFor(header.at(c)));
    int row = 0;
    for (const QString& line : table.preamble())
        sheet.writeRow(row++, {SheetCell::ofText(line)}, XlsxSheet::Style::Bold);
    ++row;
    const int headerRow = row;
    QList<SheetCell> captions;
    for (const QString& caption : header)
        captions.append(SheetCell::ofText(caption));
    sheet.writeRow(row++, captions, XlsxSheet::Style::Bold);
    for (int i = 0; i < table.rowCount(); ++i) {
        sheet.writeRow(row++, table.row(i), table.isTotal(i) ? XlsxSheet::Style::Bold : XlsxSheet::Style::Plain);
        stepDone(steps, i + 1, table.rowCount());
    }
    sheet.freezeAndFilter(headerRow, row - 1, static_cast<int>(header.size()) - 1);
    sheet.finish(device);
}

}  // namespace hv::reports
