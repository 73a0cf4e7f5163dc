// The journal of changes on both engines: Undo and Redo of each kind of
// change the program makes, with IDs kept; the journal across a reopen and
// its limit; the upgrade of a database of version 1; and the refusal of an
// undo that would overwrite another login's later change.
#include "fixtures/database_fixture.h"
#include "support/unprivileged.h"

#include "data/change_journal.h"
#include "data/postgres/schema.h"
#include "data/postgres/session.h"
#include "data/sqlite/format.h"

#include <QFile>
#include <QProcess>

namespace hv::test {
namespace {

using data::ChangeJournal;
using data::Connection;

const char* const kTables[] = {"Employees", "Work Codes", "Work Hours"};

// Every row of the three tables, IDs included.
QList<QList<QVariantList>> snapshot(Connection& connection)
{
    QList<QList<QVariantList>> tables;
    for (const char* table : kTables)
        tables << readRows(connection, QStringLiteral("select * from [%1] order by ID").arg(QLatin1String(table)));
    return tables;
}

// A firm of two employees and two work codes, with four entries.
class JournalTest : public DatabaseTest {
protected:
    explicit JournalTest(Backend backend) : DatabaseTest(backend) {}

    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped())
            return;
        tom = addEmployee(QStringLiteral("Tom"), QStringLiteral("Smith"));
        anna = addEmployee(QStringLiteral("Anna"), QStringLiteral("Berg"));
        support = addWorkCode(QStringLiteral("Support"), true);
        travel = addWorkCode(QStringLiteral("Travel"), false);
        for (int day = 1; day <= 3; ++day)
            addEntry(tom, QDate(2026, 3, day), support, QStringLiteral("7.25"), QStringLiteral("Helpdesk"));
        annasEntry = addEntry(anna, QDate(2026, 3, 4), travel, QStringLiteral("0.1"), QStringLiteral("Trip"));
    }

    ChangeJournal& journal() { return db().journal(); }

public:
    // For the cases, which make their changes as the program's windows do.
    using DatabaseTest::addEmployee;
    using DatabaseTest::addEntry;
    using DatabaseTest::addWorkCode;

    qint64 tom = 0;
    qint64 anna = 0;
    qint64 support = 0;
    qint64 travel = 0;
    qint64 annasEntry = 0;
};

// One kind of change: makes it, and returns the description the journal
// should give it.
struct ChangeCase {
    const char* name;
    std::function<QString(JournalTest&, Connection&)> make;
};

class JournalKinds : public JournalTest, public ::testing::WithParamInterface<std::tuple<Backend, ChangeCase>> {
protected:
    JournalKinds() : JournalTest(std::get<0>(GetParam())) {}
};

TEST_P(JournalKinds, UndoPutsEveryRowBackWithItsIdAndRedoDoesItAgain)
{
    const auto before = snapshot(db());
    const QString description = std::get<1>(GetParam()).make(*this, db());
    const auto after = snapshot(db());
    ASSERT_NE(before, after);
    const std::size_t kept = journal().recent(1000).size();

    const auto next = journal().nextUndo();
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->description, description);
    const data::JournalChange undone = journal().undo();
    EXPECT_EQ(undone.description, description);
    EXPECT_EQ(snapshot(db()), before);
    ASSERT_TRUE(journal().nextRedo().has_value());
    EXPECT_EQ(journal().nextRedo()->id, undone.id);

    journal().redo();
    EXPECT_EQ(snapshot(db()), after);
    // Neither the undo nor the redo is a change of its own.
    EXPECT_EQ(journal().recent(1000).size(), kept);
    EXPECT_EQ(journal().nextUndo()->id, undone.id);
}

