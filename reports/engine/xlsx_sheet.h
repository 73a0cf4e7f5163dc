#pragma once

#include "reports/engine/sheet_cell.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryFile>
#include <memory>

class QIODevice;
struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace hv::reports {

// A spreadsheet file (.xlsx) of one worksheet, made by libxlsxwriter into a
// private temporary file and handed over whole: numbers as numbers, dates
// as dates in the short date format of whoever opens the file, texts as
// texts (a text is never read as a formula, whatever it begins with). Rows
// are written top to bottom. Failures raise a RuntimeError, "Path/File
// access error" (75), that says what stopped the file.
class XlsxSheet {
public:
    enum class Style { Plain, Bold };

    // The last row a worksheet holds, counted from 0.
    static constexpr int kLastRow = 1048575;

    explicit XlsxSheet(const QString& sheetName);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    // Writes the cells of a row from the first column on; an empty cell is
    // left blank.
    void writeRow(int row, const QList<SheetCell>& cells, Style style = Style::Plain);
    // A column's width in characters.
    void setColumnWidth(int column, double characters);
    // Keeps the rows down to `headerRow` in view while the rest scrolls, and
    // puts the filter buttons on the header row over the rows below it up
    // to `lastRow`.
    void freezeAndFilter(int headerRow, int lastRow, int lastColumn);

    // Finishes the workbook and writes its bytes into the device.
    void finish(QIODevice& device);

private:
    void write(int row, int column, const SheetCell& cell, Style style);

    QTemporaryFile m_file;
    QByteArray m_tempFolder;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_boldDate = nullptr;
    lxw_format* m_dateTime = nullptr;
    lxw_format* m_boldDateTime = nullptr;
};

}  // namespace hv::reports
