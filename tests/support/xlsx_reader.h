#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace hv::test {

// A cell of a spreadsheet file as openpyxl reads it back.
struct XlsxCell {
    QString type;    // "n" number, "s" text, "d" date, "f" formula; empty when blank
    QVariant value;  // a date as ISO 8601 text
    bool bold = false;
    QString format;  // the number format

    bool isBlank() const { return type.isEmpty(); }
};

// The first sheet of a spreadsheet file: its name, the cell above and left
// of which the panes are frozen, the range of its filter and every row.
struct XlsxSheetRead {
    QString name;
    QString freeze;
    QString filter;
    QList<QList<XlsxCell>> rows;

    // A cell, blank past the end of its row or of the sheet.
    XlsxCell at(int row, int column) const;
};

// Reads a spreadsheet file with openpyxl; fails the test (and
// gives an empty sheet) when it cannot be read.
XlsxSheetRead readXlsx(const QString& path);

}  // namespace hv::test