// The picker's "-": the record and every entry booked to it, in one transaction.
QString deleteWithEntries(Connection& connection, const QString& table, const QString& link, qint64 id)
{
    data::Transaction together(connection);
    connection.Execute(QStringLiteral("delete from [%1] where ID = %2").arg(table).arg(id));
    connection.Execute(QStringLiteral("delete from [Work Hours] where [%1] = %2").arg(link).arg(id));
    together.commit();
    return {};
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JournalKinds,
    ::testing::Combine(
        backends(),
        ::testing::Values(
            ChangeCase{"AddEntry",
                       [](JournalTest& t, Connection&) {
                           const qint64 id = t.addEntry(t.anna, QDate(2026, 3, 5), t.support, QStringLiteral("1.5"),
                                                        QStringLiteral("Call"));
                           return QStringLiteral("Add entry %1").arg(id);
                       }},
            ChangeCase{"EditEntry",
                       [](JournalTest& t, Connection& c) {
                           c.Execute(QStringLiteral("update [Work Hours] set Hours = 0.30000000000000004, "
                                                    "[Work Description] = 'It''s done' where ID = %1")
                                         .arg(t.annasEntry));
                           return QStringLiteral("Edit entry %1").arg(t.annasEntry);
                       }},
            ChangeCase{"DeleteEntry",
                       [](JournalTest& t, Connection& c) {
                           c.Execute(QStringLiteral("delete from [Work Hours] where ID = %1").arg(t.annasEntry));
                           return QStringLiteral("Delete entry %1").arg(t.annasEntry);
                       }},
            ChangeCase{"AddEmployee",
                       [](JournalTest& t, Connection&) {
                           t.addEmployee(QStringLiteral("Eve"), QStringLiteral("Stone"));
                           return QStringLiteral("Add employee Eve Stone");
                       }},
            ChangeCase{"EditEmployee",
                       [](JournalTest& t, Connection& c) {
                           c.Execute(QStringLiteral("update Employees set [Last Name] = 'Smyth', Notes = 'a b' "
                                                    "where ID = %1")
                                         .arg(t.tom));
                           return QStringLiteral("Edit employee Tom Smyth");
                       }},
            ChangeCase{"DeleteEmployeeWithEntries",
                       [](JournalTest& t, Connection& c) {
                           deleteWithEntries(c, QStringLiteral("Employees"), QStringLiteral("Employee"), t.tom);
                           return QStringLiteral("Delete employee Tom Smith (3 entries)");
                       }},
            ChangeCase{"AddWorkCode",
                       [](JournalTest& t, Connection&) {
                           t.addWorkCode(QStringLiteral("Training"), false);
                           return QStringLiteral("Add work code Training");
                       }},
            ChangeCase{"DeleteWorkCodeWithEntries",
                       [](JournalTest& t, Connection& c) {
                           deleteWithEntries(c, QStringLiteral("Work Codes"), QStringLiteral("Work Code"), t.support);
                           return QStringLiteral("Delete work code Support (3 entries)");
                       }},
            ChangeCase{"DescribedTransaction",
                       [](JournalTest& t, Connection& c) {
                           data::Transaction sample(c, QStringLiteral("Load Sample/Example Data"));
                           t.addEmployee(QStringLiteral("Jo"), QStringLiteral("Example"));
                           t.addEntry(t.anna, QDate(2026, 3, 6), t.travel, QStringLiteral("2"),
                                      QStringLiteral("Sample"));
                           sample.commit();
                           return QStringLiteral("Load Sample/Example Data");
                       }})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) == Backend::Local ? "Local_" : "Server_")
            + std::get<1>(info.param).name;
    });

class Journal : public JournalTest, public ::testing::WithParamInterface<Backend> {
protected:
    Journal() : JournalTest(GetParam()) {}
};

TEST_P(Journal, UndoesNewestFirstAndANewChangeDropsWhatRedoCouldDo)
{
    const qint64 first = addEntry(anna, QDate(2026, 4, 1), travel, QStringLiteral("1"), QStringLiteral("a"));
    const qint64 second = addEntry(anna, QDate(2026, 4, 2), travel, QStringLiteral("2"), QStringLiteral("b"));
    EXPECT_EQ(journal().undo().description, QStringLiteral("Add entry %1").arg(second));
    EXPECT_EQ(journal().undo().description, QStringLiteral("Add entry %1").arg(first));
    EXPECT_EQ(journal().redo().description, QStringLiteral("Add entry %1").arg(first));
    EXPECT_EQ(journal().nextRedo()->description, QStringLiteral("Add entry %1").arg(second));

    execute(QStringLiteral("delete from [Work Hours] where ID = %1").arg(annasEntry));
    EXPECT_FALSE(journal().nextRedo().has_value());
    EXPECT_EQ(errorOf([&] { journal().redo(); }).description(), QStringLiteral("There is no undone change to redo."));
    EXPECT_EQ(journal().nextUndo()->description, QStringLiteral("Delete entry %1").arg(annasEntry));
}

