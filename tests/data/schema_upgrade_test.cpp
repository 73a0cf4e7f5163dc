// Databases of the program's earlier versions brought up to this one: the
// index of the dates and the report queries that select a period by it,
// after a backup, once; a file that cannot be written or is damaged is
// left as it was and opened read-only with the reason.
#include "older_database.h"
#include "fixtures/database_fixture.h"
#include "support/error_of.h"
#include "support/page_damage.h"
#include "support/unprivileged.h"

#include "data/change_journal.h"
#include "data/connection.h"
#include "data/postgres/schema.h"
#include "data/recordset.h"
#include "data/sqlite/format.h"

namespace hv::test {
namespace {

using data::Connection;

const QByteArray kDateIndex = "SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND name = 'Work Hours by Date'";
const QByteArray kTermsTriggers =
    "SELECT count(*) FROM sqlite_schema WHERE type = 'trigger' AND tbl_name = 'hourvane_terms'";
const QByteArray kOrderColumns = "SELECT count(*) FROM pragma_table_info('Billable Hours') WHERE name LIKE 'hourvane_order%'";

// The description of every entry of the billable report, in its order.
// The billable report's descriptions in its order: by name, and within a
// name in the order the query carries (a file brought up to date carries it
// in hidden columns, an older one gives its rows in it).
QStringList billableReport(Connection& connection, bool ownOrderColumns = true)
{
    data::Recordset rs;
    rs.Open(ownOrderColumns ? QStringLiteral("select * from [Billable Hours] order by [Employee Name], "
                                             "hourvane_order_day, hourvane_order_entry")
                            : QStringLiteral("select * from [Billable Hours] order by [Employee Name]"),
            connection);
    QStringList descriptions;
    for (; !rs.Eof(); rs.MoveNext())
        descriptions << rs.Fields(QStringLiteral("Work Description")).toString();
    return descriptions;
}

// Two entries of one employee, the later date entered first.
void addTwoEntries(const QString& path)
{
    const data::DatabaseHandle raw = openRawDatabase(path);
    ASSERT_EQ(sqlite3_exec(raw.get(),
                           "INSERT INTO \"Employees\" (\"First Name\") VALUES ('Ann');"
                           "INSERT INTO \"Work Codes\" (\"Description\", \"Billable\") VALUES ('Design', -1);"
                           "INSERT INTO \"Work Hours\" (\"Employee\", \"Date Worked\", \"Work Code\", \"Hours\", "
                           "\"Work Description\") VALUES (1, '2026-03-02', 1, 2, 'later'), (1, '2026-03-01', 1, 1, "
                           "'earlier')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
}

class OlderFile : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makeOlderDatabase(m_database.path(), GetParam()));
        addTwoEntries(m_database.path());
    }

    TemporaryDatabase m_database;
};

TEST_P(OlderFile, IsBroughtUpToDateOnceAfterABackup)
{
    const UpgradeBackups backups;
    for (int open = 0; open < 2; ++open) {
        Connection connection;
        connection.Open(m_database.connectionString());
        EXPECT_FALSE(connection.isReadOnly()) << connection.readOnlyReason().toStdString();
        EXPECT_EQ(billableReport(connection), QStringList({"earlier", "later"}));
        // The journal of this version records from the first change on, and
        // keeps what it recorded.
        if (open == 0) {
            connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Fresh',TRUE)"));
            EXPECT_EQ(connection.journal().undo().description, QStringLiteral("Add work code Fresh"));
        } else {
            EXPECT_EQ(connection.journal().nextRedo()->description, QStringLiteral("Add work code Fresh"));
        }
    }
    EXPECT_EQ(backups.asked, QStringList{m_database.path()});
    EXPECT_EQ(userVersionOf(m_database.path()), data::format::kUserVersion);
    EXPECT_EQ(storedBytes(m_database.path(), kDateIndex), QList<QByteArray>{"1"});
    EXPECT_EQ(storedBytes(m_database.path(), kOrderColumns), QList<QByteArray>{"2"});
    EXPECT_EQ(storedBytes(m_database.path(), kTermsTriggers), QList<QByteArray>{"4"});
}

// A file that cannot be written keeps its report queries of then, which
// still give the report's order (version 1's stand-ins are the journal's
// case).
TEST_P(OlderFile, ThatCannotBeWrittenOpensForReadingAsItWas)
{
    const QByteArray before = fileBytes(m_database.path());
    Unprivileged::makeReadOnly(m_database.path(), m_database.folder());
    const UpgradeBackups backups;
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        Connection connection;
        connection.Open(m_database.connectionString());
        EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("cannot be written")))
            << connection.readOnlyReason().toStdString();
        EXPECT_EQ(errorOf([&] { connection.journal().undo(); }).description(), connection.readOnlyReason());
        if (GetParam() >= 2) {
            EXPECT_EQ(billableReport(connection, GetParam() >= 4), QStringList({"earlier", "later"}));
        }
    }
    Unprivileged::makeWritable(m_database.folder());
    EXPECT_TRUE(backups.asked.isEmpty());
    EXPECT_EQ(fileBytes(m_database.path()), before);
}

