// The journal of changes on both engines: Undo and Redo of each kind of
// change the program makes, with IDs kept (on a local file as the update hook
// records them and as the triggers do); the journal across a reopen and its
// limit; what a failed statement and another program leave in it; the
// upgrade of databases of versions 1 and 2; and the refusal of an undo that
// would overwrite another login's later change.
#include "older_database.h"
#include "fixtures/database_fixture.h"

#include "data/change_journal.h"
#include "data/record_terms.h"
#include "data/postgres/schema.h"
#include "data/postgres/session.h"
#include "data/sqlite/format.h"
#include "data/sqlite/journal.h"
#include "data/sqlite/session.h"


namespace hv::test {
namespace {

using data::ChangeJournal;
using data::Connection;

const char* const kTables[] = {"Employees", "Work Codes", "Work Hours", "hourvane_terms"};

// Every row of the three tables and of the program's terms, IDs included.
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

    // Closes the database and opens it again, as a new start of the program.
    void reopen()
    {
        db().Close();
        db().Open(onServer() ? m_server->address() : m_database.connectionString());
    }

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
    // A change made before, which the undo leaves.
    std::function<void(JournalTest&, Connection&)> prepare = {};
};

class JournalKinds : public JournalTest, public ::testing::WithParamInterface<std::tuple<Backend, ChangeCase>> {
protected:
    JournalKinds() : JournalTest(std::get<0>(GetParam())) {}
};

// Makes the change, takes it back and does it again.
void undoAndRedoRestoreEveryRow(JournalTest& test, Connection& db, const ChangeCase& change)
{
    ChangeJournal& journal = db.journal();
    if (change.prepare)
        change.prepare(test, db);
    const auto before = snapshot(db);
    const QString description = change.make(test, db);
    const auto after = snapshot(db);
    ASSERT_NE(before, after);
    const std::size_t kept = journal.recent(1000).size();

    const auto next = journal.nextUndo();
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->description, description);
    const data::JournalChange undone = journal.undo();
    EXPECT_EQ(undone.description, description);
    EXPECT_EQ(snapshot(db), before);
    ASSERT_TRUE(journal.nextRedo().has_value());
    EXPECT_EQ(journal.nextRedo()->id, undone.id);

    journal.redo();
    EXPECT_EQ(snapshot(db), after);
    // Neither the undo nor the redo is a change of its own.
    EXPECT_EQ(journal.recent(1000).size(), kept);
    EXPECT_EQ(journal.nextUndo()->id, undone.id);
}

TEST_P(JournalKinds, UndoPutsEveryRowBackWithItsIdAndRedoDoesItAgain)
{
    undoAndRedoRestoreEveryRow(*this, db(), std::get<1>(GetParam()));
}

// The program's own writes to a local file recorded by the file's triggers,
// as where the engine has no update hook.
class JournalKindsByTriggers : public JournalTest, public ::testing::WithParamInterface<ChangeCase> {
protected:
    JournalKindsByTriggers() : JournalTest(Backend::Local) { data::SqliteJournal::setUpdateHookUsed(false); }
    ~JournalKindsByTriggers() override { data::SqliteJournal::setUpdateHookUsed(true); }
};