TEST_P(Journal, SurvivesReopeningAndKeepsTheNewestHundredChanges)
{
    for (int i = 0; i < ChangeJournal::kKept + 5; ++i)
        addWorkCode(QStringLiteral("Code %1").arg(i), false);
    db().Close();
    if (onServer())
        db().Open(m_server->address());
    else
        db().Open(m_database.connectionString());

    const std::vector<data::JournalChange> kept = journal().recent(1000);
    ASSERT_EQ(kept.size(), std::size_t(ChangeJournal::kKept));
    EXPECT_EQ(kept.front().description, QStringLiteral("Add work code Code %1").arg(ChangeJournal::kKept + 4));
    EXPECT_EQ(kept.back().description, QStringLiteral("Add work code Code 5"));
    EXPECT_LT(std::abs(kept.front().madeAt.secsTo(QDateTime::currentDateTimeUtc())), 600);
    if (onServer()) {
        EXPECT_EQ(kept.front().madeBy, QStringLiteral("hourvane"));
    }
    journal().undo();
    EXPECT_EQ(value(QStringLiteral("select count(*) as N from [Work Codes] where Description = 'Code %1'")
                        .arg(ChangeJournal::kKept + 4),
                    QStringLiteral("N"))
                  .toInt(),
              0);
}

TEST_P(Journal, AFreshDatabaseHasNothingToUndo)
{
    // The fixture's own writes are changes: take them all back first.
    while (journal().nextUndo())
        journal().undo();
    EXPECT_TRUE(snapshot(db())[0].isEmpty());
    EXPECT_EQ(errorOf([&] { journal().undo(); }).description(), QStringLiteral("There is no change to undo."));
}

INSTANTIATE_TEST_SUITE_P(Backends, Journal, backends(), backendName);

// A database file as the program of version 1 made it: the tables and
// queries, no journal, and report queries without the records' IDs (here
// stand-ins of one column).
void makeVersionOneFile(const QString& path)
{
    QFile::remove(path);
    QProcess tool;
    tool.start(QStringLiteral(HOURVANE_MAKE_TEMPLATE),
               {QStringLiteral(HOURVANE_SCHEMA_SQL), QStringLiteral(HOURVANE_REPORT_VIEWS_SQL), path});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const data::DatabaseHandle raw = openRawDatabase(path);
    ASSERT_EQ(sqlite3_exec(raw.get(),
                           "DROP VIEW \"Billable Hours\"; CREATE VIEW \"Billable Hours\" AS SELECT 1 AS \"Hours\";"
                           "DROP VIEW \"Non Billable Hours\"; CREATE VIEW \"Non Billable Hours\" AS SELECT 1 AS \"Hours\";"
                           "PRAGMA user_version = 1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
}

int userVersionOf(const QString& path)
{
    return storedBytes(path, "PRAGMA user_version").value(0).toInt();
}

// Records the backups the program asks for before an upgrade.
class UpgradeBackups {
public:
    explicit UpgradeBackups(bool fail = false)
    {
        Connection::setUpgradeBackup([this, fail](const QString& path) {
            asked << path;
            if (fail)
                throw RuntimeError(err::DatabaseEngine, QStringLiteral("No space left on device"));
        });
    }
    ~UpgradeBackups() { Connection::setUpgradeBackup({}); }
    UpgradeBackups(const UpgradeBackups&) = delete;
    UpgradeBackups& operator=(const UpgradeBackups&) = delete;

    QStringList asked;
};

TEST(JournalUpgrade, AVersionOneFileGainsTheJournalOnceAfterABackup)
{
    TemporaryDatabase database;
    makeVersionOneFile(database.path());
    const UpgradeBackups backups;
    {
        Connection connection;
        connection.Open(database.connectionString());
        EXPECT_EQ(backups.asked, QStringList{database.path()});
        EXPECT_FALSE(connection.isReadOnly());
        connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
        EXPECT_EQ(connection.journal().undo().description, QStringLiteral("Add work code Support"));
    }
    EXPECT_EQ(userVersionOf(database.path()), data::format::kUserVersion);
    // The report queries are made again, with the records' IDs the reports group by.
    for (const char* view : {"Billable Hours", "Non Billable Hours"})
        EXPECT_EQ(storedBytes(database.path(), QByteArray("SELECT count(*) FROM pragma_table_info('") + view
                                                   + "') WHERE name IN ('hourvane_employee','hourvane_work_code')"),
                  QList<QByteArray>{"2"})
            << view;
    Connection again;
    again.Open(database.connectionString());
    EXPECT_EQ(backups.asked.size(), 1);
    EXPECT_EQ(again.journal().nextRedo()->description, QStringLiteral("Add work code Support"));
}

TEST(JournalUpgrade, ABackupThatFailsLeavesTheFileAsItWasAndReadOnly)
{
    TemporaryDatabase database;
    makeVersionOneFile(database.path());
    const auto bytes = [&] {
        QFile file(database.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    const UpgradeBackups backups(true);
    Connection connection;
    connection.Open(database.connectionString());
    EXPECT_TRUE(connection.isReadOnly());
    EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("No space left on device")));
    EXPECT_FALSE(connection.journal().exists());
    EXPECT_EQ(errorOf([&] { connection.journal().undo(); }).description(), connection.readOnlyReason());
    connection.Close();
    EXPECT_EQ(bytes(), before);
}

TEST(JournalUpgrade, AReadOnlyVersionOneFileOpensForReadingUnchanged)
{
    TemporaryDatabase database;
    makeVersionOneFile(database.path());
    Unprivileged::makeReadOnly(database.path(), database.folder());
    const UpgradeBackups backups;
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        Connection connection;
        connection.Open(database.connectionString());
        EXPECT_TRUE(connection.isReadOnly());
        EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("cannot be written")));
        EXPECT_TRUE(connection.journal().recent(10).empty());
        EXPECT_EQ(errorOf([&] { connection.journal().undo(); }).description(), connection.readOnlyReason());
    }
    Unprivileged::makeWritable(database.folder());
    EXPECT_TRUE(backups.asked.isEmpty());
    EXPECT_EQ(userVersionOf(database.path()), 1);
}

