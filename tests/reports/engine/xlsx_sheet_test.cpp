#include "reports/engine/xlsx_sheet.h"

#include "core/runtime_error.h"
#include "support/xlsx_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

using reports::SheetCell;
using reports::XlsxSheet;

// One value written and what a spreadsheet program reads back.
struct CellCase {
    const char* name;
    SheetCell cell;
    const char* type;
    QVariant value;
};

void PrintTo(const CellCase& c, std::ostream* out)
{
    *out << c.name;
}

class XlsxCellTest : public ::testing::TestWithParam<CellCase> {};

// Texts stay texts whatever they begin with, numbers keep every digit and
// dates read back as dates in a date format.
TEST_P(XlsxCellTest, ReadsBackAsWritten)
{
    const CellCase& c = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cell.xlsx"));
    {
        XlsxSheet sheet(QStringLiteral("Cells"));
        sheet.writeRow(0, {SheetCell::ofText(QStringLiteral("Heading"))}, XlsxSheet::Style::Bold);
        sheet.writeRow(1, {c.cell});
        sheet.freezeAndFilter(0, 1, 0);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        sheet.finish(file);
    }
    const XlsxSheetRead read = readXlsx(path);
    EXPECT_EQ(read.name, QStringLiteral("Cells"));
    EXPECT_EQ(read.freeze, QStringLiteral("A2"));
    EXPECT_EQ(read.filter, QStringLiteral("A1:A2"));
    EXPECT_TRUE(read.at(0, 0).bold);
    const XlsxCell cell = read.at(1, 0);
    EXPECT_EQ(cell.type, QString::fromLatin1(c.type));
    EXPECT_EQ(cell.value, c.value);
    EXPECT_FALSE(cell.bold);
    if (cell.type == u"d") {
        EXPECT_TRUE(cell.format.contains(u'd') && cell.format.contains(u'y')) << cell.format.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, XlsxCellTest,
    ::testing::Values(
        CellCase{"Formula", SheetCell::ofText(QStringLiteral("=SUM(A1:A9)")), "s", QStringLiteral("=SUM(A1:A9)")},
        CellCase{"Plus", SheetCell::ofText(QStringLiteral("+1")), "s", QStringLiteral("+1")},
        CellCase{"Minus", SheetCell::ofText(QStringLiteral("-1")), "s", QStringLiteral("-1")},
        CellCase{"At", SheetCell::ofText(QStringLiteral("@cmd")), "s", QStringLiteral("@cmd")},
        CellCase{"Letters", SheetCell::ofText(QString::fromUtf8("Łukasz Żółć \"quoted\" <b>&amp;")), "s",
                 QString::fromUtf8("Łukasz Żółć \"quoted\" <b>&amp;")},
        CellCase{"ControlCharacter", SheetCell::ofText(QStringLiteral("bell\x07 tab\t")), "s",
                 QStringLiteral("bell\x07 tab\t")},
        CellCase{"EscapeLookalike", SheetCell::ofText(QStringLiteral("_x0041_ and _X0041_")), "s",
                 QStringLiteral("_x0041_ and _X0041_")},
        CellCase{"Number", SheetCell::ofNumber(0.1, QStringLiteral("0.1")), "n", 0.1},
        CellCase{"FifteenDigits", SheetCell::ofNumber(123456.789012345, QStringLiteral("123456.789012345")), "n",
                 123456.789012345},
        CellCase{"Negative", SheetCell::ofNumber(-1.5, QStringLiteral("-1.5")), "n", -1.5},
        CellCase{"Date", SheetCell::ofDate(QDate(2026, 1, 5).startOfDay()), "d", QStringLiteral("2026-01-05T00:00:00")},
        CellCase{"DateAndTime", SheetCell::ofDate(QDateTime(QDate(2026, 3, 1), QTime(13, 30))), "d",
                 QStringLiteral("2026-03-01T13:30:00")},
        CellCase{"DateBeforeMarch1900", SheetCell::ofDate(QDate(1899, 5, 7).startOfDay()), "s",
                 QStringLiteral("1899-05-07")}),
    [](const auto& info) { return std::string(info.param.name); });

// What a spreadsheet cannot hold stops the file with the cell named.
TEST(XlsxSheetTest, WhatACellCannotHoldIsRefusedWithItsPlace)
{
    XlsxSheet sheet(QStringLiteral("Cells"));
    const auto refusal = [&](int row, const QString& text) {
        try {
            sheet.writeRow(row, {{}, SheetCell::ofText(text)});
        } catch (const RuntimeError& failure) {
            return failure.description();
        }
        return QString();
    };
    EXPECT_EQ(refusal(0, QStringLiteral("a%1b").arg(QChar(0))),
              QStringLiteral("cell B1 holds a NUL character, which a spreadsheet cannot carry"));
    EXPECT_EQ(refusal(1, QString(40000, u'x')),
              QStringLiteral("the text in cell B2 is longer than the 32,767 characters a spreadsheet cell holds"));
    EXPECT_TRUE(refusal(XlsxSheet::kLastRow + 1, QStringLiteral("x")).startsWith(QStringLiteral("the sheet would need")));
}

}  // namespace
}  // namespace hv::test
