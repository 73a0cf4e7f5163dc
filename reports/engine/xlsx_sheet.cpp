#include "reports/engine/xlsx_sheet.h"

#include "core/durable_file.h"
#include "core/file_system.h"
#include "core/runtime_error.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <xlsxwriter.h>

namespace hv::reports {

namespace {

// The spreadsheet's built-in formats that follow the reader's locale.
constexpr uint8_t kShortDate = 14;
constexpr uint8_t kShortDateTime = 22;

// The day a spreadsheet counts its dates from. The first two months of
// 1900 count one day off (the year is taken for a leap year), so a date
// before March 1900 is written as text.
const QDate kDayZero(1899, 12, 30);
const QDate kFirstDate(1900, 3, 1);

// A text as a cell holds it: a character XML cannot carry is written as
// _xHHHH_ (by the library), so a text that itself reads like that gets its
// underscore written as _x005F_ and comes back as it was.
QString cellText(const QString& text)
{
    static const QRegularExpression lookalike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QStringLiteral("_x")))
        return text;
    QString escaped = text;
    return escaped.replace(lookalike, QStringLiteral("_x005F_"));
}

RuntimeError failure(const QString& reason)
{
    return {err::PathFileAccess, reason};
}

QString columnName(int column)
{
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QLatin1Char(static_cast<char>('A' + (c - 1) % 26)));
    return name;
}

}  // namespace

XlsxSheet::XlsxSheet(const QString& sheetName)
{
    if (!m_file.open())
        throw failure(QStringLiteral("cannot make a temporary file for the spreadsheet: %1").arg(m_file.errorString()));
    m_file.close();
    // The library's own temporary files go where the system's do (TMPDIR).
    m_tempFolder = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tempFolder.data();
    m_workbook = workbook_new_opt(QFile::encodeName(m_file.fileName()).constData(), &options);
    if (m_workbook)
        m_sheet = workbook_add_worksheet(m_workbook, sheetName.left(31).toUtf8().constData());
    if (!m_sheet)
        throw failure(QStringLiteral("cannot start a spreadsheet"));
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
    m_date = workbook_add_format(m_workbook);
    format_set_num_format_index(m_date, kShortDate);
    m_boldDate = workbook_add_format(m_workbook);
    format_set_num_format_index(m_boldDate, kShortDate);
    format_set_bold(m_boldDate);
    m_dateTime = workbook_add_format(m_workbook);
    format_set_num_format_index(m_dateTime, kShortDateTime);
    m_boldDateTime = workbook_add_format(m_workbook);
    format_set_num_format_index(m_boldDateTime, kShortDateTime);
    format_set_bold(m_boldDateTime);
}

XlsxSheet::~XlsxSheet()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
}

void XlsxSheet::writeRow(int row, const QList<SheetCell>& cells, Style style)
{
    if (row > kLastRow)
        throw failure(QStringLiteral("the sheet would need more than %1 rows, which a spreadsheet cannot hold")
                          .arg(kLastRow + 1));
    for (qsizetype c = 0; c < cells.size(); ++c)
        write(row, static_cast<int>(c), cells.at(c), style);
}

void XlsxSheet::write(int row, int column, const SheetCell& cell, Style style)
{
    const bool bold = style == Style::Bold;
    lxw_error error = LXW_NO_ERROR;
    const auto text = [&](const QString& value) {
        if (value.contains(QChar(0)))
            throw failure(QStringLiteral("cell %1%2 holds a NUL character, which a spreadsheet cannot carry")
                              .arg(columnName(column))
                              .arg(row + 1));
        return worksheet_write_string(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                      cellText(value).toUtf8().constData(), bold ? m_bold : nullptr);
    };
    switch (cell.kind) {
    case SheetCell::Empty: return;
    case SheetCell::Text: error = text(cell.text); break;
    case SheetCell::Number:
        error = worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), cell.number,
                                       bold ? m_bold : nullptr);
        break;
    case SheetCell::Date: {
        const QDate day = cell.when.date();
        if (day < kFirstDate) {
            error = text(cell.text);
            break;
        }
        const bool timed = cell.when.time() != QTime(0, 0);
        const double serial = static_cast<double>(kDayZero.daysTo(day)) + cell.when.time().msecsSinceStartOfDay() / 86400000.0;
        lxw_format* format = timed ? (bold ? m_boldDateTime : m_dateTime) : (bold ? m_boldDate : m_date);
        error = worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), serial,
                                       format);
        break;
    }
    }
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw failure(QStringLiteral("the text in cell %1%2 is longer than the 32,767 characters a spreadsheet cell holds")
                          .arg(columnName(column))
                          .arg(row + 1));
    if (error != LXW_NO_ERROR)
        throw failure(QStringLiteral("cell %1%2: %3").arg(columnName(column)).arg(row + 1).arg(QString::fromUtf8(lxw_strerror(error))));
}

void XlsxSheet::setColumnWidth(int column, double characters)
{
    worksheet_set_column(m_sheet, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column), characters, nullptr);
}

void XlsxSheet::freezeAndFilter(int headerRow, int lastRow, int lastColumn)
{
    worksheet_freeze_panes(m_sheet, static_cast<lxw_row_t>(headerRow + 1), 0);
    worksheet_autofilter(m_sheet, static_cast<lxw_row_t>(headerRow), 0, static_cast<lxw_row_t>(std::max(headerRow, lastRow)),
                         static_cast<lxw_col_t>(lastColumn));
}

void XlsxSheet::finish(QIODevice& device)
{
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;
    errno = 0;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        // The system's reason where it had one (a full disk), else the library's.
        const QString reason = errno != 0 ? fs::systemErrorText(errno)
                                          : QString::fromUtf8(lxw_strerror(error));
        throw failure(QStringLiteral("cannot finish the spreadsheet: %1").arg(reason));
    }
    QFile made(m_file.fileName());
    if (!made.open(QIODevice::ReadOnly))
        throw failure(made.errorString());
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (qint64 got = 0; (got = made.read(chunk.data(), chunk.size())) != 0;) {
        if (got < 0)
            throw failure(made.errorString());
        fs::DurableFile::writeAll(device, chunk.constData(), got);
    }
}

}  // namespace hv::reports
