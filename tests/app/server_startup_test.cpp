// Start-up on a database on a server: the saved address is opened instead of
// the local file, the title names the server, a password is asked for in the
// password box and kept nowhere, and a server that cannot be reached is
// reported at the open's line.
#include "fixtures/main_window_fixture.h"

#include "database/database_choice.h"
#include "gui/shared_connection.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/postgres/rights.h"
#include "data/postgres/session.h"
#include "data/recordset.h"
#include "support/test_server.h"

#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>

namespace hv::test {
namespace {

// Every file under `folder` that holds `text`.
QStringList filesHolding(const QString& folder, const QByteArray& text)
{
    QStringList found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text))
            found << file.fileName();
    }
    return found;
}

class ServerStartup : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        m_schema = std::make_unique<TestServerSchema>();
        data::PostgresSession::forgetPasswords();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        data::PostgresSession::forgetPasswords();
    }

    std::unique_ptr<TestServerSchema> m_schema;
};

TEST_F(ServerStartup, OpensTheChosenServerAndNamesItInTheTitle)
{
    ASSERT_EQ(m_schema->run("INSERT INTO \"Employees\" (\"First Name\", \"Last Name\") VALUES ('Ann', 'Lee');"
                            "INSERT INTO \"Work Codes\" (\"Description\", \"Billable\") VALUES ('Code', -1);"
                            "INSERT INTO \"Work Hours\" (\"Employee\", \"Date Worked\", \"Work Code\", \"Hours\", "
                            "\"Work Description\") VALUES (1, '2026-12-07', 1, 7.5, 'on the server')"),
              QString());
    EXPECT_EQ(database::DatabaseChoice::chooseServer(m_schema->address()), QString());
    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane (server on this computer)"));
    const QList<QStringList> rows = listRows(*window);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{"1", "Ann Lee", text::dateToText(QDate(2026, 12, 7)), "Code",
                                    text::numberToText(7.5), "on the server"}));
    closeWindow(window);

    // Back to the local file: the title is the product's alone again.
    database::DatabaseChoice::chooseLocal();
    window = start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
    EXPECT_TRUE(listRows(*window).isEmpty());
}

// The server restarts, or stops answering for a while: the list is read
// again within the same refill once the server is back, and an empty list
// from a server that did not answer is said to be no sign of empty data.
TEST_F(ServerStartup, TheListIsReadAgainOnceTheServerIsBack)
{
    ASSERT_EQ(m_schema->run("INSERT INTO \"Employees\" (\"First Name\", \"Last Name\") VALUES ('Ann', 'Lee');"
                            "INSERT INTO \"Work Codes\" (\"Description\", \"Billable\") VALUES ('Code', -1);"
                            "INSERT INTO \"Work Hours\" (\"Employee\", \"Date Worked\", \"Work Code\", \"Hours\", "
                            "\"Work Description\") VALUES (1, '2026-12-07', 1, 7.5, 'on the server')"),
              QString());
    database::DatabaseChoice::chooseServer(m_schema->address());
    auto window = start();
    ASSERT_EQ(listRows(*window).size(), 1);
    const auto backend = [] {
        data::Recordset rs;
        rs.Open(QStringLiteral("select pg_backend_pid() as [P]"), SharedConnection::get());
        return rs.Fields(QStringLiteral("P")).toLongLong();
    };

    // A restart ends the session the window had.
    qint64 pid = backend();
    ASSERT_EQ(m_schema->run("SELECT pg_terminate_backend(" + QByteArray::number(pid) + ")"), QString());
    ASSERT_TRUE(waitUntilBackendEnds(pid));
    m_ui.clear();
    window->ListData();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    EXPECT_EQ(listRows(*window).size(), 1);

    // A server process that stops answering: reported after the wait, and
    // read again when the user asks.
    const data::PostgresSession::Waits before = data::PostgresSession::waits();
    data::PostgresSession::setWaits({400, 300, 300});
    const auto restore = qScopeGuard([&] { data::PostgresSession::setWaits(before); });
    pid = backend();
    StoppedServerProcess stopped(pid);
    m_ui.answerNext(QMessageBox::Ok);
    m_ui.answerNext(QMessageBox::Yes);
    window->ListData();
    ASSERT_EQ(m_ui.errorReports().size(), 1);
    EXPECT_TRUE(m_ui.errorReports()[0].contains(QStringLiteral("has not answered"))) << m_ui.errorReports()[0].toStdString();
    ASSERT_EQ(m_ui.messages().size(), 2);
    EXPECT_TRUE(m_ui.messages()[1].text.contains(QStringLiteral("could not be read from the database server")));
    EXPECT_EQ(listRows(*window).size(), 1);
    closeWindow(window);
}

