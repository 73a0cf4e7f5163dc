// The week sheet's grid, without a window: rows from stored entries, typed
// hours, totals, what changed, what a save writes, refuses and asks.
#include "entries/week_grid.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

using entries::WeekGrid;
using Entry = WeekGrid::Entry;
using Write = WeekGrid::Write;

// Monday 30 November 2026.
const QDate kMonday(2026, 11, 30);

Entry entry(qint64 id, qint64 workCode, int day, double hours, const QString& description = QString())
{
    return Entry{id, workCode, QDateTime(kMonday.addDays(day), QTime(0, 0), Qt::UTC), hours, description};
}

class WeekGridTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

struct StartCase {
    Qt::DayOfWeek firstDay;
    QDate day;
    QDate start;
};

class WeekStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(WeekStartTest, TheWeekStartsOnItsFirstDayOnOrBeforeTheDay)
{
    EXPECT_EQ(WeekGrid::weekStart(GetParam().day, GetParam().firstDay), GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(Days, WeekStartTest,
                         ::testing::Values(StartCase{Qt::Monday, QDate(2026, 12, 3), kMonday},
                                           StartCase{Qt::Monday, kMonday, kMonday},
                                           StartCase{Qt::Monday, QDate(2026, 12, 6), kMonday},
                                           StartCase{Qt::Sunday, QDate(2026, 12, 3), QDate(2026, 11, 29)},
                                           StartCase{Qt::Sunday, QDate(2026, 11, 29), QDate(2026, 11, 29)},
                                           StartCase{Qt::Saturday, QDate(2026, 12, 4), QDate(2026, 11, 28)}));

struct HoursCase {
    QLocale::Language language;
    QLocale::Territory territory;
    QString text;
    std::optional<double> hours;
};

class TypedHoursTest : public ::testing::TestWithParam<HoursCase> {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_P(TypedHoursTest, DecimalsOfTheLocaleAndHoursWithMinutesAreRead)
{
    QLocale::setDefault(QLocale(GetParam().language, GetParam().territory));
    EXPECT_EQ(WeekGrid::hoursOf(GetParam().text), GetParam().hours);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedHoursTest,
    ::testing::Values(HoursCase{QLocale::English, QLocale::UnitedStates, QStringLiteral("8"), 8.0},
                      HoursCase{QLocale::English, QLocale::UnitedStates, QStringLiteral("7.5"), 7.5},
                      HoursCase{QLocale::German, QLocale::Germany, QStringLiteral("7,5"), 7.5},
                      HoursCase{QLocale::German, QLocale::Germany, QStringLiteral("7:45"), 7.75},
                      HoursCase{QLocale::English, QLocale::UnitedStates, QStringLiteral("0:30"), 0.5},
                      HoursCase{QLocale::English, QLocale::UnitedStates, QStringLiteral("7:75"), std::nullopt},
                      HoursCase{QLocale::English, QLocale::UnitedStates, QStringLiteral("eight"), std::nullopt}));

TEST_F(WeekGridTest, StoredEntriesFillTheirCellsAndSeveralInOneCellAreShownAsTheirSumReadOnly)
{
    const WeekGrid grid(kMonday, {entry(1, 2, 0, 8), entry(2, 1, 1, 3), entry(3, 1, 1, 4.5), entry(4, 1, 2, 2, "QA"),
                                  entry(5, 1, 7, 9), entry(6, 1, -1, 9)});
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.workCode(0), 1);
    EXPECT_EQ(grid.description(0), QString());
    EXPECT_EQ(grid.description(1), QStringLiteral("QA"));
    EXPECT_EQ(grid.workCode(2), 2);
    EXPECT_EQ(grid.text(0, 1), QStringLiteral("7.5"));
    EXPECT_FALSE(grid.editable(0, 1));
    EXPECT_EQ(grid.entryIds(0, 1), (std::vector<qint64>{2, 3}));
    EXPECT_TRUE(grid.editable(2, 0));
    EXPECT_EQ(grid.text(2, 0), QStringLiteral("8"));
    EXPECT_FALSE(grid.changed());
}

TEST_F(WeekGridTest, TotalsFollowWhatIsTypedAndCountTextThatIsNoHoursAsNothing)
{
    WeekGrid grid(kMonday, {entry(1, 1, 0, 8), entry(2, 1, 0, 1), entry(3, 2, 0, 2)});
    const int added = grid.addRow(3);
    grid.setText(added, 0, QStringLiteral("1:30"));
    grid.setText(added, 1, QStringLiteral("x"));
    grid.setText(added, 2, QStringLiteral("6"));
    grid.setText(0, 0, QStringLiteral("20"));  // several entries: not taken
    EXPECT_DOUBLE_EQ(grid.rowTotal(0), 9.0);
    EXPECT_DOUBLE_EQ(grid.rowTotal(added), 7.5);
    EXPECT_DOUBLE_EQ(grid.dayTotal(0), 12.5);
    EXPECT_DOUBLE_EQ(grid.dayTotal(1), 0.0);
    EXPECT_DOUBLE_EQ(grid.weekTotal(), 18.5);
}

struct CellCase {
    std::optional<double> stored;
    QString typed;
    std::optional<Write::Kind> write;
    double hours;
};

class CellChangeTest : public WeekGridTest, public ::testing::WithParamInterface<CellCase> {};

TEST_P(CellChangeTest, OnlyAChangedCellIsWrittenAsOneEntry)
{
    std::vector<Entry> stored;
    if (GetParam().stored)
        stored.push_back(entry(7, 1, 3, *GetParam().stored, QStringLiteral("desk")));
    WeekGrid grid(kMonday, stored);
    if (grid.rowCount() == 0)
        grid.addRow(1, QStringLiteral("desk"));
    grid.setText(0, 3, GetParam().typed);
    const std::vector<Write> writes = grid.plan();
    EXPECT_EQ(grid.changed(), GetParam().write.has_value());
    ASSERT_EQ(writes.size(), GetParam().write ? 1U : 0U);
    if (writes.empty())
        return;
    EXPECT_EQ(writes[0].kind, *GetParam().write);
    EXPECT_EQ(writes[0].entryId, GetParam().stored ? 7 : 0);
    EXPECT_EQ(writes[0].day, kMonday.addDays(3));
    EXPECT_EQ(writes[0].workCode, 1);
    EXPECT_EQ(writes[0].description, QStringLiteral("desk"));
    EXPECT_DOUBLE_EQ(writes[0].hours, GetParam().hours);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellChangeTest,
    ::testing::Values(CellCase{std::nullopt, QStringLiteral("8"), Write::Add, 8.0},
                      CellCase{std::nullopt, QStringLiteral(" 7:15 "), Write::Add, 7.25},
                      CellCase{std::nullopt, QString(), std::nullopt, 0.0},
                      CellCase{8.0, QStringLiteral("8:00"), std::nullopt, 0.0},
                      CellCase{8.0, QStringLiteral("6.5"), Write::Change, 6.5},
                      CellCase{8.0, QString(), Write::Remove, 0.0}));

struct CheckCase {
    std::vector<QString> typed;  // Monday's hours, one row each
    QString refusal;
    QStringList questions;
};

class SaveCheckTest : public WeekGridTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(SaveCheckTest, TheEntryEditorsHoursChecksStandBeforeASave)
{
    WeekGrid grid(kMonday, {});
    for (const QString& typed : GetParam().typed)
        grid.setText(grid.addRow(1, QString::number(grid.rowCount())), 0, typed);
    const WeekGrid::Check check = grid.check(QStringLiteral("Ann Archer"));
    EXPECT_EQ(check.refusal, GetParam().refusal);
    EXPECT_EQ(check.row, GetParam().refusal.isEmpty() ? -1 : static_cast<int>(GetParam().typed.size()) - 1);
    EXPECT_EQ(check.questions, GetParam().questions);
}

INSTANTIATE_TEST_SUITE_P(
    Hours, SaveCheckTest,
    ::testing::Values(
        CheckCase{{QStringLiteral("8")}, QString(), {}},
        CheckCase{{QStringLiteral("8"), QStringLiteral("eight")}, QStringLiteral("Hours must be numeric."), {}},
        CheckCase{{QStringLiteral("-3")}, QStringLiteral("Hours cannot be negative: type 0 to 24 hours."), {}},
        CheckCase{{QStringLiteral("25")}, QStringLiteral("Hours cannot be more than 24 in one entry."), {}},
        CheckCase{{QStringLiteral("0")}, QString(), {QStringLiteral("11/30/2026: This entry has 0 hours. Save it anyway?")}},
        CheckCase{{QStringLiteral("13"), QStringLiteral("12")},
                  QString(),
                  {QStringLiteral("With this entry Ann Archer has 25 hours on 11/30/2026 (Monday), more than 24 in "
                                  "one day. Save it anyway?")}}));

TEST_F(WeekGridTest, ARowWithoutAWorkCodeIsRefused)
{
    WeekGrid grid(kMonday, {});
    grid.setText(grid.addRow(0), 2, QStringLiteral("8"));
    const WeekGrid::Check check = grid.check(QStringLiteral("Ann"));
    EXPECT_EQ(check.refusal, QStringLiteral("You forgot to select Work Code."));
    EXPECT_EQ(check.day, 2);
}

TEST_F(WeekGridTest, ARowKeepsTheWorkCodeOfItsStoredEntries)
{
    WeekGrid grid(kMonday, {entry(1, 1, 0, 8)});
    const int added = grid.addRow(0);
    grid.setRow(0, 5, QStringLiteral("moved"));
    grid.setRow(added, 5, QStringLiteral("new"));
    EXPECT_EQ(grid.workCode(0), 1);
    EXPECT_EQ(grid.workCode(added), 5);
    EXPECT_EQ(grid.description(added), QStringLiteral("new"));
}

TEST_F(WeekGridTest, CopyingThePreviousWeekFillsItsRowsButNeverOverAnythingHere)
{
    WeekGrid grid(kMonday, {entry(1, 1, 0, 2)});
    grid.setText(0, 1, QStringLiteral("3"));
    const auto before = [](qint64 id, qint64 code, int day, double hours, const QString& description = QString()) {
        return entry(id, code, day - 7, hours, description);
    };
    grid.copyFrom({before(10, 1, 0, 8), before(11, 1, 1, 8), before(12, 1, 2, 4), before(13, 1, 2, 4),
                   before(14, 2, 4, 6, QStringLiteral("QA"))});
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.text(0, 0), QStringLiteral("2"));
    EXPECT_EQ(grid.text(0, 1), QStringLiteral("3"));
    EXPECT_EQ(grid.text(0, 2), QStringLiteral("8"));
    EXPECT_EQ(grid.workCode(1), 2);
    EXPECT_EQ(grid.description(1), QStringLiteral("QA"));
    EXPECT_EQ(grid.text(1, 4), QStringLiteral("6"));
    EXPECT_EQ(grid.plan().size(), 3U);
}

struct DescribeCase {
    std::vector<Write::Kind> kinds;
    QString description;
};

class SaveDescriptionTest : public ::testing::TestWithParam<DescribeCase> {};

TEST_P(SaveDescriptionTest, TheJournalNamesTheWeekTheEmployeeAndWhatWasWritten)
{
    std::vector<Write> writes;
    for (Write::Kind kind : GetParam().kinds) {
        Write write;
        write.kind = kind;
        writes.push_back(write);
    }
    EXPECT_EQ(WeekGrid::describe(writes, kMonday, QStringLiteral("Ann Archer")), GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, SaveDescriptionTest,
    ::testing::Values(
        DescribeCase{{Write::Add, Write::Add, Write::Add, Write::Add, Write::Add, Write::Change},
                     QStringLiteral("Week of 30 Nov 2026 for Ann Archer: 5 entries added, 1 changed")},
        DescribeCase{{Write::Add}, QStringLiteral("Week of 30 Nov 2026 for Ann Archer: 1 entry added")},
        DescribeCase{{Write::Remove, Write::Change, Write::Remove},
                     QStringLiteral("Week of 30 Nov 2026 for Ann Archer: 1 entry changed, 2 deleted")}));

}  // namespace
}  // namespace hv::test
