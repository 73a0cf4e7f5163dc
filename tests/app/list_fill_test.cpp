// The window before the list is read whole: start-up shows it with the first
// batch of rows in place, reads the rest from the event loop, and whatever
// needs every entry reads the rest first. The fill is slowed through the
// window's pace (two rows before the window, one a batch), and the event
// loop runs only where a test runs it, so nothing here waits on the clock.
#include "fixtures/main_window_fixture.h"

#include "app/find_bar.h"
#include "app/work_hours_model.h"
#include "core/settings_section.h"
#include "data/connection.h"
#include "gui/shared_connection.h"
#include "gui/work_progress.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <functional>

namespace hv::test {
namespace {

constexpr int kEntries = 7;

class ListFillTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        auto first = start();
        closeWindow(first);
        QStringList descriptions;
        for (int n = 1; n <= kEntries; ++n)
            descriptions << QStringLiteral("task %1").arg(n);
        addAnnsEntries(descriptions);
        m_listPace = {2, 1, 0};
        m_ui.clear();
    }

    // Runs the event loop until the window has nothing left to do (the
    // page check and the daily backup go on beside it); fails the test
    // rather than wait for ever.
    static void runUntilDone(const Form1& window)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.session().isReady({.backupDone = true}); }, 60000));
    }

    static QStringList ids(const Form1& window)
    {
        QStringList shown;
        for (const QStringList& row : listRows(window))
            shown << row.first();
        return shown;
    }

    static QStringList idsInOrder(int count)
    {
        QStringList expected;
        for (int id = 1; id <= count; ++id)
            expected << QString::number(id);
        return expected;
    }
};

TEST_F(ListFillTest, TheWindowComesWithTheFirstBatchInPlaceAndTheRestFollows)
{
    const settings::Section saved;
    saved.save(QStringLiteral("2ColumnHeaders"), QStringLiteral("2500"));
    saved.save(QStringLiteral("WindowState"), QStringLiteral("2"));

    auto window = load();
    EXPECT_TRUE(window->listPending());
    EXPECT_EQ(ids(*window), idsInOrder(2));
    EXPECT_EQ(window->listView()->currentIndex().row(), 0);
    EXPECT_EQ(window->columnWidthTwips(2), 2500.0);
    EXPECT_TRUE(window->maximized());

    // The user moves on to the second row while the rest is read.
    window->selectPosition(2);
    runUntilDone(*window);
    EXPECT_EQ(ids(*window), idsInOrder(kEntries));
    EXPECT_EQ(window->listView()->currentIndex().row(), 1);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    closeWindow(window);
}

// What the user does before the rest of the list is read, and what it saw
// of the list when it acted.
struct EarlyAction {
    const char* name;
    std::function<void(Form1&, UiRecorder&, int& rowsSeen)> act;
};

void PrintTo(const EarlyAction& action, std::ostream* out)
{
    *out << action.name;
}

// How many rows the list held, once read whole; -1 while it is still read
// (or, before a change, while the page check's verdict is still awaited).
int rowsRead(const Form1& window, bool changing)
{
    const bool ready = changing ? window.session().isReady({.write = true}) : !window.listPending();
    return ready ? window.listModel()->rowCount() : -1;
}

// A box or a modal window records what the list held when it came.
void seeRowsAtNextBox(Form1& window, UiRecorder& ui, int& rowsSeen)
{
    ui.beforeNextAnswer([&] { rowsSeen = rowsRead(window, true); });
}

void seeRowsAtNextModal(Form1& window, UiRecorder& ui, int& rowsSeen, bool changing)
{
    ui.onNextModal([&, changing](QDialog& dialog) {
        rowsSeen = rowsRead(window, changing);
        dialog.reject();
    });
}

