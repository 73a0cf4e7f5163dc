// The list follows what another program changes in the database, on a local
// file (its data_version, asked on the window's activation and a timer) and
// on a server (the tables' notifications): adds, edits and deletes refill it
// within a second with the current entry still current and the sort kept;
// an entry gone leaves the refill's own current row; nothing is refilled
// while a box of the program is open, but at once when it closes.
#include "fixtures/main_window_fixture.h"

#include "app/live_list.h"
#include "app/work_hours_model.h"
#include "data/connection.h"
#include "database/database_choice.h"
#include "data/recordset.h"
#include "gui/shared_connection.h"
#include "support/test_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>

namespace hv::test {
namespace {

class LiveListTest : public MainWindowTest, public ::testing::WithParamInterface<Backend> {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (GetParam() == Backend::Server) {
            if (!testServerAddress())
                GTEST_SKIP() << noTestServerReason().toStdString();
            m_schema = std::make_unique<TestServerSchema>();
            database::DatabaseChoice::chooseServer(m_schema->address());
        }
    }

    // The window, and the other program's connection to its database; a
    // local file is asked often, as the timer would in the end.
    std::unique_ptr<Form1> startBoth()
    {
        auto window = start();
        if (GetParam() == Backend::Server) {
            m_other.Open(m_schema->address());
        } else {
            m_other.Open(QStringLiteral("data source=") + data::Connection::quoted(liveDatabase()));
            window->findChild<LiveList*>()->watch().setIntervals(1000, 100);
        }
        return window;
    }

    void other(const QString& sql) { m_other.Execute(sql); }

    // Runs the event loop until `done`, at most `waitMs`; whether it was done.
    static bool until(const std::function<bool()>& done, int waitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > waitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }

    static QString currentId(const Form1& window)
    {
        return window.selectedPosition() > 0 ? window.selectedText(0) : QString();
    }

    std::unique_ptr<TestServerSchema> m_schema;
    data::Connection m_other;
};
INSTANTIATE_TEST_SUITE_P(Engines, LiveListTest, backends(), backendName);

TEST_P(LiveListTest, AnothersChangesRefillTheListKeepingTheCurrentEntryAndTheSort)
{
    auto window = startBoth();
    ASSERT_TRUE(listRows(*window).isEmpty());
    other(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
    other(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
    for (int n = 1; n <= 3; ++n)
        other(entryInsert(1, QStringLiteral("2026-12-0%1").arg(n), 1, QString::number(n + 1), QStringLiteral("e%1").arg(n)));
    const auto rows = [&](int count) { return [&, count] { return listRows(*window).size() == count; }; };
    ASSERT_TRUE(until(rows(3), 1000));

    // Hours, descending: e3 (4), e2 (3), e1 (2); the user stands on e2.
    window->ListView1_ColumnClick(5);
    window->ListView1_ColumnClick(5);
    window->selectPosition(2);
    ASSERT_EQ(currentId(*window), QStringLiteral("2"));

    other(entryInsert(1, QStringLiteral("2026-12-04"), 1, QStringLiteral("5"), QStringLiteral("e4")));
    ASSERT_TRUE(until(rows(4), 1000));
    EXPECT_EQ(currentId(*window), QStringLiteral("2"));
    EXPECT_EQ(listRows(*window).value(0).value(5), QStringLiteral("e4"));
    EXPECT_TRUE(window->listModel()->sorted());
    EXPECT_EQ(window->listModel()->sortOrder(), WorkHoursModel::Descending);

    other(QStringLiteral("update [Work Hours] set [Work Description]='e2 edited' where ID=2"));
    ASSERT_TRUE(until([&] { return listRows(*window).value(2).value(5) == u"e2 edited"; }, 1000));
    EXPECT_EQ(currentId(*window), QStringLiteral("2"));

    // The current entry deleted: the refill's own current row, the first.
    other(QStringLiteral("delete from [Work Hours] where ID=2"));
    ASSERT_TRUE(until(rows(3), 1000));
    EXPECT_EQ(window->selectedPosition(), 1);
    EXPECT_EQ(currentId(*window), QStringLiteral("4"));
    EXPECT_TRUE(m_ui.messages().isEmpty());
    closeWindow(window);
}

// A long list is read in batches: the current entry stays current when it
// lies beyond the rows the refill has read so far.
TEST_P(LiveListTest, AnEntryBeyondTheFirstRowsReadStaysCurrent)
{
    m_listPace.firstBatch = 2;
    auto window = startBoth();
    other(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
    other(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
    for (int n = 1; n <= 5; ++n)
        other(entryInsert(1, QStringLiteral("2026-12-0%1").arg(n), 1, QStringLiteral("1"), QStringLiteral("e%1").arg(n)));
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 5 && !window->listPending(); }, 1000));
    window->selectPosition(5);

    other(QStringLiteral("update [Work Hours] set [Work Description]='e1 edited' where ID=1"));
    ASSERT_TRUE(until([&] { return listRows(*window).value(0).value(5) == u"e1 edited"; }, 1000));
    EXPECT_EQ(currentId(*window), QStringLiteral("5"));
    closeWindow(window);
}

TEST_P(LiveListTest, NothingIsRefilledWhileABoxIsOpenButAtOnceWhenItCloses)
{
    auto window = startBoth();
    other(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
    other(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
    m_ui.beforeNextAnswer([&] {
        other(entryInsert(1, QStringLiteral("2026-12-01"), 1, QStringLiteral("1"), QStringLiteral("while open")));
        until([] { return false; }, 1200);
        EXPECT_TRUE(listRows(*window).isEmpty()) << "refilled while a box was open";
    });
    window->showAbout();
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 1; }, 500));
    closeWindow(window);
}

// The server ends the window's connection (as a restart does): the watch
// connects again by itself, and others' changes show again without F5.
TEST_P(LiveListTest, TheWatchConnectsAgainAfterTheServerEndedItsConnection)
{
    if (GetParam() != Backend::Server)
        GTEST_SKIP() << "a local file has no connection to lose";
    auto window = startBoth();
    data::Recordset pid;
    pid.Open(QStringLiteral("select pg_backend_pid() as [P]"), SharedConnection::get());
    ASSERT_EQ(m_schema->run("SELECT pg_terminate_backend(" + QByteArray::number(pid.value(0).toLongLong()) + ")"),
              QString());
    pid.Close();
    other(QStringLiteral("insert into [Work Hours] (Hours) values (1)"));
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 1; }, 5000));
    other(QStringLiteral("insert into [Work Hours] (Hours) values (2)"));
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 2; }, 2000));
    EXPECT_FALSE(window->windowTitle().contains(LiveList::unreachedNote()));
    EXPECT_TRUE(m_ui.messages().isEmpty());
    closeWindow(window);
}

