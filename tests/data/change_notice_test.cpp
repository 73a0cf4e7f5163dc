// Changes made elsewhere, on both engines: another connection's commit is
// told (on a server within a second, by the tables' notifications), the
// connection's own changes and another's undone transaction are not, and on
// a server neither are changes in another schema, nor a notice anyone may
// send that no change came with; a connection made again counts as a
// change, since it may have missed some.
#include "fixtures/database_fixture.h"

#include "data/change_journal.h"
#include "data/postgres/handles.h"

#include <QElapsedTimer>
#include <QThread>

namespace hv::test {
namespace {

class ChangeNoticeTest : public StatementTest {
protected:
    void SetUp() override
    {
        StatementTest::SetUp();
        if (IsSkipped())
            return;
        m_other.Open(onServer() ? m_server->address() : m_database.connectionString());
    }

    // Whether db() hears of a change within `waitMs` (asking as the window's
    // slow timer would, only faster).
    bool heardWithin(int waitMs)
    {
        QElapsedTimer clock;
        clock.start();
        do {
            if (db().changedElsewhere())
                return true;
            QThread::msleep(10);
        } while (clock.elapsed() < waitMs);
        return false;
    }

    data::Connection m_other;
};
INSTANTIATE_TEST_SUITE_P(Engines, ChangeNoticeTest, backends(), backendName);

TEST_P(ChangeNoticeTest, AnothersCommitIsHeardOnceAndOnesOwnNever)
{
    EXPECT_FALSE(heardWithin(200));
    m_other.Execute(QStringLiteral("insert into Employees ([First Name]) values ('Ann')"));
    EXPECT_TRUE(heardWithin(1000));
    EXPECT_FALSE(heardWithin(200));

    execute(QStringLiteral("insert into Employees ([First Name]) values ('Own')"));
    execute(QStringLiteral("delete from Employees where [First Name]='Own'"));
    EXPECT_FALSE(heardWithin(300));

    {
        data::Transaction undone(m_other);
        m_other.Execute(QStringLiteral("update Employees set [First Name]='Bob'"));
    }
    EXPECT_FALSE(heardWithin(300));
    // Every table tells, an undo as well.
    m_other.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
    EXPECT_TRUE(heardWithin(1000));
    m_other.Execute(QStringLiteral("insert into [Work Hours] (Employee,Hours) values (1,'1')"));
    EXPECT_TRUE(heardWithin(1000));
    m_other.journal().undo();
    EXPECT_TRUE(heardWithin(1000));
}

TEST_P(ChangeNoticeTest, OnAServerOnlyItsOwnSchemaCountsAndAConnectionMadeAgainDoes)
{
    if (!onServer())
        GTEST_SKIP() << "a local file has no schemas nor connections to make again";
    const TestServerSchema elsewhere;
    data::Connection stranger;
    stranger.Open(elsewhere.address());
    stranger.Execute(QStringLiteral("insert into Employees ([First Name]) values ('Ann')"));
    EXPECT_FALSE(heardWithin(300));

    const qint64 pid = value(QStringLiteral("select pg_backend_pid() as [P]"), QStringLiteral("P")).toLongLong();
    ASSERT_EQ(m_server->run("SELECT pg_terminate_backend(" + QByteArray::number(pid) + ")"), QString());
    ASSERT_TRUE(waitUntilBackendEnds(pid));
    rows(QStringLiteral("select * from Employees"));  // the next step connects again
    EXPECT_TRUE(heardWithin(200));
    EXPECT_GE(db().changeSocket(), 0);
}

TEST_P(ChangeNoticeTest, OnAServerANoticeWithoutAChangeCostsNoRefill)
{
    if (!onServer())
        GTEST_SKIP() << "a local file is asked, not told";
    const QStringList logins = qEnvironmentVariable("HOURVANE_TEST_SERVER_LOGINS").split(u',', Qt::SkipEmptyParts);
    if (logins.isEmpty())
        GTEST_SKIP() << "the test server has no login without rights (HOURVANE_TEST_SERVER_LOGINS)";
    // A login with no rights on the tables may still send (and hear) the
    // channel's notices.
    const data::ServerConnectionHandle stranger(PQconnectdb(m_server->addressAs(logins.last()).toUtf8().constData()));
    const auto send = [&](const QByteArray& sql) {
        const data::ServerResultHandle sent(PQexec(stranger.get(), sql.constData()));
        EXPECT_EQ(PQresultStatus(sent.get()), PGRES_COMMAND_OK) << PQerrorMessage(stranger.get());
    };
    send("LISTEN hourvane_changes");
    const QByteArray schema = m_server->name().toUtf8();
    const qint64 now = value(QStringLiteral("select txid_current() as [T]"), QStringLiteral("T")).toLongLong();
    for (const QByteArray& forged : {schema, schema + " " + QByteArray::number(now + 1) + " 0123456789abcdef"}) {
        send("NOTIFY hourvane_changes, '" + forged + "'");
        EXPECT_FALSE(heardWithin(400)) << forged.constData();
    }
    // A real change counts, once: the same notice sent again costs nothing.
    m_other.Execute(QStringLiteral("insert into Employees ([First Name]) values ('Ann')"));
    EXPECT_TRUE(heardWithin(1000));
    QByteArray real;
    QElapsedTimer clock;
    clock.start();
    while (real.isEmpty() && clock.elapsed() < 2000 && PQconsumeInput(stranger.get())) {
        while (PGnotify* notice = PQnotifies(stranger.get())) {
            if (QByteArray(notice->extra).startsWith(schema + ' '))
                real = notice->extra;
            PQfreemem(notice);
        }
    }
    ASSERT_FALSE(real.isEmpty());
    send("NOTIFY hourvane_changes, '" + real + "'");
    EXPECT_FALSE(heardWithin(400)) << real.constData();
}

}  // namespace
}  // namespace hv::test
