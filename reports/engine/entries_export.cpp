#include "reports/engine/entries_export.h"

#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/prepared_statement.h"
#include "reports/engine/csv_writer.h"
#include "reports/engine/sheet_cell.h"
#include "reports/engine/xlsx_sheet.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <optional>

namespace hv::reports {

namespace {

const QStringList kHeader{QStringLiteral("ID"),          QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                          QStringLiteral("Work Code"),   QStringLiteral("Hours"),    QStringLiteral("Billable"),
                          QStringLiteral("Work Description")};
// The spreadsheet's column widths, in characters.
const double kWidths[] = {8, 24, 12, 24, 8, 8, 48};

// A stored text as it is; a NUL cannot travel in a file that other
// programs read, and is never dropped or replaced without a word.
QString exactText(const data::PreparedStatement& entries, int column, qint64 id)
{
    QString text = entries.text(column);
    if (text.contains(QChar(0)))
        throw RuntimeError(err::InvalidPropertyValue,
                           QStringLiteral("the entry with the ID %1 holds a NUL character in [%2], which an exported "
                                          "file cannot carry; remove it in the entry editor and export again")
                               .arg(id)
                               .arg(kHeader.at(column)));
    return text;
}

// Hours as a program reads them back: the fewest digits that give the same
// number, and the usual words for what is no finite number (a spreadsheet
// holds those as texts).
SheetCell hoursCell(double hours)
{
    if (std::isnan(hours))
        return SheetCell::ofText(QStringLiteral("NaN"));
    if (std::isinf(hours))
        return SheetCell::ofText(hours > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"));
    return SheetCell::ofNumber(hours, text::numberToSqlText(hours));
}

// A stored date as a date when it reads as one in ISO 8601 (with or without
// a time of day, with no zone of its own), else as the text it is. The day
// and time are kept as written, in UTC, which asks the system for no time
// zone (once per entry, that would be most of an export's work) and has no
// hour a change of the clocks skips.
SheetCell dateCell(const QString& stored)
{
    if (stored.size() == 10) {
        const QDate day = QDate::fromString(stored, Qt::ISODate);
        if (day.isValid())
            return {SheetCell::Date, stored, 0, QDateTime(day, QTime(0, 0), Qt::UTC)};
    }
    // A text with an offset or a zone of its own reads as no date this way.
    const QDateTime when = QDateTime::fromString(stored + u'Z', Qt::ISODate);
    if (when.isValid())
        return {SheetCell::Date, stored, 0, when};
    return SheetCell::ofText(stored);
}

// Where the rows go: a CSV writer or a spreadsheet.
class Sink {
public:
    Sink(QIODevice& device, EntriesExport::Format format) : m_device(device), m_csv(device)
    {
        if (format == EntriesExport::Format::Xlsx) {
            m_sheet.emplace(QStringLiteral("Work Hours"));
            for (int c = 0; c < static_cast<int>(kHeader.size()); ++c)
                m_sheet->setColumnWidth(c, kWidths[c]);
        }
    }

    void header()
    {
        if (!m_sheet) {
            record(kHeader);
            return;
        }
        QList<SheetCell> cells;
        for (const QString& caption : kHeader)
            cells.append(SheetCell::ofText(caption));
        m_sheet->writeRow(m_row++, cells, XlsxSheet::Style::Bold);
    }

    void row(const QList<SheetCell>& cells)
    {
        if (m_sheet) {
            m_sheet->writeRow(m_row++, cells);
            return;
        }
        QStringList fields;
        for (const SheetCell& cell : cells)
            fields.append(cell.text);
        record(fields);
    }

    void finish()
    {
        if (!m_sheet)
            return;
        m_sheet->freezeAndFilter(0, m_row - 1, static_cast<int>(kHeader.size()) - 1);
        m_sheet->finish(m_device);
    }

private:
    void record(const QStringList& fields)
    {
        m_csv.writeRecord(fields);
        if (!m_csv.ok())
            throw RuntimeError(err::PathFileAccess, m_device.errorString());
    }

    QIODevice& m_device;
    CsvWriter m_csv;
    std::optional<XlsxSheet> m_sheet;
    int m_row = 0;
};

}  // namespace

EntriesExport::Format EntriesExport::formatOf(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? Format::Xlsx : Format::Csv;
}

qint64 EntriesExport::write(data::Connection& connection, QIODevice& device, Format format, const WorkSteps& steps)
{
    // How many there are, for the progress told; none asked when nothing listens.
    qint64 total = 0;
    if (steps) {
        data::PreparedStatement count(connection, QStringLiteral("SELECT count(*) FROM \"Work Hours\""));
        if (count.next())
            total = count.integer(0);
    }
    data::PreparedStatement entries(
        connection, QStringLiteral("SELECT h.\"ID\", e.\"Employee Name\", h.\"Date Worked\", w.\"Description\", "
                                   "h.\"Hours\", w.\"Billable\", h.\"Work Description\" "
                                   "FROM \"Work Hours\" AS h "
                                   "LEFT JOIN \"Employees Extended\" AS e ON e.\"ID\" = h.\"Employee\" "
                                   "LEFT JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
                                   "ORDER BY h.\"ID\""));
    Sink sink(device, format);
    sink.header();
    qint64 rows = 0;
    const auto text = [&](int column, qint64 id) {
        return entries.isNull(column) ? SheetCell{} : SheetCell::ofText(exactText(entries, column, id));
    };
    while (entries.next()) {
        const qint64 id = entries.integer(0);
        const SheetCell billable = entries.isNull(5) ? SheetCell{}
            : SheetCell::ofText(entries.integer(5) != 0 ? QStringLiteral("Yes") : QStringLiteral("No"));
        // Hours that are not a number are kept as the text they are.
        const SheetCell hours = entries.isNull(4) ? SheetCell{}
            : entries.isNumber(4)                 ? hoursCell(entries.number(4))
                                                  : text(4, id);
        const SheetCell date = entries.isNull(2) ? SheetCell{} : dateCell(exactText(entries, 2, id));
        sink.row({SheetCell::ofNumber(static_cast<double>(id), QString::number(id)), text(1, id), date, text(3, id),
                  hours, billable, text(6, id)});
        ++rows;
        stepDone(steps, rows, std::max(total, rows));
    }
    sink.finish();
    return rows;
}

}  // namespace hv::reports
