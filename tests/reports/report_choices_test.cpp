#include "reports_fixture.h"

#include "core/app_config.h"
#include "core/settings_store.h"
#include "core/locale_text.h"
#include "reports/optional_date_edit.h"
#include "reports/report_chooser.h"
#include "reports/engine/report_lines.h"
#include "reports/report_preview.h"
#include "reports/engine/hours_total.h"
#include "support/xlsx_reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <sqlite3.h>
#include <cerrno>
#include <cstring>

namespace hv::test {
namespace {

using reports::QuickPeriod;
using reports::ReportOptions;
using reports::ReportPreview;

// A CSV file read back as RFC 4180 lays it out; the byte order mark, when
// there is one, is noted and left out.
QList<QStringList> readCsv(const QString& path, bool* byteOrderMark = nullptr)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QByteArray bytes = file.readAll();
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    if (byteOrderMark)
        *byteOrderMark = mark;
    const QString text = QString::fromUtf8(mark ? bytes.mid(3) : bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record.append(field);
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.isEmpty() && record.isEmpty()) << "the last record is not ended by CR LF";
    return records;
}

// A report's CSV file split at its first empty record: the lines that say
// what the report covers, then the header row and the records under it.
struct ReportCsv {
    QStringList preamble;
    QList<QStringList> records;
};

ReportCsv readReportCsv(const QString& path, bool* byteOrderMark = nullptr)
{
    ReportCsv csv;
    QList<QStringList> all = readCsv(path, byteOrderMark);
    while (!all.isEmpty() && all.first() != QStringList{QString()}) {
        EXPECT_EQ(all.first().size(), 1);
        csv.preamble.append(all.takeFirst().join(QLatin1Char(',')));
    }
    EXPECT_FALSE(all.isEmpty()) << "no empty record before the header";
    if (!all.isEmpty())
        all.removeFirst();
    csv.records = all;
    return csv;
}

class ReportChoicesTest : public ReportsTest {
protected:
    // One value straight from the database file, beside the program's dialect.
    QVariant scalar(const QString& sql) const
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(QFile::encodeName(m_db.path()).constData(), &db), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        QVariant value;
        if (statement && sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_type(statement, 0) == SQLITE_NULL ? QVariant() : QVariant(sqlite3_column_double(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return value;
    }

    // Entries over four months, with hours that binary numbers cannot hold
    // exactly.
    void addSpreadEntries() const
    {
        const QList<double> hours{0.1, 0.2, 0.35, 1.25, 7.5, 2.7, 0.05};
        ReportsTest::addSpreadEntries(
            90, [](int i) { return QDate(2026, 1, 3).addDays((i * 37) % 115); }, [&](int i) { return hours.at(i % 7); });
    }

    // Previews the entry with the choices and writes its PDF and CSV files.
    void exportWith(const QString& entry, const ReportOptions& options, const QString& pdf, const QString& csv)
    {
        openChooser([&](Form4& chooser) {
            preview(chooser, entry, [&](ReportPreview& shown) {
                shown.setOptions(options);
                EXPECT_TRUE(shown.writePdf(pdf));
                EXPECT_TRUE(shown.writeCsv(csv));
            });
        });
    }
};

// A report under a period and filters, with totals.
struct ChoicesCase {
    const char* entry;
    const char* view;
    const char* groupColumn;
    const char* employee;  // nullptr: all
    const char* workCode;  // nullptr: all
    QDate from;
    QDate to;
};

void PrintTo(const ChoicesCase& c, std::ostream* out)
{
    *out << c.entry << " " << (c.employee ? c.employee : "") << (c.workCode ? c.workCode : "");
}

class ReportChoicesCaseTest : public ReportChoicesTest, public ::testing::WithParamInterface<ChoicesCase> {
protected:
    // The case's choices, with totals on.
    static ReportOptions optionsOf(const ChoicesCase& c)
    {
        ReportOptions options;
        options.period = {c.from, c.to};
        options.quickPeriod = options.period.isAllDates() ? QuickPeriod::AllDates : QuickPeriod::Custom;
        if (c.employee)
            options.employee = QString::fromLatin1(c.employee);
        if (c.workCode)
            options.workCode = QString::fromLatin1(c.workCode);
        options.totals = true;
        return options;
    }

    // The rows of the case's view that the choices keep, as a FROM clause.
    static QString fromOf(const ChoicesCase& c)
    {
        QString where = QStringLiteral(" WHERE 1=1");
        if (c.employee)
            where += QStringLiteral(" AND \"Employee Name\"='%1'").arg(QLatin1String(c.employee));
        if (c.workCode)
            where += QStringLiteral(" AND \"Work Code Description\"='%1'").arg(QLatin1String(c.workCode));
        if (c.from.isValid())
            where += QStringLiteral(" AND \"Date Worked\">='%1'").arg(c.from.toString(Qt::ISODate));
        if (c.to.isValid())
            where += QStringLiteral(" AND \"Date Worked\"<='%1'").arg(c.to.toString(Qt::ISODate));
        return QStringLiteral(" FROM \"%1\"").arg(QLatin1String(c.view)) + where;
    }
};

// The exported CSV holds exactly the entries the database holds for the same
// choices, with their subtotals and a grand total equal to the database's
// sum of the hours; the PDF prints the period under the title, a subtotal
// per group and the grand total in the hours column.
TEST_P(ReportChoicesCaseTest, PeriodFiltersAndTotalsReadBackFromPdfAndCsv)
{
    const ChoicesCase& c = GetParam();
    addSpreadEntries();
    const ReportOptions options = optionsOf(c);
    const QString pdf = m_output.filePath(QStringLiteral("choices.pdf"));
    const QString csv = m_output.filePath(QStringLiteral("choices.csv"));
    exportWith(QString::fromLatin1(c.entry), options, pdf, csv);

    const QString from = fromOf(c);
    const int entries = scalar(QStringLiteral("SELECT count(*)") + from).toInt();
    const double sum = scalar(QStringLiteral("SELECT total(\"Hours\")") + from).toDouble();
    const int groups = scalar(QStringLiteral("SELECT count(DISTINCT \"%1\")").arg(QLatin1String(c.groupColumn)) + from).toInt();
    ASSERT_GT(entries, 0);

    bool mark = false;
    const ReportCsv file = readReportCsv(csv, &mark);
    const QList<QStringList>& records = file.records;
    EXPECT_TRUE(mark);
    EXPECT_EQ(file.preamble, QStringList(QString::fromLatin1(c.entry)) + options.scope());
    ASSERT_FALSE(records.isEmpty());
    const QStringList header = records.first();
    ASSERT_GE(header.size(), 2);
    EXPECT_EQ(header.mid(header.size() - 2), QStringList({QStringLiteral("Total"), QStringLiteral("Total Hours")}));
    const qsizetype totalColumn = header.size() - 2;
    const qsizetype dateColumn = header.indexOf(QStringLiteral("Date Worked"));
    const qsizetype hoursColumn = header.indexOf(QStringLiteral("Hours"));
    const qsizetype employeeColumn = header.indexOf(QStringLiteral("Employee"));
    ASSERT_TRUE(dateColumn >= 0 && hoursColumn >= 0 && employeeColumn >= 0);
    int entryRecords = 0;
    int subtotals = 0;
    double subtotalSum = 0;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList& record = records.at(r);
        ASSERT_EQ(record.size(), header.size()) << r;
        if (record.at(totalColumn).isEmpty()) {
            EXPECT_TRUE(record.last().isEmpty());
            ++entryRecords;
            const QDate date = QDate::fromString(record.at(dateColumn), Qt::ISODate);
            EXPECT_TRUE(date.isValid()) << record.at(dateColumn).toStdString();
            EXPECT_TRUE(options.period.contains(date)) << record.at(dateColumn).toStdString();
            if (c.employee) {
                EXPECT_EQ(record.at(employeeColumn), QString::fromLatin1(c.employee));
            }
        } else {
            // A total line keeps the hours column free for the entries.
            EXPECT_TRUE(record.at(hoursColumn).isEmpty()) << r;
            if (record.at(totalColumn) == QStringLiteral("Subtotal")) {
                ++subtotals;
                subtotalSum += record.last().toDouble();
            } else {
                EXPECT_EQ(record.at(totalColumn), QStringLiteral("Grand total"));
                EXPECT_EQ(r, records.size() - 1);
            }
        }
    }
    EXPECT_EQ(entryRecords, entries);
    EXPECT_EQ(subtotals, groups);
    const QString grandTotal = records.last().last();
    EXPECT_NEAR(grandTotal.toDouble(), sum, 1e-9);
    EXPECT_NEAR(subtotalSum, sum, 1e-9);

    const QList<PdfPage> pages = readPdf(pdf);
    ASSERT_FALSE(pages.isEmpty());
    // Under the title, what the report covers.
    for (const QString& line : options.scope())
        EXPECT_TRUE(pages.first().text.contains(line)) << line.toStdString();
    int printedSubtotals = 0;
    for (const PdfPage& page : pages)
        printedSubtotals += page.text.count(QStringLiteral("Total for "));
    EXPECT_EQ(printedSubtotals, groups);
    const PdfPage& last = pages.last();
    const auto grand = std::find_if(last.words.begin(), last.words.end(),
                                    [](const PdfWord& w) { return w.text == QStringLiteral("Grand"); });
    ASSERT_NE(grand, last.words.end());
    QString shownTotal;
    for (const PdfWord& word : last.words) {
        if (qAbs(word.box.top() - grand->box.top()) < 1.0 && qAbs(word.box.left() - (72.0 + 5616 / 20.0)) < 1.0)
            shownTotal = word.text;
    }
    EXPECT_EQ(shownTotal, grandTotal);
}

// The spreadsheet: the title and what the report covers above a bold header
// row that is frozen and filtered, then exactly the database's entries for
// the choices, each value of its kind (names and texts as texts, dates as
// dates, hours as numbers), and each total on a bold line of its own with
// its exact hours in the "Total Hours" column, so that the hours column sums
// the entries alone.
TEST_P(ReportChoicesCaseTest, SpreadsheetCellsMatchTheDatabase)
{
    const ChoicesCase& c = GetParam();
    addSpreadEntries();
    const ReportOptions options = optionsOf(c);
    const QString xlsx = m_output.filePath(QStringLiteral("choices.xlsx"));
    openChooser([&](Form4& chooser) {
        preview(chooser, QString::fromLatin1(c.entry), [&](ReportPreview& shown) {
            shown.setOptions(options);
            EXPECT_TRUE(shown.writeXlsx(xlsx));
        });
    });
    // Through the program's own dialect, whose names stand in brackets.
    const QString from = fromOf(c).replace(QRegularExpression(QStringLiteral("\"([^\"]*)\"")), QStringLiteral("[\\1]"));
    const QList<QVariantList> expected =
        rows(QStringLiteral("SELECT [Employee Name], [Date Worked], [Work Code Description], [Hours], [Work Description]")
             + from + QStringLiteral(" ORDER BY [%1], hourvane_order_day, hourvane_order_entry").arg(QLatin1String(c.groupColumn)));
    ASSERT_FALSE(expected.isEmpty());
    // The database's column of each heading.
    const QStringList columns{QStringLiteral("Employee"), QStringLiteral("Date Worked"), QStringLiteral("Work Code"),
                              QStringLiteral("Hours"), QStringLiteral("Work Description")};

    const XlsxSheetRead sheet = readXlsx(xlsx);
    EXPECT_EQ(sheet.name, QString::fromLatin1(c.entry));
    const QStringList preamble = QStringList(QString::fromLatin1(c.entry)) + options.scope();
    for (int r = 0; r < preamble.size(); ++r) {
        EXPECT_EQ(sheet.at(r, 0).value.toString(), preamble.at(r));
        EXPECT_TRUE(sheet.at(r, 0).bold) << r;
    }
    const int headerRow = static_cast<int>(preamble.size()) + 1;
    EXPECT_TRUE(sheet.at(headerRow - 1, 0).isBlank());
    EXPECT_EQ(sheet.freeze, QStringLiteral("A%1").arg(headerRow + 2));
    EXPECT_EQ(sheet.filter, QStringLiteral("A%1:G%2").arg(headerRow + 1).arg(sheet.rows.size()));
    QStringList header;
    for (int col = 0; col < 7; ++col) {
        header.append(sheet.at(headerRow, col).value.toString());
        EXPECT_TRUE(sheet.at(headerRow, col).bold) << col;
    }
    EXPECT_EQ(header.mid(5), QStringList({QStringLiteral("Total"), QStringLiteral("Total Hours")}));
    const qsizetype hoursColumn = header.indexOf(QStringLiteral("Hours"));
    ASSERT_GE(hoursColumn, 0);

    int entry = 0;
    int subtotals = 0;
    double hoursColumnSum = 0;
    reports::HoursTotal group;
    reports::HoursTotal grand;
    for (int r = headerRow + 1; r < sheet.rows.size(); ++r) {
        const XlsxCell kind = sheet.at(r, 5);
        if (kind.isBlank()) {
            ASSERT_LT(entry, expected.size()) << "more entries than the database has";
            const QVariantList& row = expected.at(entry++);
            for (int col = 0; col < 5; ++col) {
                const XlsxCell cell = sheet.at(r, col);
                const QVariant stored = row.at(columns.indexOf(header.at(col)));
                EXPECT_FALSE(cell.bold);
                if (header.at(col) == u"Date Worked") {
                    EXPECT_EQ(cell.type, QStringLiteral("d")) << r;
                    EXPECT_EQ(cell.value.toString(), stored.toDate().toString(Qt::ISODate) + QStringLiteral("T00:00:00"));
                } else if (col == hoursColumn) {
                    EXPECT_EQ(cell.type, QStringLiteral("n")) << r;
                    EXPECT_EQ(cell.value.toDouble(), stored.toDouble()) << r;
                    hoursColumnSum += cell.value.toDouble();
                    group.add(stored.toDouble());
                    grand.add(stored.toDouble());
                } else {
                    EXPECT_EQ(cell.type, QStringLiteral("s")) << r << " " << col;
                    EXPECT_EQ(cell.value.toString(), stored.toString()) << r << " " << col;
                }
            }
            EXPECT_TRUE(sheet.at(r, 6).isBlank());
            continue;
        }
        EXPECT_TRUE(kind.bold && sheet.at(r, 6).bold) << r;
        EXPECT_TRUE(sheet.at(r, static_cast<int>(hoursColumn)).isBlank()) << r;
        EXPECT_EQ(sheet.at(r, 6).type, QStringLiteral("n")) << r;
        const QString total = text::numberToSqlText(sheet.at(r, 6).value.toDouble());
        if (kind.value == QStringLiteral("Subtotal")) {
            ++subtotals;
            EXPECT_EQ(total, group.toPlainText()) << r;
            group = {};
        } else {
            EXPECT_EQ(kind.value, QStringLiteral("Grand total"));
            EXPECT_EQ(r, sheet.rows.size() - 1);
            EXPECT_EQ(total, grand.toPlainText());
        }
    }
    EXPECT_EQ(entry, expected.size());
    EXPECT_EQ(subtotals, scalar(QStringLiteral("SELECT count(DISTINCT \"%1\")").arg(QLatin1String(c.groupColumn)) + fromOf(c)).toInt());
    EXPECT_NEAR(hoursColumnSum, scalar(QStringLiteral("SELECT total(\"Hours\")") + fromOf(c)).toDouble(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportChoicesCaseTest,
    ::testing::Values(
        ChoicesCase{"Billable Hours by Employee", "Billable Hours", "Employee Name", nullptr, nullptr, {}, {}},
        ChoicesCase{"Billable Hours by Employee", "Billable Hours", "Employee Name", "Anna Berg", nullptr,
                    QDate(2026, 2, 1), QDate(2026, 3, 31)},
        ChoicesCase{"Billable Hours by Project", "Billable Hours", "Work Code Description", nullptr,
                    "Billable design", QDate(2026, 3, 1), {}},
        ChoicesCase{"Non-Billable Hours by Employee", "Non Billable Hours", "Employee Name", nullptr, nullptr, {},
                    QDate(2026, 2, 15)}));

// Hours add up exactly as typed: 0.1 and 0.2 make 0.3 in the PDF and the CSV.
TEST_F(ReportChoicesTest, TotalsAreExactDecimals)
{
    addEntries({{QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 0.1, QStringLiteral("Call")},
                {QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-06"), 0.2, QStringLiteral("Call back")}});
    ASSERT_NE(scalar(QStringLiteral("SELECT total(Hours) FROM \"Work Hours\"")).toDouble(), 0.3);
    ReportOptions options;
    options.totals = true;
    const QString pdf = m_output.filePath(QStringLiteral("exact.pdf"));
    const QString csv = m_output.filePath(QStringLiteral("exact.csv"));
    exportWith(QStringLiteral("Billable Hours by Employee"), options, pdf, csv);
    const QList<QStringList> records = readReportCsv(csv).records;
    ASSERT_EQ(records.size(), 5);
    EXPECT_EQ(records.at(3), QStringList({QStringLiteral("Anna Berg"), {}, {}, {}, {}, QStringLiteral("Subtotal"),
                                          QStringLiteral("0.3")}));
    EXPECT_EQ(records.at(4), QStringList({{}, {}, {}, {}, {}, QStringLiteral("Grand total"), QStringLiteral("0.3")}));
    const QString text = readPdf(pdf).first().text;
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Total for Anna Berg +0\\.3\\b")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Grand total +0\\.3\\b")))) << text.toStdString();
}

// Each entry's fields as a file carries them: ISO dates, hours with a point
// whatever the locale, texts quoted where they must be and never a formula.
TEST_F(ReportChoicesTest, CsvCarriesIsoDatesDecimalPointsAndQuotedTexts)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    addEntries({{QStringLiteral("Zoë"), QStringLiteral("Ærø"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 7.5, QStringLiteral("Said \"done\", then left\nearly")},
                {QStringLiteral("Zoë"), QStringLiteral("Ærø"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-06"), 2, QStringLiteral("=HYPERLINK(\"x\")")}});
    const QString pdf = m_output.filePath(QStringLiteral("plain.pdf"));
    const QString csv = m_output.filePath(QStringLiteral("plain.csv"));
    exportWith(QStringLiteral("Billable Hours by Employee"), ReportOptions{}, pdf, csv);
    const ReportCsv file = readReportCsv(csv);
    EXPECT_EQ(file.preamble, QStringList(QStringLiteral("Billable Hours by Employee")));
    const QList<QStringList>& records = file.records;
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records.at(0), QStringList({QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                                          QStringLiteral("Work Code"), QStringLiteral("Hours"),
                                          QStringLiteral("Work Description")}));
    EXPECT_EQ(records.at(1), QStringList({QStringLiteral("Zoë Ærø"), QStringLiteral("2026-01-05"),
                                          QStringLiteral("Billable support"), QStringLiteral("7.5"),
                                          QStringLiteral("Said \"done\", then left\nearly")}));
    EXPECT_EQ(records.at(2).at(4), QStringLiteral("'=HYPERLINK(\"x\")"));
    // The printed report keeps the locale's own way.
    EXPECT_TRUE(readPdf(pdf).first().text.contains(QStringLiteral("7,5")));
}

TEST_F(ReportChoicesTest, ACsvFileThatCannotBeWrittenIsReported)
{
    addEntries({{QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 1, QStringLiteral("Call")}});
    const QString file = m_output.filePath(QStringLiteral("missing/folder/report.csv"));
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"),
                [&](ReportPreview& shown) { exportThroughDialog(shown, QStringLiteral("ExportToCsv"), file); });
    });
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().first().text.startsWith(QStringLiteral("The report could not be written to")));
    EXPECT_FALSE(QFile::exists(file));
}

