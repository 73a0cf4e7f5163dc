#include "reports/engine/report_csv.h"

#include "reports/engine/csv_writer.h"
#include "reports/engine/report_table.h"

namespace hv::reports {

bool writeReportCsv(QIODevice& device, const ReportTable& table, const WorkSteps& steps)
{
    CsvWriter writer(device, {true});
    for (const QString& line : table.preamble())
        writer.writeRecord({CsvWriter::inertText(line)});
    writer.writeRecord({QString()});
    writer.writeRecord(table.header());
    for (int i = 0; i < table.rowCount() && writer.ok(); ++i) {
        QStringList record;
        for (const SheetCell& cell : table.row(i))
            record.append(cell.kind == SheetCell::Text ? CsvWriter::inertText(cell.text) : cell.text);
        writer.writeRecord(record);
        stepDone(steps, i + 1, table.rowCount());
    }
    return writer.ok();
}

}  // namespace hv::reports
