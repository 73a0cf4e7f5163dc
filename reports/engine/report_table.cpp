#include "reports/engine/report_table.h"

#include "core/locale_text.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_rows.h"

namespace hv::reports {

namespace {

// A stored value as a cell: a date field's date (with its time of day when
// it has one), a number field's number, anything else as the report shows it.
SheetCell cellOf(const QVariant& value, const QString& shown, FieldFormat format)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (format == FieldFormat::ShortDate && value.typeId() == QMetaType::QDateTime)
        return SheetCell::ofDate(value.toDateTime());
    if (format == FieldFormat::ShortDate && value.typeId() == QMetaType::QDate)
        return SheetCell::ofDate(value.toDate().startOfDay());
    if (format == FieldFormat::Number) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok && qIsFinite(number))
            return SheetCell::ofNumber(number, text::numberToSqlText(number));
    }
    return SheetCell::ofText(shown);
}

}  // namespace

ReportTable::ReportTable(const ReportLines& lines, const ReportLayout& layout, bool totals, const QStringList& scope)
    : m_lines(lines), m_layout(layout), m_totals(totals)
{
    m_preamble.append(layout.title);
    m_preamble += scope;
    for (const ReportControl& heading : layout.section(SectionKind::PageHeader).controls)
        m_header.append(heading.caption);
    if (totals)
        m_header += {QStringLiteral("Total"), QStringLiteral("Total Hours")};
}

int ReportTable::rowCount() const
{
    return m_lines.count();
}

bool ReportTable::isTotal(int line) const
{
    return m_lines.at(line).kind != ReportLine::Entry;
}

QList<SheetCell> ReportTable::row(int line) const
{
    const QList<ReportControl>& fields = m_layout.fields();
    QList<SheetCell> cells(m_header.size());
    const ReportLine shown = m_lines.at(line);
    if (shown.kind == ReportLine::Entry) {
        const ReportRows& rows = m_lines.rows();
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const int field = static_cast<int>(f);
            cells[f] = cellOf(rows.value(shown.row, field), rows.text(shown.row, field), fields.at(f).format);
        }
        return cells;
    }
    const int groupField = m_layout.fieldIndex(m_layout.groupColumn);
    if (shown.kind == ReportLine::Subtotal && groupField >= 0)
        cells[groupField] = SheetCell::ofText(shown.group);
    cells[totalHoursColumn() - 1] =
        SheetCell::ofText(shown.kind == ReportLine::Subtotal ? QStringLiteral("Subtotal") : QStringLiteral("Grand total"));
    const QString exact = shown.hours.toPlainText();
    bool ok = false;
    const double hours = exact.toDouble(&ok);
    cells[totalHoursColumn()] = ok && qIsFinite(hours) ? SheetCell::ofNumber(hours, exact) : SheetCell::ofText(exact);
    return cells;
}

}  // namespace hv::reports