// A device that refuses the report is said to, in the system's words, and
// stays a device.
TEST_F(ReportChoicesTest, AFullDeviceIsReportedWithTheSystemsReason)
{
    addEntries({{QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 1, QStringLiteral("Call")}});
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"), [&](ReportPreview& shown) {
            m_ui.onNextModal([&](QDialog& dialog) {
                auto* files = qobject_cast<QFileDialog*>(&dialog);
                ASSERT_NE(files, nullptr);
                files->setDefaultSuffix(QString());
                files->setOption(QFileDialog::DontConfirmOverwrite);
                files->selectFile(QStringLiteral("/dev/full"));
                static_cast<QDialog*>(files)->accept();
            });
            press(shown, QStringLiteral("ExportToPdf"));
        });
    });
    ASSERT_EQ(m_ui.messages().size(), 1);
    const QString text = m_ui.messages().first().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("The report could not be written to \"/dev/full\" ("))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QString::fromLocal8Bit(std::strerror(ENOSPC)) + QStringLiteral(").")))
        << text.toStdString();
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/full")).isFile());
}

// A filtered page says so: under the title, each choice in force on a line
// of its own at the title's left edge, above the column headings.
TEST_F(ReportChoicesTest, ThePageSaysWhatItCoversUnderTheTitle)
{
    addSpreadEntries();
    ReportOptions options;
    options.quickPeriod = QuickPeriod::Custom;
    options.period = {QDate(2026, 2, 1), QDate(2026, 3, 31)};
    options.employee = QStringLiteral("Anna Berg");
    options.workCode = QStringLiteral("Billable design");
    const QString pdf = m_output.filePath(QStringLiteral("scope.pdf"));
    exportWith(QStringLiteral("Billable Hours by Employee"), options, pdf, m_output.filePath(QStringLiteral("s.csv")));
    const QList<PdfPage> pages = readPdf(pdf);
    ASSERT_FALSE(pages.isEmpty());
    const QStringList expected{QStringLiteral("Period: ") + options.period.describe(),
                               QStringLiteral("Employee: Anna Berg"), QStringLiteral("Work code: Billable design")};
    EXPECT_EQ(options.scope(), expected);
    double above = 0;  // the title's top
    double headings = 0;
    for (const PdfWord& word : pages.first().words) {
        if (word.text == QStringLiteral("Billable") && above == 0)
            above = word.box.top();
        if (word.text == QStringLiteral("Date") && headings == 0)
            headings = word.box.top();
    }
    for (const QString& line : expected) {
        const QString first = line.section(QLatin1Char(' '), 0, 0);
        const auto word = std::find_if(pages.first().words.begin(), pages.first().words.end(), [&](const PdfWord& w) {
            return w.text == first && qAbs(w.box.left() - (72.0 + 144 / 20.0)) < 1.0;
        });
        ASSERT_NE(word, pages.first().words.end()) << line.toStdString();
        EXPECT_GT(word->box.top(), above) << line.toStdString();
        EXPECT_LT(word->box.top(), headings) << line.toStdString();
        EXPECT_TRUE(pages.first().text.contains(line)) << line.toStdString();
        above = word->box.top();
    }
    for (const PdfPage& page : pages.mid(1))
        EXPECT_FALSE(page.text.contains(QStringLiteral("Employee: "))) << "only under the title, once";
}

