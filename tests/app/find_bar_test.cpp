#include "fixtures/main_window_fixture.h"

#include "app/find_bar.h"
#include "app/main_window_layout.h"
#include "app/work_hours_model.h"
#include "core/twips.h"

#include <QComboBox>
#include <QTreeView>

namespace hv::test {
namespace {

using reports::QuickPeriod;

class FindBarTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_now = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
        m_window = start();
        execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"),
                 QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Cid','Carter')"),
                 QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"),
                 QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',FALSE)"),
                 entry(1, "2026-11-03", 1, "0.1", "Review of plans"),
                 entry(1, "2026-12-01", 2, "0.2", "Phone call"),
                 entry(2, "2026-12-02", 2, "7.25", "phone REVIEW"),
                 entry(1, "2026-12-05", 2, "1", "Meeting")});
        m_window->ListData();
    }

    static QString entry(int employee, const char* day, int workCode, const char* hours, const char* text)
    {
        return entryInsert(employee, QString::fromLatin1(day), workCode, QString::fromLatin1(hours),
                           QString::fromLatin1(text));
    }

    QStringList shownIds() const
    {
        QStringList ids;
        for (const QStringList& row : listRows(*m_window))
            ids << row.at(0);
        return ids;
    }

    std::unique_ptr<Form1> m_window;
};

struct Search {
    const char* employee;
    const char* workCode;
    QuickPeriod period;
    const char* text;
    QStringList ids;
    const char* result;
};

class FindBarSearchTest : public FindBarTest, public ::testing::WithParamInterface<Search> {};

TEST_P(FindBarSearchTest, ShowsTheMatchingEntriesWithTheirCountAndExactTotal)
{
    m_window->showFindBar();
    const Search& search = GetParam();
    m_window->findBar()->choose(QString::fromLatin1(search.employee), QString::fromLatin1(search.workCode),
                                search.period, QString::fromLatin1(search.text));
    EXPECT_EQ(shownIds(), search.ids);
    EXPECT_EQ(m_window->findBar()->resultText(), QString::fromLatin1(search.result));
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Searches, FindBarSearchTest,
    ::testing::Values(Search{"", "", QuickPeriod::AllDates, "", {"1", "2", "3", "4"}, "4 entries, 8.55 hours"},
                      Search{"Ann Archer", "", QuickPeriod::AllDates, "", {"1", "2", "4"}, "3 entries, 1.3 hours"},
                      Search{"", "Support", QuickPeriod::AllDates, "", {"2", "3", "4"}, "3 entries, 8.45 hours"},
                      Search{"", "", QuickPeriod::ThisMonth, "", {"2", "3", "4"}, "3 entries, 8.45 hours"},
                      Search{"", "", QuickPeriod::LastMonth, "", {"1"}, "1 entry, 0.1 hours"},
                      Search{"", "", QuickPeriod::AllDates, "review", {"1", "3"}, "2 entries, 7.35 hours"},
                      Search{"Ann Archer", "Support", QuickPeriod::ThisWeek, "", {}, "0 entries, 0 hours"},
                      Search{"Ann Archer", "Support", QuickPeriod::ThisMonth, "PHONE", {"2"}, "1 entry, 0.2 hours"},
                      Search{"Nobody Known", "", QuickPeriod::AllDates, "", {}, "0 entries, 0 hours"}));

TEST_F(FindBarTest, ChoicesAndTotalsFollowARefillAndASort)
{
    m_window->showFindBar();
    m_window->findBar()->choose(QStringLiteral("Cid Carter"), {}, QuickPeriod::AllDates, {});
    execute({entry(2, "2026-12-07", 1, "0.05", "Drawings")});
    m_window->ListData();
    EXPECT_EQ(shownIds(), (QStringList{"3", "5"}));
    EXPECT_EQ(m_window->findBar()->resultText(), QStringLiteral("2 entries, 7.3 hours"));
    m_window->ListView1_ColumnClick(5);
    EXPECT_EQ(shownIds(), (QStringList{"5", "3"}));
}

TEST_F(FindBarTest, HiddenTheListShowsEveryEntryInItsDesignedPlace)
{
    const QRectF design = layout::designPlaces().list;
    const QRect place = twips::rect(design.left(), design.top(), design.width(), design.height());
    ASSERT_EQ(m_window->listView()->geometry(), place);

    m_window->showFindBar();
    m_window->findBar()->choose({}, {}, QuickPeriod::AllDates, QStringLiteral("phone"));
    EXPECT_TRUE(place.contains(m_window->findBar()->geometry()));
    EXPECT_TRUE(place.contains(m_window->listView()->geometry()));
    EXPECT_FALSE(m_window->findBar()->geometry().intersects(m_window->listView()->geometry()));

    m_window->hideFindBar();
    EXPECT_EQ(m_window->listView()->geometry(), place);
    EXPECT_EQ(shownIds(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(m_window->selectedPosition(), 1);
}

// Whether the bar is open outlives a restart; its criteria do not, so that no
// entry is hidden without the user seeing why.
TEST_F(FindBarTest, TheBarOpensAgainWithoutTheLastRunsCriteria)
{
    m_window->showFindBar();
    m_window->findBar()->choose(QStringLiteral("Cid Carter"), {}, QuickPeriod::ThisMonth, QStringLiteral("rev"));
    EXPECT_EQ(shownIds(), QStringList{"3"});
    closeWindow(m_window);

    m_window = start();
    EXPECT_TRUE(m_window->findBarShown());
    EXPECT_EQ(shownIds().size(), 4);

    m_window->hideFindBar();
    closeWindow(m_window);
    m_window = start();
    EXPECT_FALSE(m_window->findBarShown());
    EXPECT_EQ(shownIds().size(), 4);
}

// A name of records no longer active reads so in the list, and is still
// what the bar looks for.
TEST(FindBarChoices, MarkNamesOfRecordsNoLongerActive)
{
    FindBar bar;
    bar.setChoices({QStringLiteral("Ann Archer"), QStringLiteral("Cid Carter")}, {QStringLiteral("Design")},
                   {QStringLiteral("Cid Carter")}, {QStringLiteral("Design")});
    auto* employees = bar.findChild<QComboBox*>(QStringLiteral("FindEmployee"));
    auto* workCodes = bar.findChild<QComboBox*>(QStringLiteral("FindWorkCode"));
    ASSERT_TRUE(employees && workCodes);
    EXPECT_EQ(employees->itemText(1), QStringLiteral("Ann Archer"));
    EXPECT_EQ(employees->itemText(2), QStringLiteral("Cid Carter (inactive)"));
    EXPECT_EQ(workCodes->itemText(1), QStringLiteral("Design (inactive)"));
    employees->setCurrentIndex(2);
    EXPECT_EQ(bar.filter(QDate(2026, 12, 8)).employee, QStringLiteral("Cid Carter"));
}

}  // namespace
}  // namespace hv::test
