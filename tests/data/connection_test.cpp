#include "fixtures/database_fixture.h"

#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"
#include "data/sqlite/session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace hv::test {
namespace {

using data::Connection;

QString connectionStringFor(const QString& path)
{
    return QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + path
        + QStringLiteral(";JET OLEDB:Database Password=");
}

TEST(ConnectionState, OpenExecuteCloseFollowTheObjectRules)
{
    TemporaryDatabase database;
    Connection connection;
    EXPECT_EQ(connection.state(), Connection::StateClosed);
    EXPECT_EQ(errorOf([&] { connection.Execute(QStringLiteral("delete from Employees where ID=1")); }).number(),
              err::ConnectionUnusable);
    EXPECT_EQ(errorOf([&] { data::SqliteSession::handleOf(connection); }).number(), err::ConnectionUnusable);
    EXPECT_EQ(errorOf([&] { connection.Close(); }).description(),
              QStringLiteral("Operation is not allowed when the object is closed."));

    // Keys in any case; other keys ignored.
    connection.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + database.path()
                    + QStringLiteral(";Jet OLEDB:Database Password="));
    EXPECT_EQ(connection.state(), Connection::StateOpen);
    EXPECT_EQ(connection.dataSource(), database.path());
    const RuntimeError again = errorOf([&] { connection.Open(database.connectionString()); });
    EXPECT_EQ(again.number(), err::ObjectOpen);
    EXPECT_EQ(again.description(), QStringLiteral("Operation is not allowed when the object is open."));
    EXPECT_EQ(connection.state(), Connection::StateOpen);

    connection.Close();
    EXPECT_EQ(connection.state(), Connection::StateClosed);
    EXPECT_EQ(connection.dataSource(), QString());
    EXPECT_EQ(errorOf([&] { connection.Close(); }).number(), err::ObjectClosed);
    // A closed connection opens again.
    connection.Open(database.connectionString());
    EXPECT_EQ(connection.state(), Connection::StateOpen);
}

// A sound file checked beside the program: the full check, once its verdict
// is in, vouches for a copy made now; the quick one does not.
class CheckBeside : public ::testing::TestWithParam<std::pair<data::PageCheck, bool>> {};

TEST_P(CheckBeside, GivesItsVerdictAndTakesWrites)
{
    TemporaryDatabase database;
    Connection connection;
    connection.Open(database.connectionString(), GetParam().first, data::CheckTiming::Beside);
    connection.waitForPageCheck();
    EXPECT_TRUE(connection.pageCheckDone());
    EXPECT_EQ(connection.checkedFully(), GetParam().second);
    EXPECT_FALSE(connection.isReadOnly());
    connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
    connection.Close();
    EXPECT_TRUE(connection.pageCheckDone());
}

INSTANTIATE_TEST_SUITE_P(Depths, CheckBeside,
                         ::testing::Values(std::pair(data::PageCheck::Quick, false),
                                           std::pair(data::PageCheck::Full, true)));

TEST(ConnectionOpen, MissingFileIsReportedAndNotCreated)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dbData.mdb"));
    Connection connection;
    const RuntimeError error = errorOf([&] { connection.Open(connectionStringFor(path)); });
    EXPECT_EQ(error.number(), err::DatabaseEngine);
    EXPECT_EQ(error.description(), QStringLiteral("Could not find file '") + path + QStringLiteral("'."));
    EXPECT_EQ(connection.state(), Connection::StateClosed);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_NE(errorOf([&] { connection.Open(QStringLiteral("provider=microsoft.jet.oledb.4.0;")); }).number(), 0);
}

// Makes a file that is not the program's database; returns its path.
using BadFileMaker = QString (*)(const QTemporaryDir&);

QString garbageFile(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("garbage.mdb"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray bytes;
    for (int i = 0; i < 8192; ++i)
        bytes.append(static_cast<char>((i * 7919) % 251));
    file.write(bytes);
    return path;
}

QString emptyFile(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("empty.mdb"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

QString foreignDatabase(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("foreign.mdb"));
    const data::DatabaseHandle db = openRawDatabase(path);
    sqlite3_exec(db.get(), "CREATE TABLE Employees (x); CREATE TABLE notes (y); INSERT INTO notes VALUES ('keep')",
                 nullptr, nullptr, nullptr);
    return path;
}

// Our tables and queries, but stamped by another program.
QString otherProgramsCopy(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("other.mdb"));
    QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const data::DatabaseHandle db = openRawDatabase(path);
    sqlite3_exec(db.get(), "PRAGMA application_id = 12345", nullptr, nullptr, nullptr);
    return path;
}

class BadFiles : public ::testing::TestWithParam<BadFileMaker> {};

TEST_P(BadFiles, AreRefusedNamedAndLeftByteForByte)
{
    QTemporaryDir folder;
    const QString path = GetParam()(folder);
    const QByteArray before = fileBytes(path);
    const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);

    Connection connection;
    const RuntimeError error = errorOf([&] { connection.Open(connectionStringFor(path)); });
    EXPECT_EQ(error.number(), err::DatabaseEngine);
    EXPECT_TRUE(error.description().contains(path)) << error.what();
    EXPECT_EQ(connection.state(), Connection::StateClosed);
    EXPECT_EQ(errorOf([&] { connection.Execute(QStringLiteral("delete from Employees")); }).number(),
              err::ConnectionUnusable);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadFiles,
                         ::testing::Values(&garbageFile, &emptyFile, &foreignDatabase, &otherProgramsCopy));