TEST_P(OlderFile, WhoseBackupFailsOpensForReadingAsItWas)
{
    const QByteArray before = fileBytes(m_database.path());
    const UpgradeBackups backups(true);
    Connection connection;
    connection.Open(m_database.connectionString());
    EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("No space left on device")))
        << connection.readOnlyReason().toStdString();
    EXPECT_EQ(errorOf([&] { connection.journal().undo(); }).description(), connection.readOnlyReason());
    connection.Close();
    EXPECT_EQ(fileBytes(m_database.path()), before);
}

TEST_P(OlderFile, ThatIsDamagedOpensForReadingAsItWas)
{
    ASSERT_TRUE(PageDamage::overwrite(m_database.path(),
                                      PageDamage::rootPage(m_database.path(), QStringLiteral("Work Hours by Employee"))));
    const QByteArray before = fileBytes(m_database.path());
    const UpgradeBackups backups;
    Connection connection;
    connection.Open(m_database.connectionString(), data::PageCheck::Quick,
                    data::CheckTiming::Beside);
    EXPECT_TRUE(connection.isDamaged());
    EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("is damaged"))) << connection.readOnlyReason().toStdString();
    connection.Close();
    EXPECT_TRUE(backups.asked.isEmpty());
    EXPECT_EQ(fileBytes(m_database.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Versions, OlderFile, ::testing::Values(1, 2, 3, 4),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

// A server schema of an older version, as the SQL that takes today's back
// there leaves it: brought up to date once, after which its journal records
// and undoes, the dates are indexed and the report queries carry the
// records' IDs and their own order.
struct OlderSchema {
    int version;
    const char* back;
};

void PrintTo(const OlderSchema& older, std::ostream* out)
{
    *out << "version " << older.version;
}

class OlderServerSchema : public ::testing::TestWithParam<OlderSchema> {};

TEST_P(OlderServerSchema, IsBroughtUpToDateOnce)
{
    if (!testServerAddress())
        GTEST_SKIP() << noTestServerReason().toStdString();
    const TestServerSchema schema;
    ASSERT_EQ(schema.run(kServerWithoutTerms + QByteArray(GetParam().back)), QString());
    for (int open = 0; open < 2; ++open) {
        Connection connection;
        connection.Open(schema.address());
        connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
        EXPECT_EQ(connection.journal().undo().description, QStringLiteral("Add work code Support"));
    }
    EXPECT_EQ(schema.storedBytes("SELECT count(*) FROM pg_trigger WHERE tgrelid = 'hourvane_terms'::regclass"),
              QList<QByteArray>{"4"});
    EXPECT_EQ(schema.storedBytes("SELECT version FROM hourvane_schema"),
              QList<QByteArray>{QByteArray::number(data::ServerSchema::version())});
    EXPECT_EQ(schema.storedBytes("SELECT count(*) FROM pg_indexes WHERE schemaname = current_schema() "
                                 "AND indexname = 'Work Hours by Date'"),
              QList<QByteArray>{"1"});
    for (const QByteArray view : {"Billable Hours", "Non Billable Hours"})
        EXPECT_EQ(schema.run("SELECT hourvane_employee, hourvane_work_code, hourvane_order_day, hourvane_order_entry "
                             "FROM \"" + view + "\" LIMIT 0"),
                  QString())
            << view.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OlderServerSchema,
    ::testing::Values(
        // Before the journal, with report queries of one column.
        OlderSchema{1, "DROP VIEW hourvane_changes, hourvane_journal_net; DROP TABLE hourvane_journal, hourvane_undone; "
                       "DROP SEQUENCE hourvane_journal_seq; DROP FUNCTION hourvane_journal_employees() CASCADE; "
                       "DROP FUNCTION hourvane_journal_codes() CASCADE; DROP FUNCTION hourvane_journal_entries() "
                       "CASCADE; DROP FUNCTION hourvane_journal_change(); "
                       "DROP FUNCTION hourvane_replay(bigint, boolean); "
                       "DROP FUNCTION hourvane_replay_conflict(bigint, boolean); UPDATE hourvane_schema SET version = 1; "
                       "DROP INDEX \"Work Hours by Date\"; "
                       "DROP VIEW \"Billable Hours\"; CREATE VIEW \"Billable Hours\" AS SELECT 1 AS \"Hours\"; "
                       "DROP VIEW \"Non Billable Hours\"; CREATE VIEW \"Non Billable Hours\" AS SELECT 1 AS \"Hours\""},
        // Before the index of the dates.
        OlderSchema{4, "DROP INDEX \"Work Hours by Date\"; DROP VIEW \"Billable Hours\"; "
                       "CREATE VIEW \"Billable Hours\" AS SELECT 1 AS \"Hours\"; UPDATE hourvane_schema SET version = 4"},
        // Before the journal was left to the owner's functions.
        OlderSchema{5, "ALTER FUNCTION hourvane_replay(bigint, boolean) SECURITY INVOKER; "
                       "DROP FUNCTION hourvane_reserve_ids(text, bigint); DROP TABLE hourvane_secret CASCADE; "
                       "ALTER TABLE hourvane_undone DROP COLUMN undone_by, DROP COLUMN undone_at; "
                       "UPDATE hourvane_schema SET version = 5"},
        // Before the table of terms.
        OlderSchema{6, "UPDATE hourvane_schema SET version = 6"}),
    [](const auto& info) { return "Version" + std::to_string(info.param.version); });

}  // namespace
}  // namespace hv::test