const EarlyAction kEarlyActions[] = {
    {"HeaderClick",
     [](Form1& window, UiRecorder&, int& rowsSeen) {
         window.ListView1_ColumnClick(1);
         window.ListView1_ColumnClick(1);  // descending: the last entry first
         rowsSeen = rowsRead(window, false);
         EXPECT_EQ(window.listModel()->text(0, 0), QString::number(kEntries));
     }},
    {"Find",
     [](Form1& window, UiRecorder&, int& rowsSeen) {
         window.showFindBar();
         rowsSeen = rowsRead(window, false);
     }},
    {"Reports",
     [](Form1& window, UiRecorder& ui, int& rowsSeen) {
         seeRowsAtNextModal(window, ui, rowsSeen, false);
         window.PushButton5_Click();
     }},
    {"Delete",
     [](Form1& window, UiRecorder& ui, int& rowsSeen) {
         seeRowsAtNextBox(window, ui, rowsSeen);
         ui.answerNext(QMessageBox::No);
         window.PushButton3_Click();
     }},
    {"Add",
     [](Form1& window, UiRecorder& ui, int& rowsSeen) {
         seeRowsAtNextModal(window, ui, rowsSeen, true);
         window.PushButton2_Click();
     }},
};

class EarlyActionTest : public ListFillTest, public ::testing::WithParamInterface<EarlyAction> {};

TEST_P(EarlyActionTest, ReadsTheWholeListBeforeItActs)
{
    auto window = load();
    ASSERT_TRUE(window->listPending());
    int rowsSeen = 0;
    GetParam().act(*window, m_ui, rowsSeen);
    EXPECT_EQ(rowsSeen, kEntries);
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    closeWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Actions, EarlyActionTest, ::testing::ValuesIn(kEarlyActions),
                         [](const auto& info) { return std::string(info.param.name); });

// Edit finds its place again by its position once the list is refilled,
// also at a position past the first batch of the refill.
TEST_F(ListFillTest, EditKeepsItsPlacePastTheFirstBatch)
{
    auto window = load();
    runUntilDone(*window);
    window->selectPosition(5);
    m_ui.onNextModal([](QDialog& dialog) { dialog.reject(); });
    window->PushButton1_Click();
    EXPECT_EQ(window->selectedPosition(), 5);
    EXPECT_EQ(window->selectedText(0), QStringLiteral("5"));
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    closeWindow(window);
}

TEST_F(ListFillTest, ARefillWhileReadingStartsOverWithEveryEntryOnce)
{
    auto window = load();
    ASSERT_TRUE(window->listPending());
    // Written on the window's own connection: the rows being read keep
    // other connections from writing meanwhile.
    SharedConnection::get().Execute(entryInsert(1, QStringLiteral("2026-12-31"), 1, QStringLiteral("3"), QStringLiteral("late")));
    window->ListData();
    EXPECT_EQ(ids(*window), idsInOrder(2));
    runUntilDone(*window);
    EXPECT_EQ(ids(*window), idsInOrder(kEntries + 1));
    closeWindow(window);
}

// Long work lets the event loop run between its steps: meanwhile the list
// is read no further and the checks after the open make no backup; both go
// on once the work ends.
TEST_F(ListFillTest, LongWorkHoldsOffTheFillAndTheChecksAfterTheOpen)
{
    const QString backups = backupsFolder();
    QDir(backups).removeRecursively();
    auto window = load();
    ASSERT_TRUE(window->listPending());
    SharedConnection::waitForPageCheck();
    QStringList shownMeanwhile;
    bool backedUpMeanwhile = false;
    UiSeam::setProgressHandler([&](const ProgressRequest&) {
        QTest::qWait(100);
        shownMeanwhile = ids(*window);
        backedUpMeanwhile = backedUpMeanwhile || QFileInfo::exists(backups);
        return true;
    });
    {
        WorkProgress work(window.get(), QStringLiteral("Writing..."));
        const WorkSteps steps = work.steps();
        steps(1, 2);
        steps(2, 2);
    }
    EXPECT_EQ(shownMeanwhile, idsInOrder(2));
    EXPECT_FALSE(backedUpMeanwhile);

    runUntilDone(*window);
    EXPECT_EQ(ids(*window), idsInOrder(kEntries));
    EXPECT_TRUE(QFileInfo::exists(backups));
    closeWindow(window);
}

TEST_F(ListFillTest, ClosingWhileReadingLeavesQuietly)
{
    auto window = load();
    ASSERT_TRUE(window->listPending());
    closeWindow(window);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    EXPECT_FALSE(SharedConnection::isSet());
}

}  // namespace
}  // namespace hv::test