// Page numbers and the print date stand in the footer of every page, below
// the last line the page can hold.
TEST_F(ReportChoicesTest, PageNumbersAndThePrintDateInEveryFooter)
{
    addSpreadEntries();
    ReportOptions options;
    options.pageNumbers = true;
    const QString pdf = m_output.filePath(QStringLiteral("numbered.pdf"));
    exportWith(QStringLiteral("Non-Billable Hours by Employee"), options, pdf, m_output.filePath(QStringLiteral("n.csv")));
    const QList<PdfPage> pages = readPdf(pdf);
    ASSERT_GE(pages.size(), 2);
    const QString printed = QStringLiteral("Printed ") + text::dateToText(QDate::currentDate());
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const PdfPage& page = pages.at(p);
        EXPECT_TRUE(page.text.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size()))) << p;
        EXPECT_TRUE(page.text.contains(printed)) << p;
        double lowest = 0;
        double footer = 0;
        for (const PdfWord& word : page.words) {
            if (word.text == QStringLiteral("Page"))
                footer = word.box.top();
            else if (word.text.startsWith(QStringLiteral("Task")))
                lowest = std::max(lowest, word.box.bottom());
        }
        EXPECT_GT(footer, lowest) << p;
        EXPECT_LT(footer, page.size.height() - 72) << p;
    }
}

