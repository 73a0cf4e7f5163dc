#include "reports_fixture.h"

#include "core/locale_text.h"

#include <QDate>
#include <algorithm>

namespace hv::test {
namespace {

// One report as its reader sees it.
struct ReportCase {
    const char* entry;
    bool landscape;
    // Headings left to right, each with its left edge in twips.
    QList<std::pair<QString, int>> headings;
    // The query that yields the report's rows in the report's order.
    const char* rows;
};

void PrintTo(const ReportCase& c, std::ostream* out)
{
    *out << c.entry;
}

const QList<std::pair<QString, int>> kByEmployee{{QStringLiteral("Employee"), 0},
                                                 {QStringLiteral("Date Worked"), 2736},
                                                 {QStringLiteral("Work Code"), 4176},
                                                 {QStringLiteral("Hours"), 5616},
                                                 {QStringLiteral("Work Description"), 6624}};
const QList<std::pair<QString, int>> kByProject{{QStringLiteral("Work Code"), 0},
                                                {QStringLiteral("Employee"), 1440},
                                                {QStringLiteral("Date Worked"), 4176},
                                                {QStringLiteral("Hours"), 5616},
                                                {QStringLiteral("Work Description"), 6624}};

// A point on the page from a place in twips inside the one-inch margin.
double pointsFromLeft(int twips)
{
    return 72.0 + twips / 20.0;
}

// The words of a page whose tops lie within a point of a given top.
QList<PdfWord> lineAt(const PdfPage& page, double top)
{
    QList<PdfWord> line;
    for (const PdfWord& word : page.words) {
        if (qAbs(word.box.top() - top) < 1.0)
            line.append(word);
    }
    return line;
}

class ReportOutputTest : public ReportsTest, public ::testing::WithParamInterface<ReportCase> {};

// Title once, the headings at their places on every page, every row once and
// in the query's order, each value at its column's left edge, and the paper
// turned for the billable reports.
TEST_P(ReportOutputTest, PagesCarryHeadingsAndEveryRowOnceInOrder)
{
    const ReportCase& c = GetParam();
    // Enough for three landscape pages.
    addSpreadEntries(120, [](int i) { return QDate(2026, 3, 1).addDays(i); }, [](int i) { return 0.25 * (i % 9 + 1); });
    const QList<PdfPage> pages = readPdf(exportReport(QString::fromLatin1(c.entry)));
    ASSERT_GE(pages.size(), 2);

    QStringList expectedTasks;
    QStringList expectedDates;
    for (const QVariantList& row : rows(QString::fromLatin1(c.rows))) {
        expectedTasks.append(row.at(0).toString());
        expectedDates.append(text::dateToText(row.at(1).toDate()));
    }
    ASSERT_FALSE(expectedTasks.isEmpty());

    const int dateLeft = std::find_if(c.headings.begin(), c.headings.end(), [](const auto& h) {
                             return h.first == QStringLiteral("Date Worked");
                         })->second;
    QStringList printedTasks;
    int titles = 0;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const PdfPage& page = pages.at(p);
        const QSizeF expectedSize = c.landscape ? QSizeF(792, 612) : QSizeF(612, 792);
        EXPECT_NEAR(page.size.width(), expectedSize.width(), 0.5) << "page " << p;
        EXPECT_NEAR(page.size.height(), expectedSize.height(), 0.5) << "page " << p;
        titles += page.text.count(QString::fromLatin1(c.entry));

        // The headings: one line, the first word of each at its left edge.
        const PdfWord& firstHeading = page.words.at(p == 0 ? 4 : 0);
        const QList<PdfWord> headingLine = lineAt(page, firstHeading.box.top());
        QStringList headingTexts;
        for (const PdfWord& word : headingLine)
            headingTexts.append(word.text);
        QStringList expectedHeadings;
        for (const auto& [heading, left] : c.headings)
            expectedHeadings.append(heading);
        EXPECT_EQ(headingTexts.join(QLatin1Char(' ')), expectedHeadings.join(QLatin1Char(' '))) << "page " << p;
        for (const auto& [heading, left] : c.headings) {
            const QString firstWord = heading.section(QLatin1Char(' '), 0, 0);
            const bool placed = std::any_of(headingLine.begin(), headingLine.end(), [&](const PdfWord& w) {
                return w.text == firstWord && qAbs(w.box.left() - pointsFromLeft(left)) <= 1.0;
            });
            EXPECT_TRUE(placed) << heading.toStdString() << " on page " << p;
        }

        // Each detail line: its task in the description column, its date
        // in the date column, on the same line.
        for (const PdfWord& word : page.words) {
            if (!word.text.startsWith(QStringLiteral("Task")))
                continue;
            EXPECT_NEAR(word.box.left(), pointsFromLeft(6624), 1.0) << word.text.toStdString();
            const int row = static_cast<int>(printedTasks.size());
            printedTasks.append(word.text);
            const QList<PdfWord> line = lineAt(page, word.box.top());
            // The date column's words, the first at the column's left edge.
            QList<PdfWord> date;
            for (const PdfWord& w : line) {
                if (w.box.left() > pointsFromLeft(dateLeft) - 1.0 && w.box.left() < pointsFromLeft(dateLeft + 1440))
                    date.append(w);
            }
            ASSERT_FALSE(date.isEmpty()) << word.text.toStdString();
            EXPECT_NEAR(date.first().box.left(), pointsFromLeft(dateLeft), 1.0);
            QStringList dateWords;
            for (const PdfWord& w : date)
                dateWords.append(w.text);
            EXPECT_EQ(dateWords.join(QLatin1Char(' ')), expectedDates.value(row)) << word.text.toStdString();
        }
    }
    EXPECT_EQ(titles, 1);
    EXPECT_EQ(printedTasks, expectedTasks);
}

// No rows: the title and the headings, nothing else.
TEST_P(ReportOutputTest, NoRowsGiveTitleAndHeadingsOnly)
{
    const ReportCase& c = GetParam();
    const QList<PdfPage> pages = readPdf(exportReport(QString::fromLatin1(c.entry)));
    ASSERT_EQ(pages.size(), 1);
    QStringList words;
    for (const PdfWord& word : pages.first().words)
        words.append(word.text);
    QStringList expected = QString::fromLatin1(c.entry).split(QLatin1Char(' '));
    for (const auto& [heading, left] : c.headings)
        expected += heading.split(QLatin1Char(' '));
    EXPECT_EQ(words, expected);
    EXPECT_NEAR(pages.first().words.first().box.left(), pointsFromLeft(144), 1.0);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportOutputTest,
    ::testing::Values(
        ReportCase{"Billable Hours by Employee", true, kByEmployee,
                   "select [Work Description], [Date Worked] from [Billable Hours] order by [Employee Name]"},
        ReportCase{"Billable Hours by Project", true, kByProject,
                   "select [Work Description], [Date Worked] from [Billable Hours] order by [Work Code Description]"},
        ReportCase{"Non-Billable Hours by Employee", false, kByEmployee,
                   "select [Work Description], [Date Worked] from [Non Billable Hours] order by [Employee Name]"}));

// A text wider than its field ends in "…" inside the field and keeps clear
// of the next column; the next column's value stays whole.
TEST_F(ReportsTest, TextWiderThanItsFieldEndsInAnEllipsisInsideTheField)
{
    const QString longName = QStringLiteral("Bartholomew-Maximilian Vanderbergh-Oppenheimer-Smythe");
    const QString longCode = QStringLiteral("Billable software development");
    const QString longDescription = QStringLiteral(
        "Rewired the whole second floor of the customer's warehouse and labelled every socket on the way out");
    addEntries({{QStringLiteral("Bartholomew-Maximilian"), QStringLiteral("Vanderbergh-Oppenheimer-Smythe"), longCode,
                 QStringLiteral("2026-05-04"), 16, longDescription}});
    const QList<PdfPage> pages = readPdf(exportReport(QStringLiteral("Billable Hours by Employee")));
    ASSERT_EQ(pages.size(), 1);

    const auto hours = std::find_if(pages.first().words.begin(), pages.first().words.end(),
                                    [](const PdfWord& w) { return w.box.left() > pointsFromLeft(5616) - 1
                                                                  && w.box.left() < pointsFromLeft(5616) + 1
                                                                  && w.text != QStringLiteral("Hours"); });
    ASSERT_NE(hours, pages.first().words.end());
    EXPECT_EQ(hours->text, QStringLiteral("16"));

    // Each cut text: the words of its column, ending in "…" before the next
    // column's left edge, what stands before it the start of the text.
    const struct {
        QString whole;
        int left;
        int right;
    } columns[] = {{longName, 0, 2736}, {longCode, 4176, 5616}, {longDescription, 6624, 6624 + 3312}};
    const QList<PdfWord> line = lineAt(pages.first(), hours->box.top());
    for (const auto& column : columns) {
        QString shown;
        for (const PdfWord& word : line) {
            if (word.box.left() >= pointsFromLeft(column.left) - 1 && word.box.left() < pointsFromLeft(column.right)) {
                EXPECT_LT(word.box.right(), pointsFromLeft(column.right)) << word.text.toStdString();
                shown += word.text + QLatin1Char(' ');
            }
        }
        shown = shown.trimmed();
        ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        shown.chop(1);
        EXPECT_FALSE(shown.isEmpty());
        EXPECT_TRUE(column.whole.startsWith(shown)) << shown.toStdString();
        EXPECT_LT(shown.size(), column.whole.size());
    }
}

}  // namespace
}  // namespace hv::test