TEST(ConnectionFile, IsWrittenDurablyAndReleasedOnClose)
{
    TemporaryDatabase database;
    Connection connection;
    connection.Open(database.connectionString());
    connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x',TRUE)"));

    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(data::SqliteSession::handleOf(connection), "PRAGMA synchronous", -1, &raw, nullptr);
    data::StatementHandle synchronous(raw);
    ASSERT_EQ(sqlite3_step(raw), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(raw, 0), 2);  // FULL
    synchronous.reset();
    EXPECT_FALSE(QFileInfo::exists(database.path() + QStringLiteral("-wal")));

    // A recordset left open is closed with the connection, and then nothing
    // holds the file: another handle gets an exclusive lock at once.
    data::Recordset recordset;
    recordset.Open(QStringLiteral("select * from [Work Codes]"), connection);
    connection.Close();
    EXPECT_EQ(recordset.state(), data::Recordset::StateClosed);
    const data::DatabaseHandle other = openRawDatabase(database.path());
    EXPECT_EQ(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
}

TEST(ConnectionLocking, WaitsForAnotherProgramsWriteToFinish)
{
    TemporaryDatabase database;
    Connection connection;
    connection.Open(database.connectionString());

    const data::DatabaseHandle other = openRawDatabase(database.path());
    ASSERT_EQ(sqlite3_exec(other.get(),
                           "BEGIN IMMEDIATE; INSERT INTO \"Work Codes\" (Description, Billable) VALUES ('theirs', 0)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr);
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_NO_THROW(connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('ours',FALSE)")));
    const qint64 waited = timer.elapsed();
    holder.join();
    EXPECT_GE(waited, 200);
    EXPECT_EQ(readRows(connection, QStringLiteral("select * from [Work Codes]")).size(), 2);
}

TEST(ComponentFactory, MissingComponentsCannotBeCreated)
{
    using data::ComponentFactory;
    EXPECT_NE(ComponentFactory::createConnection(), nullptr);
    ComponentFactory::setAvailable(data::kConnectionProgId, false);
    EXPECT_FALSE(ComponentFactory::isAvailable(u"adodb.connection"));
    const RuntimeError error = errorOf([] { ComponentFactory::createConnection(); });
    EXPECT_EQ(error.number(), err::CannotCreateObject);
    EXPECT_EQ(error.description(), QStringLiteral("ActiveX component can't create object"));
    EXPECT_NE(ComponentFactory::createRecordset(), nullptr);

    ComponentFactory::setAvailable(data::kRecordsetProgId, false);
    EXPECT_EQ(errorOf([] { ComponentFactory::createRecordset(); }).number(), err::CannotCreateObject);
    ComponentFactory::setAvailable(data::kConnectionProgId, true);
    EXPECT_NE(ComponentFactory::createConnection(), nullptr);
    ComponentFactory::resetAvailability();
    EXPECT_NE(ComponentFactory::createRecordset(), nullptr);
}

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

// A statement the engine reported done is on disk: a process killed right
// after it leaves the row behind and the file intact.
TEST(ConnectionDurability, AWriteReportedDoneSurvivesAKill)
{
    TemporaryDatabase database;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Connection connection;
        connection.Open(database.connectionString());
        connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('survivor',TRUE)"));
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    Connection connection;
    connection.Open(database.connectionString());
    EXPECT_EQ(readValue(connection, QStringLiteral("select * from [Work Codes]"), QStringLiteral("Description")),
              QVariant(QStringLiteral("survivor")));
    EXPECT_EQ(readValue(connection, QStringLiteral("select * from [Work Codes]"), QStringLiteral("Billable")),
              QVariant(true));
    const data::DatabaseHandle raw = openRawDatabase(database.path());
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw.get(), "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    const data::StatementHandle owned(check);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
}

}  // namespace
}  // namespace hv::test