// The choices of one preview are those of the next, of any report; with
// nothing saved they are the defaults.
TEST_F(ReportChoicesTest, ChoicesAreKeptForTheNextPreview)
{
    addSpreadEntries();
    ReportOptions chosen;
    chosen.quickPeriod = QuickPeriod::LastMonth;
    chosen.period = reports::periodOf(QuickPeriod::LastMonth, QDate::currentDate(), QLocale().firstDayOfWeek());
    chosen.employee = QStringLiteral("Mia Oduya");
    chosen.workCode = QString();
    // A new user's preview starts with totals and page numbers; unticking
    // them is a choice kept like any other.
    for (const char* key : {"ReportTotals", "ReportPageNumbers"})
        settings::SaveSetting(config::kSettingsApplication, config::kSettingsSection, QString::fromLatin1(key), QString());
    ReportOptions fresh;
    fresh.totals = true;
    fresh.pageNumbers = true;
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"), [&](ReportPreview& shown) {
            EXPECT_EQ(shown.options(), fresh);
            EXPECT_TRUE(shown.findChild<QCheckBox*>(QStringLiteral("Totals"))->isChecked());
            shown.setOptions(chosen);
        });
        preview(chooser, QStringLiteral("Non-Billable Hours by Employee"), [&](ReportPreview& shown) {
            EXPECT_EQ(shown.options(), chosen);
            EXPECT_FALSE(shown.findChild<QCheckBox*>(QStringLiteral("Totals"))->isChecked());
            EXPECT_FALSE(shown.findChild<QCheckBox*>(QStringLiteral("PageNumbers"))->isChecked());
            EXPECT_EQ(shown.findChild<QComboBox*>(QStringLiteral("EmployeeFilter"))->currentText(),
                      QStringLiteral("Mia Oduya"));
            EXPECT_EQ(shown.findChild<QComboBox*>(QStringLiteral("WorkCodeFilter"))->currentText(),
                      QStringLiteral("(none)"));
            EXPECT_EQ(shown.findChild<reports::OptionalDateEdit*>(QStringLiteral("PeriodFrom"))->value(),
                      chosen.period.from);
        });
    });
}