TEST(JournalUpgrade, AVersionOneServerSchemaGainsTheJournalOnce)
{
    if (!testServerAddress())
        GTEST_SKIP() << noTestServerReason().toStdString();
    const TestServerSchema schema;
    ASSERT_EQ(schema.run("DROP TABLE hourvane_changes, hourvane_change_rows CASCADE; "
                         "DROP FUNCTION hourvane_journal() CASCADE; DROP FUNCTION hourvane_replay(bigint, boolean); "
                         "DROP FUNCTION hourvane_replay_conflict(bigint, boolean); UPDATE hourvane_schema SET version = 1; "
                         "DROP VIEW \"Billable Hours\"; CREATE VIEW \"Billable Hours\" AS SELECT 1 AS \"Hours\"; "
                         "DROP VIEW \"Non Billable Hours\"; CREATE VIEW \"Non Billable Hours\" AS SELECT 1 AS \"Hours\""),
              QString());
    for (int open = 0; open < 2; ++open) {
        Connection connection;
        connection.Open(schema.address());
        connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
        EXPECT_EQ(connection.journal().undo().description, QStringLiteral("Add work code Support"));
    }
    EXPECT_EQ(schema.storedBytes("SELECT version FROM hourvane_schema"),
              QList<QByteArray>{QByteArray::number(data::ServerSchema::version())});
    for (const QByteArray view : {"Billable Hours", "Non Billable Hours"})
        EXPECT_EQ(schema.run("SELECT hourvane_employee, hourvane_work_code FROM \"" + view + "\" LIMIT 0"), QString())
            << view.constData();
}

TEST(JournalOnServer, AnUndoThatWouldOverwriteAnotherLoginsLaterChangeIsRefused)
{
    if (!testServerAddress())
        GTEST_SKIP() << noTestServerReason().toStdString();
    const TestServerSchema schema;
    ASSERT_EQ(schema.run("GRANT USAGE ON SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT ALL ON ALL TABLES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT ALL ON ALL SEQUENCES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt"),
              QString());
    const QString password = QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT_PASSWORD"));
    Connection::setPasswordProvider([password](const QString&) { return std::optional<QString>(password); });
    Connection mine;
    mine.Open(schema.address());
    Connection anna;
    anna.Open(schema.addressFor(QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT"))));
    Connection::setPasswordProvider({});

    mine.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
    const QString id = readValue(mine, QStringLiteral("select max(ID) as M from [Work Codes]"), QStringLiteral("M")).toString();
    mine.Execute(QStringLiteral("update [Work Codes] set Description = 'Help' where ID = ") + id);
    anna.Execute(QStringLiteral("update [Work Codes] set Billable = FALSE where ID = ") + id);
    const auto before = snapshot(mine);

    const QString refusal = errorOf([&] { mine.journal().undo(); }).description();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Cannot undo \"Edit work code Help\": work code %1 was changed by "
                                                  "hourvane_prompt at ")
                                       .arg(id)))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.endsWith(QStringLiteral(" after it."))) << refusal.toStdString();
    EXPECT_EQ(snapshot(mine), before);
    // Each login undoes its own changes: Anna's goes back without a word.
    EXPECT_EQ(anna.journal().undo().description, QStringLiteral("Edit work code Help"));
    EXPECT_EQ(mine.journal().undo().description, QStringLiteral("Edit work code Help"));
}

}  // namespace
}  // namespace hv::test
