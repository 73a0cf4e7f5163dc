// The data layer under an unlucky machine: a page of the file damaged before
// or during a session, and writers killed at random points.
#include "fixtures/database_fixture.h"
#include "support/page_damage.h"
#include "databases/bench_database.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <random>

#include <csignal>

namespace hv::test {
namespace {

using data::Connection;

constexpr int kEntries = 2000;
const QString kInsert = QStringLiteral("insert into [Work Codes] (Description,Billable) values ('new',TRUE)");

// 2,000 entries of 40 employees, all booked to one work code.
void addEntries(const QString& databaseFile)
{
    bench::writeEntries(databaseFile, kEntries, 1, [](int) { return true; });
}

// The rows a recordset yields before the end or the first failure, and that failure.
struct Reading {
    int rows = 0;
    QString failure;
};

Reading readAll(Connection& connection, const QString& sql)
{
    Reading reading;
    try {
        data::Recordset recordset;
        recordset.Open(sql, connection);
        while (!recordset.Eof()) {
            ++reading.rows;
            recordset.MoveNext();
        }
    } catch (const RuntimeError& error) {
        reading.failure = error.description();
    }
    return reading;
}

// Which page of the 2,000-entry file is overwritten, and whether the list's
// query still reads every entry past it.
struct DamagedPage {
    const char* name;
    int (*page)(const QString& file);
    bool listReadsEverything;
};

int tableLeaf(const QString& file)
{
    return PageDamage::lastChild(file, PageDamage::rootPage(file, QStringLiteral("Work Hours")));
}

int indexRoot(const QString& file)
{
    return PageDamage::rootPage(file, QStringLiteral("Work Hours by Employee"));
}

class DamagedPageTest : public ::testing::TestWithParam<DamagedPage> {
protected:
    void SetUp() override { addEntries(m_database.path()); }

    void damage()
    {
        const int page = GetParam().page(m_database.path());
        ASSERT_GT(page, 1);
        ASSERT_TRUE(PageDamage::overwrite(m_database.path(), page));
    }

    void expectEveryWriteRefused(Connection& connection)
    {
        const QByteArray before = fileBytes(m_database.path());
        const QString reason = connection.readOnlyReason();
        EXPECT_EQ(errorOf([&] { connection.Execute(kInsert); }).description(), reason);
        EXPECT_EQ(errorOf([&] { connection.Execute(QStringLiteral("delete from [Work Hours]")); }).description(), reason);
        EXPECT_EQ(errorOf([&] { connection.BeginTrans(); }).description(), reason);
        EXPECT_FALSE(connection.inTransaction());
        EXPECT_EQ(fileBytes(m_database.path()), before);
    }

    TemporaryDatabase m_database;
};

TEST_P(DamagedPageTest, OpensReadOnlyShowsWhatCanBeReadAndRefusesEveryWrite)
{
    damage();
    Connection connection;
    connection.Open(m_database.connectionString());
    ASSERT_TRUE(connection.isDamaged());
    ASSERT_TRUE(connection.isReadOnly());
    const QString reason = connection.readOnlyReason();
    EXPECT_TRUE(reason.contains(m_database.path())) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("is damaged"))) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("nothing will be written"))) << reason.toStdString();

    const Reading list = readAll(connection, QStringLiteral("select * from [Work Hours Extended]"));
    if (GetParam().listReadsEverything) {
        EXPECT_EQ(list.rows, kEntries);
        EXPECT_EQ(list.failure, QString());
    } else {
        EXPECT_GT(list.rows, kEntries / 2);
        EXPECT_LT(list.rows, kEntries);
        EXPECT_EQ(list.failure, reason);
    }
    EXPECT_EQ(readAll(connection, QStringLiteral("select * from [Work Codes]")).rows, 1);
    expectEveryWriteRefused(connection);
}

TEST_P(DamagedPageTest, DamageMetDuringTheSessionTurnsTheConnectionReadOnlyOnce)
{
    Connection connection;
    connection.Open(m_database.connectionString());
    int turned = 0;
    connection.setReadOnlyHandler([&] { ++turned; });
    connection.Execute(kInsert);
    damage();

    // The damaged index is met by a statement that uses it, the table page by any full read.
    const QString sql = GetParam().listReadsEverything
        ? QStringLiteral("select * from [Work Hours] where Employee=1")
        : QStringLiteral("select * from [Work Hours]");
    const Reading reading = readAll(connection, sql);
    ASSERT_TRUE(connection.isDamaged()) << reading.failure.toStdString();
    EXPECT_EQ(reading.failure, connection.readOnlyReason());
    EXPECT_EQ(turned, 1);
    expectEveryWriteRefused(connection);
    readAll(connection, sql);
    EXPECT_EQ(turned, 1);

    // Closing ends the state; the next open finds the damage by itself.
    connection.Close();
    EXPECT_FALSE(connection.isReadOnly());
    connection.Open(m_database.connectionString());
    EXPECT_TRUE(connection.isDamaged());
}