// The choices go to the settings once, as the preview goes, however many
// changes were made in it.
TEST_F(ReportChoicesTest, ChoicesAreSavedAsThePreviewGoes)
{
    addSpreadEntries();
    const auto savedTotals = [] {
        return settings::GetSetting(config::kSettingsApplication, config::kSettingsSection, QStringLiteral("ReportTotals"));
    };
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"), [&](ReportPreview& shown) {
            auto* from = shown.findChild<reports::OptionalDateEdit*>(QStringLiteral("PeriodFrom"));
            for (int day = 1; day <= 5; ++day)
                from->setValue(QDate(2026, 2, day));
            shown.findChild<QCheckBox*>(QStringLiteral("Totals"))->setChecked(true);
            EXPECT_EQ(savedTotals(), QStringLiteral("0"));
        });
        EXPECT_EQ(savedTotals(), QStringLiteral("1"));
        preview(chooser, QStringLiteral("Billable Hours by Project"), [&](ReportPreview& shown) {
            EXPECT_EQ(shown.options().period.from, QDate(2026, 2, 5));
            EXPECT_TRUE(shown.options().totals);
        });
    });
}

// A quick choice fills both dates; a date typed past the other end moves
// that end along; emptying both dates shows all dates again.
TEST_F(ReportChoicesTest, QuickChoicesAndDatesWorkTogether)
{
    addSpreadEntries();
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"), [&](ReportPreview& shown) {
            auto* quick = shown.findChild<QComboBox*>(QStringLiteral("QuickPeriod"));
            auto* from = shown.findChild<reports::OptionalDateEdit*>(QStringLiteral("PeriodFrom"));
            auto* to = shown.findChild<reports::OptionalDateEdit*>(QStringLiteral("PeriodTo"));
            EXPECT_EQ(quick->currentText(), QStringLiteral("All dates"));
            EXPECT_TRUE(from->value().isNull());
            const int all = shown.lines().count();

            const int thisYear = quick->findText(QStringLiteral("This year"));
            quick->setCurrentIndex(thisYear);
            Q_EMIT quick->activated(thisYear);
            EXPECT_EQ(from->value(), QDate(QDate::currentDate().year(), 1, 1));
            EXPECT_EQ(to->value(), QDate(QDate::currentDate().year(), 12, 31));

            from->setValue(QDate(2026, 2, 1));
            to->setValue(QDate(2026, 1, 15));
            EXPECT_EQ(from->value(), QDate(2026, 1, 15));
            EXPECT_EQ(quick->currentText(), QStringLiteral("Chosen dates"));
            EXPECT_EQ(shown.options().period.to, QDate(2026, 1, 15));
            EXPECT_LT(shown.lines().count(), all);

            from->setValue(QDate());
            to->setValue(QDate());
            EXPECT_EQ(quick->currentText(), QStringLiteral("All dates"));
            EXPECT_EQ(shown.lines().count(), all);
        });
    });
}