TEST_P(JournalKindsByTriggers, UndoPutsEveryRowBackWithItsIdAndRedoDoesItAgain)
{
    undoAndRedoRestoreEveryRow(*this, db(), GetParam());
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

const ChangeCase kChangeCases[] = {
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
    ChangeCase{"EditEveryEntryAtOnce",
               [](JournalTest&, Connection& c) {
                   c.Execute(QStringLiteral("update [Work Hours] set Hours = Hours + 1"));
                   return QStringLiteral("Edit 4 entries");
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
    ChangeCase{"MarkEmployeeInactiveWithAnEdit",
               [](JournalTest& t, Connection& c) {
                   data::Transaction edit(c);
                   c.Execute(QStringLiteral("update Employees set Notes = 'left' where ID = %1").arg(t.tom));
                   data::RecordTerms::setInactive(c, data::RecordTerms::Record::Employee, t.tom, true);
                   edit.commit();
                   return QStringLiteral("Edit employee Tom Smith");
               }},
    ChangeCase{"MakeWorkCodeActiveAgain",
               [](JournalTest& t, Connection& c) {
                   data::Transaction edit(c, QStringLiteral("Make Travel active"));
                   data::RecordTerms::setInactive(c, data::RecordTerms::Record::WorkCode, t.travel, false);
                   edit.commit();
                   return QStringLiteral("Make Travel active");
               },
               [](JournalTest& t, Connection& c) {
                   data::RecordTerms::setInactive(c, data::RecordTerms::Record::WorkCode, t.travel, true);
               }},
    ChangeCase{"ChangeContract",
               [](JournalTest& t, Connection& c) {
                   data::Transaction edit(c, QStringLiteral("Contracted hours of Anna Berg"));
                   data::RecordTerms::setContracts(c, t.anna, {{QDate(2026, 1, 1), 40}, {QDate(2026, 3, 4), 20.5}});
                   edit.commit();
                   return QStringLiteral("Contracted hours of Anna Berg");
               },
               [](JournalTest& t, Connection& c) {
                   data::RecordTerms::setContracts(c, t.anna, {{QDate(2026, 1, 1), 40}});
               }},
    ChangeCase{"DescribedTransaction",
               [](JournalTest& t, Connection& c) {
                   data::Transaction sample(c, QStringLiteral("Load Sample/Example Data"));
                   t.addEmployee(QStringLiteral("Jo"), QStringLiteral("Example"));
                   t.addEntry(t.anna, QDate(2026, 3, 6), t.travel, QStringLiteral("2"),
                              QStringLiteral("Sample"));
                   sample.commit();
                   return QStringLiteral("Load Sample/Example Data");
               }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, JournalKinds, ::testing::Combine(backends(), ::testing::ValuesIn(kChangeCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Backend::Local ? "Local_" : "Server_")
                                 + std::get<1>(info.param).name;
                         });
INSTANTIATE_TEST_SUITE_P(Kinds, JournalKindsByTriggers, ::testing::ValuesIn(kChangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

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

TEST_P(Journal, RedoDoesNotBringBackAChangeThatALaterChangeDropped)
{
    addWorkCode(QStringLiteral("Dropped"), false);
    journal().undo();
    addWorkCode(QStringLiteral("Later"), false);
    journal().undo();
    EXPECT_EQ(journal().nextRedo()->description, QStringLiteral("Add work code Later"));
    journal().redo();
    EXPECT_FALSE(journal().nextRedo().has_value());
}

// A local file keeps the newest hundred changes; a server keeps its changes
// by age (ServerJournalHistory), all of these.
TEST_P(Journal, SurvivesReopeningAndKeepsTheNewestHundredChangesOnAFile)
{
    const std::size_t earlier = journal().recent(1000).size();
    for (int i = 0; i < ChangeJournal::kKept + 5; ++i)
        addWorkCode(QStringLiteral("Code %1").arg(i), false);
    reopen();

    const std::vector<data::JournalChange> kept = journal().recent(1000);
    if (onServer()) {
        ASSERT_EQ(kept.size(), earlier + ChangeJournal::kKept + 5);
    } else {
        ASSERT_EQ(kept.size(), std::size_t(ChangeJournal::kKept));
        EXPECT_EQ(kept.back().description, QStringLiteral("Add work code Code 5"));
    }
    EXPECT_EQ(kept.front().description, QStringLiteral("Add work code Code %1").arg(ChangeJournal::kKept + 4));
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

TEST_P(Journal, AStatementThatFailsInsideATransactionIsNoPartOfTheChange)
{
    const auto before = snapshot(db());
    {
        data::Transaction together(db());
        // Entry 2 takes the free ID 5, entry 3 the ID 4 that is taken: the
        // statement fails, and the database takes back what it did first.
        EXPECT_FALSE(failureOf(QStringLiteral("update [Work Hours] set ID = 7 - ID where ID in (2, 3)")).isEmpty());
        addWorkCode(QStringLiteral("Training"), false);
        together.commit();
    }
    EXPECT_EQ(journal().nextUndo()->description, QStringLiteral("Add work code Training"));
    journal().undo();
    EXPECT_EQ(snapshot(db()), before);
}

// On a server the undone changes stay in the history (who undid them is
// kept) until they are old; Redo reaches them no more either way.
TEST_P(Journal, ReopeningDropsTheChangesRedoCanNoLongerReachOnAFileAndKeepsTheRest)
{
    const auto before = snapshot(db());
    addWorkCode(QStringLiteral("Kept"), false);
    addWorkCode(QStringLiteral("Gone"), false);
    addWorkCode(QStringLiteral("Gone too"), false);
    journal().undo();
    journal().undo();
    const qint64 entry = addEntry(anna, QDate(2026, 4, 1), travel, QStringLiteral("1"), QStringLiteral("After"));
    const auto after = snapshot(db());
    reopen();

    const std::vector<data::JournalChange> kept = journal().recent(2);
    ASSERT_EQ(kept.size(), std::size_t(2));
    EXPECT_EQ(kept[0].description, QStringLiteral("Add entry %1").arg(entry));
    EXPECT_EQ(kept[1].description, onServer() ? QStringLiteral("Add work code Gone too") : QStringLiteral("Add work code Kept"));
    EXPECT_FALSE(journal().nextRedo().has_value());
    EXPECT_EQ(snapshot(db()), after);
    journal().undo();
    journal().undo();
    EXPECT_EQ(snapshot(db()), before);
}

TEST_P(Journal, AnotherProgramsWritesAreAChangeThatUndoesAsAnyOther)
{
    const auto before = snapshot(db());
    // A new value, a work code under a new ID (on the local file named by
    // the engine's own word for it) and a new employee, in one transaction.
    const QByteArray sql = "UPDATE \"Work Hours\" SET \"Hours\" = 0.1 + 0.2 WHERE \"ID\" = "
        + QByteArray::number(annasEntry) + "; UPDATE \"Work Codes\" SET " + (onServer() ? "\"ID\"" : "rowid")
        + " = 40 WHERE \"ID\" = " + QByteArray::number(travel)
        + "; INSERT INTO \"Employees\" (\"First Name\") VALUES ('Raw')";
    if (onServer()) {
        ASSERT_EQ(m_server->run(sql), QString());
    } else {
        ASSERT_EQ(runAsAnotherProgram(m_database.path(), "BEGIN; " + sql + "; COMMIT"), QString());
    }
    const auto after = snapshot(db());
    addWorkCode(QStringLiteral("Mine"), false);

    const std::vector<data::JournalChange> listed = journal().recent(2);
    ASSERT_EQ(listed.size(), std::size_t(2));
    EXPECT_EQ(listed[0].description, QStringLiteral("Add work code Mine"));
    EXPECT_EQ(listed[1].description, QStringLiteral("Add 1 employee, 1 work code; Edit 1 entry; Delete 1 work code"));
    journal().undo();
    journal().undo();
    EXPECT_EQ(snapshot(db()), before);
    journal().redo();
    EXPECT_EQ(snapshot(db()), after);
}

// Undo and Redo name a change; another program's newer change (as the same
// login, on a server) takes that change out of their reach.
TEST_P(Journal, AReplayOfTheChangeItNamesIsRefusedOnceAnotherProgramMadeANewerOne)
{
    addWorkCode(QStringLiteral("Mine"), false);
    const qint64 mine = journal().nextUndo()->id;
    const auto anotherProgramAdds = [&](const char* name) {
        const QByteArray sql = QByteArray("INSERT INTO \"Employees\" (\"First Name\") VALUES ('") + name + "')";
        return onServer() ? m_server->run(sql) : runAsAnotherProgram(m_database.path(), sql);
    };
    ASSERT_EQ(anotherProgramAdds("Raw"), QString());
    const auto before = snapshot(db());

    const QString refusal = errorOf([&] { journal().undo(mine); }).description();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Cannot undo \"Add work code Mine\": \"Add employee Raw\" is the "
                                                  "newest change now (made ")))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.endsWith(QStringLiteral(". The Edit menu now names what Undo would do.")));
    EXPECT_EQ(snapshot(db()), before);

    // The change that stands there now is the one to take back.
    const qint64 raw = journal().nextUndo()->id;
    EXPECT_EQ(journal().undo(raw).description, QStringLiteral("Add employee Raw"));
    EXPECT_EQ(journal().undo(mine).description, QStringLiteral("Add work code Mine"));
    ASSERT_EQ(anotherProgramAdds("Later"), QString());
    EXPECT_EQ(errorOf([&] { journal().redo(mine); }).description(),
              QStringLiteral("Cannot redo \"Add work code Mine\": it is no longer the change to redo. The Edit menu "
                             "now names what Redo would do."));
}

INSTANTIATE_TEST_SUITE_P(Backends, Journal, backends(), backendName);

class JournalOnFile : public JournalTest {
protected:
    JournalOnFile() : JournalTest(Backend::Local) {}
};

TEST_F(JournalOnFile, ALargeTransactionIsOneChange)
{
    const auto before = snapshot(db());
    {
        // More rows than the journal keeps in memory before it writes them out.
        data::Transaction together(db());
        for (int i = 0; i < 4500; ++i)
            addEntry(anna, QDate(2026, 5, 1), travel, QStringLiteral("1"), QStringLiteral("Row %1").arg(i));
        together.commit();
    }
    EXPECT_EQ(journal().nextUndo()->description, QStringLiteral("Add 4500 entries"));
    journal().undo();
    EXPECT_EQ(snapshot(db()), before);
}

TEST_F(JournalOnFile, ATriggerAnotherProgramAddsRulesTheProgramsWritesWhichAreStillRecorded)
{
    ASSERT_EQ(runAsAnotherProgram(m_database.path(),
                                  "CREATE TRIGGER refuse_closed BEFORE INSERT ON \"Work Codes\" WHEN "
                                  "NEW.\"Description\" = 'Closed' BEGIN SELECT raise(abort, 'No closed codes'); END"),
              QString());
    EXPECT_TRUE(failureOf(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Closed',FALSE)"))
                    .contains(QStringLiteral("No closed codes")));
    const auto before = snapshot(db());
    addWorkCode(QStringLiteral("Open"), false);
    EXPECT_EQ(journal().undo().description, QStringLiteral("Add work code Open"));
    EXPECT_EQ(snapshot(db()), before);
}

TEST_F(JournalOnFile, AChangeWhoseRecordDoesNotFitOnTheDiskIsNotWrittenAtAll)
{
    const QString first(1900, u'a');
    execute(QStringLiteral("update [Work Hours] set [Work Description] = '%1' where ID = %2").arg(first).arg(annasEntry));
    const auto before = snapshot(db());
    const qint64 newest = journal().nextUndo()->id;
    // The entry changes in place; its record, both texts, needs a new page.
    sqlite3* file = data::SqliteSession::handleOf(db());
    ASSERT_EQ(sqlite3_exec(file, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString refusal = failureOf(QStringLiteral("update [Work Hours] set [Work Description] = '%1' where ID = %2")
                                          .arg(QString(1900, u'b'))
                                          .arg(annasEntry));
    EXPECT_TRUE(refusal.contains(QStringLiteral("No space left on device"))) << refusal.toStdString();
    EXPECT_EQ(snapshot(db()), before);
    EXPECT_EQ(journal().nextUndo()->id, newest);
    ASSERT_EQ(sqlite3_exec(file, "PRAGMA max_page_count = 1000000", nullptr, nullptr, nullptr), SQLITE_OK);
    execute(QStringLiteral("update [Work Hours] set Hours = 2 where ID = %1").arg(annasEntry));
    EXPECT_EQ(journal().nextUndo()->description, QStringLiteral("Edit entry %1").arg(annasEntry));
}

// The same on a server: version 2 kept the rows' images as jsonb.
void makeVersionTwoSchema(const TestServerSchema& schema)
{
    const QByteArray sql = kServerWithoutTerms + QByteArray(R"sql(
        DROP VIEW hourvane_changes, hourvane_journal_net; DROP TABLE hourvane_journal, hourvane_undone;
        DROP SEQUENCE hourvane_journal_seq; DROP FUNCTION hourvane_journal_employees() CASCADE;
        DROP FUNCTION hourvane_journal_codes() CASCADE; DROP FUNCTION hourvane_journal_entries() CASCADE;
        DROP FUNCTION hourvane_journal_change();
        INSERT INTO "Work Codes" ("ID", "Description", "Billable") VALUES (1, 'Help', -1);
        CREATE TABLE hourvane_changes (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
            made_at timestamptz NOT NULL DEFAULT now(), made_by text NOT NULL DEFAULT current_user,
            description text, undone boolean NOT NULL DEFAULT false);
        CREATE TABLE hourvane_change_rows (seq bigint GENERATED ALWAYS AS IDENTITY, change bigint NOT NULL,
            tbl text NOT NULL, row_id bigint NOT NULL, before jsonb, after jsonb);
        INSERT INTO hourvane_changes (undone) VALUES (false), (false), (true);
        INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after) VALUES
            (1, 'Work Codes', 1, NULL, '{"ID": 1, "Description": "Support", "Billable": -1}'),
            (2, 'Work Codes', 1, '{"ID": 1, "Description": "Support", "Billable": -1}',
                '{"ID": 1, "Description": "Help", "Billable": -1}'),
            (3, 'Work Codes', 2, NULL, '{"ID": 2, "Description": "Travel", "Billable": 0}');
        UPDATE hourvane_schema SET version = 2)sql");
    ASSERT_EQ(schema.run(sql), QString());
}

// The work codes, by ID.
QList<QVariantList> workCodes(Connection& connection)
{
    return readRows(connection, QStringLiteral("select ID, Description from [Work Codes] order by ID"));
}

// A database of version 2 after its upgrade: its history is kept, in order,
// with what was undone, and goes on with the program's next change.
class JournalCarriedOver : public ::testing::TestWithParam<Backend> {};

TEST_P(JournalCarriedOver, KeepsTheHistoryOfVersionTwoAndGoesOnFromIt)
{
    TemporaryDatabase database;
    std::unique_ptr<TestServerSchema> schema;
    if (GetParam() == Backend::Server) {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        schema = std::make_unique<TestServerSchema>();
        makeVersionTwoSchema(*schema);
    } else {
        ASSERT_TRUE(makeOlderDatabase(database.path(), 2));
    }
    Connection connection;
    connection.Open(schema ? schema->address() : database.connectionString());
    ChangeJournal& journal = connection.journal();

    const std::vector<data::JournalChange> kept = journal.recent(10);
    ASSERT_EQ(kept.size(), std::size_t(3));
    EXPECT_EQ(kept[0].description, QStringLiteral("Add work code Travel"));
    EXPECT_TRUE(kept[0].undone);
    EXPECT_EQ(kept[1].description, QStringLiteral("Edit work code Help"));
    EXPECT_EQ(kept[2].description, QStringLiteral("Add work code Support"));
    EXPECT_FALSE(kept[1].undone || kept[2].undone);
    EXPECT_EQ(journal.nextRedo()->description, QStringLiteral("Add work code Travel"));

    journal.undo();
    EXPECT_EQ(workCodes(connection), (QList<QVariantList>{{1, QStringLiteral("Support")}}));
    journal.redo();
    journal.redo();
    EXPECT_EQ(workCodes(connection),
              (QList<QVariantList>{{1, QStringLiteral("Help")}, {2, QStringLiteral("Travel")}}));
    connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Fresh',FALSE)"));
    EXPECT_EQ(journal.nextUndo()->description, QStringLiteral("Add work code Fresh"));
    if (!schema) {
        // The triggers of version 2 are gone with its tables: another program
        // still writes, and is recorded.
        EXPECT_EQ(runAsAnotherProgram(database.path(), "INSERT INTO \"Work Codes\" (\"Description\") VALUES ('Raw')"),
                  QString());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, JournalCarriedOver, backends(), backendName);

TEST(JournalOnServer, AnUndoThatWouldOverwriteAnotherLoginsLaterChangeIsRefused)
{
    if (!testServerAddress())
        GTEST_SKIP() << noTestServerReason().toStdString();
    const TestServerSchema schema;
    ASSERT_EQ(schema.run("GRANT USAGE ON SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT ALL ON ALL TABLES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT ALL ON ALL SEQUENCES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT EXECUTE ON FUNCTION " + schema.name().toUtf8() + ".hourvane_replay(bigint, boolean) "
                         "TO hourvane_prompt"),
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
