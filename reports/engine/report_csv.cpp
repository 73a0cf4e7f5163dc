#include "reports/engine/report_csv.h"

#include "core/locale_text.h"
#include "reports/engine/csv_writer.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_rows.h"

#include <QDateTime>

namespace hv::reports {

namespace {

// A stored value as a file carries it: a date in ISO 8601 (with its time of
// day when it has one), a number with a decimal point, text as a spreadsheet
// shows it and never as a formula.
QString fileText(const QVariant& value, const QString& shown, FieldFormat format)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (format == FieldFormat::ShortDate && value.typeId() == QMetaType::QDateTime) {
        const QDateTime when = value.toDateTime();
        const QString day = when.date().toString(Qt::ISODate);
        return when.time() == QTime(0, 0) ? day : day + QLatin1Char('T') + when.time().toString(Qt::ISODate);
    }
    if (format == FieldFormat::ShortDate && value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (format == FieldFormat::Number) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            return text::numberToSqlText(number);
    }
    return CsvWriter::inertText(shown);
}

}  // namespace

bool writeReportCsv(QIODevice& device, const ReportLines& lines, const ReportLayout& layout, bool totals)
{
    CsvWriter writer(device, {true});
    const QList<ReportControl>& fields = layout.fields();
    const QList<ReportControl>& headings = layout.section(SectionKind::PageHeader).controls;
    QStringList header;
    for (const ReportControl& heading : headings)
        header.append(heading.caption);
    if (totals)
        header.append(QStringLiteral("Total"));
    writer.writeRecord(header);

    const int groupField = layout.fieldIndex(layout.groupColumn);
    const int hoursField = layout.fieldIndex(FieldFormat::Number);
    const ReportRows& rows = lines.rows();
    for (int i = 0; i < lines.count() && writer.ok(); ++i) {
        const ReportLine& line = lines.at(i);
        QStringList record;
        if (line.kind == ReportLine::Entry) {
            for (qsizetype f = 0; f < fields.size(); ++f) {
                const int field = static_cast<int>(f);
                record.append(fileText(rows.value(line.row, field), rows.text(line.row, field), fields.at(f).format));
            }
            if (totals)
                record.append(QString());
        } else {
            for (qsizetype f = 0; f < fields.size(); ++f)
                record.append(QString());
            if (line.kind == ReportLine::Subtotal && groupField >= 0)
                record[groupField] = CsvWriter::inertText(line.group);
            if (hoursField >= 0)
                record[hoursField] = line.hours.toPlainText();
            record.append(line.kind == ReportLine::Subtotal ? QStringLiteral("Subtotal") : QStringLiteral("Grand total"));
        }
        writer.writeRecord(record);
    }
    return writer.ok();
}

}  // namespace hv::reports