class FilterOrderTest : public ReportChoicesTest, public ::testing::WithParamInterface<const char*> {};

// The filters list their names as the main list sorts them, under any
// locale, the C locale included: without regard to case, numbers by value.
TEST_P(FilterOrderTest, NamesInTheListsOrder)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    const QStringList people{QStringLiteral("Walter"), QStringLiteral("anna"), QStringLiteral("Mia")};
    const QStringList codes{QStringLiteral("Billable 10"), QStringLiteral("Billable b"), QStringLiteral("Billable 9")};
    QList<Entry> entries;
    for (int i = 0; i < 3; ++i)
        entries.append({people.at(i), QStringLiteral("Doe"), codes.at(i), QStringLiteral("2026-01-05"), 1, {}});
    addEntries(entries);
    const auto items = [](const QComboBox* combo) {
        QStringList all;
        for (int i = 0; i < combo->count(); ++i)
            all.append(combo->itemText(i));
        return all;
    };
    openChooser([&](Form4& chooser) {
        preview(chooser, QStringLiteral("Billable Hours by Employee"), [&](ReportPreview& shown) {
            EXPECT_EQ(items(shown.findChild<QComboBox*>(QStringLiteral("EmployeeFilter"))),
                      QStringList({"All", "anna Doe", "Mia Doe", "Walter Doe"}));
            EXPECT_EQ(items(shown.findChild<QComboBox*>(QStringLiteral("WorkCodeFilter"))),
                      QStringList({"All", "Billable 9", "Billable 10", "Billable b"}));
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Locales, FilterOrderTest, ::testing::Values("C", "de_DE"));

}  // namespace
}  // namespace hv::test