TEST_P(DamagedPageTest, ACheckBesideTheProgramStopsTheFirstWriteWithWhatItFound)
{
    damage();
    const QByteArray before = fileBytes(m_database.path());
    Connection connection;
    int turned = 0;
    connection.setReadOnlyHandler([&] { ++turned; });
    connection.Open(m_database.connectionString(), data::PageCheck::Quick,
                    data::CheckTiming::Beside);

    // The write waits for the verdict, which refuses it and every later one.
    const QString refused = errorOf([&] { connection.Execute(kInsert); }).description();
    EXPECT_TRUE(connection.isDamaged());
    EXPECT_EQ(refused, connection.readOnlyReason());
    EXPECT_TRUE(refused.contains(QStringLiteral("is damaged"))) << refused.toStdString();
    EXPECT_EQ(turned, 1);
    EXPECT_TRUE(connection.pageCheckDone());
    EXPECT_EQ(turned, 1);
    expectEveryWriteRefused(connection);
    EXPECT_EQ(fileBytes(m_database.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Pages, DamagedPageTest,
                         ::testing::Values(DamagedPage{"TableLeaf", &tableLeaf, false},
                                           DamagedPage{"IndexRoot", &indexRoot, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The advice set for every connection follows what the engine found, with
// the damaged file's path; the engine adds nothing of its own.
TEST(DamagedDatabase, TheAdviceSetFollowsWhatWasFound)
{
    TemporaryDatabase database;
    addEntries(database.path());
    ASSERT_TRUE(PageDamage::overwrite(database.path(), tableLeaf(database.path())));
    Connection::setDamageAdvice([](const QString& path) { return QStringLiteral("Advice on ") + path; });
    const auto reset = qScopeGuard([] { Connection::setDamageAdvice({}); });

    Connection connection;
    connection.Open(database.connectionString());
    EXPECT_TRUE(connection.readOnlyReason().endsWith(
        QStringLiteral("nothing will be written to it.\n\nAdvice on ") + database.path()))
        << connection.readOnlyReason().toStdString();
}

// Rows numbered from `first` on, written one statement each by a process of
// their own, which prints each number once its statement has returned.
class RowWriter {
public:
    RowWriter(const QString& database, int first)
    {
        m_process.start(QStringLiteral(HOURVANE_ROW_WRITER), {database, QString::number(first)});
        m_started = m_process.waitForStarted(10000);
    }

    bool started() const { return m_started; }

    // Waits until the writer reports its first row, so that a kill after it
    // lands among the writes however slowly the process started.
    bool waitForFirstWrite()
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine()) {
            if (m_process.state() != QProcess::Running || waited.hasExpired(30000))
                return false;
            m_process.waitForReadyRead(1000);
        }
        return true;
    }

    // Kills it without warning; the numbers it reported done.
    QList<int> kill()
    {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000);
        QList<int> done;
        const QByteArray output = m_process.readAllStandardOutput();
        // Only whole lines: a number cut off by the kill was not reported.
        for (const QByteArray& line : output.left(output.lastIndexOf('\n') + 1).split('\n')) {
            if (!line.isEmpty())
                done.append(line.toInt());
        }
        return done;
    }

private:
    QProcess m_process;
    bool m_started = false;
};

TEST(WriterKills, EveryReportedWriteSurvivesAndTheFileStaysWhole)
{
    constexpr int kKills = 20;
    TemporaryDatabase database;
    std::mt19937 random(14);
    // A write takes a few to some tens of milliseconds (each is synced to disk).
    std::uniform_int_distribution<int> pause(0, 250);
    QSet<int> reported;
    QElapsedTimer timer;
    timer.start();
    for (int kill = 0; kill < kKills; ++kill) {
        RowWriter writer(database.path(), kill * 100000);
        ASSERT_TRUE(writer.started());
        ASSERT_TRUE(writer.waitForFirstWrite());
        QThread::msleep(static_cast<unsigned long>(pause(random)));
        for (const int number : writer.kill())
            reported.insert(number);
    }
    EXPECT_GT(reported.size(), kKills) << "the writers hardly wrote: the kills test nothing";

    // The full check is the engine's integrity check.
    Connection connection;
    connection.Open(database.connectionString(), data::PageCheck::Full);
    EXPECT_FALSE(connection.isReadOnly()) << connection.readOnlyReason().toStdString();
    QSet<int> stored;
    for (const QVariantList& row : readRows(connection, QStringLiteral("select Description from [Work Codes]")))
        stored.insert(row.at(0).toString().mid(4).toInt());
    EXPECT_TRUE(stored.contains(reported)) << "reported " << reported.size() << ", stored " << stored.size();
    // At most the one row in flight at each kill is stored without being reported.
    EXPECT_LE(stored.size() - reported.size(), kKills);
    RecordProperty("kills", kKills);
    RecordProperty("rowsReported", static_cast<int>(reported.size()));
    RecordProperty("milliseconds", static_cast<int>(timer.elapsed()));
}

}  // namespace
}  // namespace hv::test