TEST_F(ServerStartup, AsksForThePasswordAndWritesItNowhere)
{
    const QByteArray promptBase = qgetenv("HOURVANE_TEST_SERVER_PROMPT");
    const QString password = QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT_PASSWORD"));
    ASSERT_FALSE(promptBase.isEmpty());
    ASSERT_EQ(m_schema->run("GRANT USAGE ON SCHEMA " + m_schema->name().toUtf8()
                            + " TO hourvane_prompt; GRANT SELECT ON ALL TABLES IN SCHEMA " + m_schema->name().toUtf8()
                            + " TO hourvane_prompt"),
              QString());
    // An address typed with the password in it: the password is left out.
    QString typed = m_schema->addressFor(QString::fromUtf8(promptBase));
    typed.replace(QStringLiteral("hourvane_prompt@"), QStringLiteral("hourvane_prompt:%1@").arg(password));
    EXPECT_FALSE(database::DatabaseChoice::chooseServer(typed).isEmpty());
    EXPECT_FALSE(database::DatabaseChoice::serverAddress().contains(password));

    m_ui.answerNextPassword(password);
    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(u'\n').toStdString();
    ASSERT_EQ(m_ui.passwordRequests().size(), 1);
    EXPECT_TRUE(m_ui.passwordRequests()[0].text.contains(database::DatabaseChoice::serverAddress()));
    EXPECT_FALSE(m_ui.passwordRequests()[0].text.contains(password));
    closeWindow(window);
    EXPECT_EQ(filesHolding(m_folders.configHome(), password.toUtf8()), QStringList());
    EXPECT_EQ(filesHolding(m_folders.dataHome(), password.toUtf8()), QStringList());
}

// A login that may only read: the window shows the list, its title says it
// is read-only, one message says why, and a write is refused with that
// reason before anything reaches the server.
TEST_F(ServerStartup, AReadersWindowIsReadOnlyAndSaysWhy)
{
    const QStringList logins = qEnvironmentVariable("HOURVANE_TEST_SERVER_LOGINS").split(u',', Qt::SkipEmptyParts);
    if (logins.isEmpty())
        GTEST_SKIP() << "the test server has no logins to give rights to (HOURVANE_TEST_SERVER_LOGINS)";
    ASSERT_EQ(m_schema->run("INSERT INTO \"Employees\" (\"First Name\", \"Last Name\") VALUES ('Ann', 'Lee');"
                            "INSERT INTO \"Work Codes\" (\"Description\", \"Billable\") VALUES ('Code', -1);"
                            "INSERT INTO \"Work Hours\" (\"Employee\", \"Date Worked\", \"Work Code\", \"Hours\") "
                            "VALUES (1, '2026-12-07', 1, 7.5)"),
              QString());
    {
        data::PostgresSession owner(m_schema->address());
        data::ServerRights::grant(owner, logins[0], data::ServerRights::Group::Readers);
    }
    database::DatabaseChoice::chooseServer(m_schema->addressAs(logins[0]));
    auto window = start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane (server on this computer) (read-only)"));
    ASSERT_EQ(m_ui.messages().size(), 1);
    const QString reason = m_ui.messages()[0].text;
    EXPECT_TRUE(reason.contains(QStringLiteral("'%1' may only read").arg(logins[0]))) << reason.toStdString();
    EXPECT_EQ(m_ui.messages()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(listRows(*window).size(), 1);

    // A refusal, not a fault: a plain message with the reason, no error report.
    m_ui.clear();
    window->PushButton4_Click();
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    ASSERT_FALSE(m_ui.messages().isEmpty());
    for (const auto& refused : m_ui.messages())
        EXPECT_TRUE(refused.text.startsWith(reason)) << refused.text.toStdString();
    EXPECT_EQ(m_schema->storedBytes("SELECT count(*) FROM \"Employees\""), QList<QByteArray>{"1"});
    closeWindow(window);
}

TEST_F(ServerStartup, ACancelledPasswordOrAServerThatIsDownIsReportedAtTheOpen)
{
    const QByteArray promptBase = qgetenv("HOURVANE_TEST_SERVER_PROMPT");
    database::DatabaseChoice::chooseServer(m_schema->addressFor(QString::fromUtf8(promptBase)));
    m_ui.answerNextPassword(std::nullopt);
    auto window = start();
    QStringList reports = m_ui.errorReports();
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_TRUE(reports[0].contains(QStringLiteral("none was given"))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("at line 144")));
    closeWindow(window);

    m_ui.clear();
    QTemporaryDir nowhere;
    database::DatabaseChoice::chooseServer(QStringLiteral("postgresql://hourvane@/hourvane_test?host=%1&connect_timeout=2")
                                     .arg(nowhere.path()));
    window = start();
    reports = m_ui.errorReports();
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Cannot connect to the database server"))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("at line 144")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
}

}  // namespace
}  // namespace hv::test