// A refill the server cannot give keeps the rows shown and says so in the
// title, without a box; the next refill that reads mends both.
TEST_P(LiveListTest, ARefillThatCannotReadKeepsTheRowsShownAndSaysSo)
{
    if (GetParam() != Backend::Server)
        GTEST_SKIP() << "a local file is read whole or reported";
    auto window = startBoth();
    other(QStringLiteral("insert into [Work Hours] (Hours) values (1)"));
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 1; }, 2000));
    const QString title = window->windowTitle();
    ASSERT_EQ(m_schema->run("ALTER VIEW \"Work Hours Extended\" RENAME TO hidden"), QString());
    other(QStringLiteral("insert into [Work Hours] (Hours) values (2)"));
    ASSERT_TRUE(until([&] { return window->windowTitle().contains(QStringLiteral("could not be read again")); }, 2000));
    EXPECT_EQ(listRows(*window).size(), 1);
    EXPECT_TRUE(m_ui.messages().isEmpty());
    ASSERT_EQ(m_schema->run("ALTER VIEW hidden RENAME TO \"Work Hours Extended\""), QString());
    other(QStringLiteral("insert into [Work Hours] (Hours) values (3)"));
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 3; }, 7000));
    EXPECT_EQ(window->windowTitle(), title);
    closeWindow(window);
}

TEST_P(LiveListTest, TheWindowsActivationAsksAtOnce)
{
    if (GetParam() == Backend::Server)
        GTEST_SKIP() << "a server tells of its changes itself";
    auto window = startBoth();
    window->findChild<LiveList*>()->watch().setIntervals(1000, 60000);
    other(QStringLiteral("insert into [Work Hours] (Hours) values (1)"));
    until([] { return false; }, 300);
    EXPECT_TRUE(listRows(*window).isEmpty());
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    ASSERT_TRUE(until([&] { return listRows(*window).size() == 1; }, 500));
    closeWindow(window);
}

}  // namespace
}  // namespace hv::test
