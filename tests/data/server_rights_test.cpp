// Rights per login on a server: the groups made with the tables, a reader
// whose session is read-only with its own reason and whom the server refuses
// anyway, an editor whose changes the journal names and who may undo them,
// and rights taken back; the journal written by the server alone, which no
// editor forges, erases, bypasses or prunes, nor replays for another login.
// The logins are the test server's own.
#include "fixtures/database_fixture.h"

#include "data/change_journal.h"
#include "data/record_terms.h"
#include "data/postgres/handles.h"
#include "data/postgres/journal.h"
#include "data/postgres/rights.h"
#include "data/postgres/session.h"

namespace hv::test {
namespace {

using data::ServerRights;

class ServerRightsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        const QStringList logins = qEnvironmentVariable("HOURVANE_TEST_SERVER_LOGINS").split(u',', Qt::SkipEmptyParts);
        if (logins.size() < 2)
            GTEST_SKIP() << "the test server has no logins to give rights to (HOURVANE_TEST_SERVER_LOGINS)";
        m_reader = logins[0];
        m_editor = logins[1];
        m_schema = std::make_unique<TestServerSchema>();
        m_owner = std::make_unique<data::PostgresSession>(m_schema->address());
    }

    // Runs SQL as `login` past the program, as any other program would; the server's error.
    QString asLogin(const QString& login, const QByteArray& sql) const
    {
        const data::ServerConnectionHandle connection(PQconnectdb(m_schema->addressAs(login).toUtf8().constData()));
        const data::ServerResultHandle result(PQexec(connection.get(), sql.constData()));
        const ExecStatusType status = PQresultStatus(result.get());
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK ? QString()
                                                                        : QString::fromUtf8(PQerrorMessage(connection.get()));
    }

    // Makes m_editor an editor, and the owner add a work code: its change.
    QByteArray ownersChange() const
    {
        ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
        data::Connection owner;
        owner.Open(m_schema->address());
        owner.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
        return m_schema->storedBytes("SELECT max(change) FROM hourvane_journal").value(0);
    }

    // SQL run in the test's schema.
    QByteArray inSchema(const QByteArray& sql) const { return "SET search_path = " + m_schema->name().toUtf8() + "; " + sql; }

    ScopedLocale m_locale{QStringLiteral("en_US")};
    QString m_reader;
    QString m_editor;
    std::unique_ptr<TestServerSchema> m_schema;
    std::unique_ptr<data::PostgresSession> m_owner;
};

TEST_F(ServerRightsTest, AReaderReadsEverythingAndEveryWriteIsRefusedBeforeTheServerDoes)
{
    ServerRights::grant(*m_owner, m_reader, ServerRights::Group::Readers);
    {
        data::Connection owner;
        owner.Open(m_schema->address());
        owner.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
    }
    data::Connection reader;
    reader.Open(m_schema->addressAs(m_reader));
    ASSERT_TRUE(reader.isReadOnly());
    EXPECT_TRUE(reader.readOnlyReason().contains(QStringLiteral("'%1' may only read").arg(m_reader)))
        << reader.readOnlyReason().toStdString();
    EXPECT_EQ(readRows(reader, QStringLiteral("select Description from [Work Codes]")),
              (QList<QVariantList>{{QStringLiteral("Support")}}));
    EXPECT_EQ(reader.journal().recent(5).size(), 1u);
    for (const char* write : {"insert into Employees ([First Name]) values ('Eve')",
                              "update [Work Codes] set Description='Changed'", "delete from [Work Codes]"}) {
        EXPECT_EQ(errorOf([&] { reader.Execute(QString::fromLatin1(write)); }).description(), reader.readOnlyReason())
            << write;
    }
    EXPECT_EQ(errorOf([&] { reader.journal().undo(); }).description(), reader.readOnlyReason());
    // The server refuses whatever program the login uses.
    const QByteArray schema = "SET search_path = " + m_schema->name().toUtf8() + "; ";
    for (const char* write : {"INSERT INTO \"Employees\" (\"First Name\") VALUES ('Eve')",
                              "UPDATE \"Work Codes\" SET \"Description\" = 'Changed'", "DELETE FROM \"Work Hours\"",
                              "DELETE FROM hourvane_journal", "INSERT INTO hourvane_undone VALUES (1, 1)",
                              "DELETE FROM hourvane_schema"}) {
        EXPECT_TRUE(asLogin(m_reader, schema + write).contains(QStringLiteral("permission denied"))) << write;
    }
}

TEST_F(ServerRightsTest, AnEditorsChangesAreTheirsInTheJournalAndTheirsToUndo)
{
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    data::Connection editor;
    editor.Open(m_schema->addressAs(m_editor));
    ASSERT_FALSE(editor.isReadOnly()) << editor.readOnlyReason().toStdString();
    editor.Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')"));
    editor.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
    editor.Execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) "
                                  "values (1,'3/5/2026',1,'7.5')"));
    editor.Execute(QStringLiteral("update [Work Hours] set Hours=8 where ID=1"));
    const std::vector<data::JournalChange> changes = editor.journal().recent(10);
    ASSERT_EQ(changes.size(), 4u);
    for (const data::JournalChange& change : changes)
        EXPECT_EQ(change.madeBy, m_editor);
    editor.journal().undo();
    EXPECT_EQ(readRows(editor, QStringLiteral("select Hours from [Work Hours]")), (QList<QVariantList>{{7.5}}));
    // What the server keeps may not be changed by an editor either.
    EXPECT_TRUE(asLogin(m_editor, "SET search_path = " + m_schema->name().toUtf8()
                                      + "; UPDATE hourvane_schema SET version = 99")
                    .contains(QStringLiteral("permission denied")));
}

// An editor's attacks on the journal, each past the program, as psql would
// send them: every one is refused by the server.
TEST_F(ServerRightsTest, AnEditorWritesNothingToTheJournalNorItsNumberingsDirectly)
{
    ownersChange();
    const QList<QByteArray> journal = m_schema->storedBytes("SELECT count(*) FROM hourvane_journal");
    for (const char* attack :
         {"INSERT INTO hourvane_journal (seq, change, tbl, row_id) VALUES (999, 999, 'Work Codes', 1)",
          "UPDATE hourvane_journal SET made_by = 'someone'", "DELETE FROM hourvane_journal",
          "DELETE FROM hourvane_undone", "INSERT INTO hourvane_undone VALUES (1, 1)", "TRUNCATE hourvane_journal",
          "SELECT setval(pg_get_serial_sequence('\"Work Hours\"', 'ID'), 1)",
          "SELECT setval('hourvane_journal_seq', 1)", "SELECT nextval('hourvane_journal_seq')",
          "SELECT token FROM hourvane_secret", "SELECT hourvane_journal_seal('replay')",
          "SELECT hourvane_journal_change()", "SELECT hourvane_definer('hourvane_replay(bigint, boolean)')"}) {
        EXPECT_TRUE(asLogin(m_editor, inSchema(attack)).contains(QStringLiteral("permission denied"))) << attack;
    }
    EXPECT_EQ(m_schema->storedBytes("SELECT count(*) FROM hourvane_journal"), journal);
    // Reading it is allowed: the history is the team's.
    EXPECT_EQ(asLogin(m_editor, inSchema("SELECT * FROM hourvane_changes")), QString());
}

TEST_F(ServerRightsTest, ASessionsOwnSettingsNeitherStopTheRecordNorJoinAnothersChange)
{
    const QByteArray owners = ownersChange();
    for (const QByteArray& switched :
         {QByteArray("SET hourvane.journal_off = 'on'"), QByteArray("SET hourvane.replaying = 'on'"),
          "SET hourvane.change = '" + owners + "'", "SET hourvane.change = '" + owners + ":00ff'"}) {
        ASSERT_EQ(asLogin(m_editor, inSchema(switched + "; UPDATE \"Work Codes\" SET \"Billable\" = -1 - \"Billable\"")),
                  QString())
            << switched.constData();
        EXPECT_EQ(m_schema->storedBytes("SELECT made_by FROM hourvane_journal ORDER BY seq DESC LIMIT 1"),
                  (QList<QByteArray>{m_editor.toUtf8()}))
            << switched.constData();
        EXPECT_EQ(m_schema->storedBytes("SELECT change > " + owners
                                        + " FROM hourvane_journal ORDER BY seq DESC LIMIT 1"),
                  QList<QByteArray>{"t"})
            << switched.constData();
    }
    EXPECT_EQ(m_schema->storedBytes("SELECT count(DISTINCT made_by) FROM hourvane_journal WHERE change = " + owners),
              QList<QByteArray>{"1"});
}

// The program's own terms: an editor writes and undoes its own, the
// journal records them as the editor's, and the replay of the terms of
// another login's change is refused as any replay is.
TEST_F(ServerRightsTest, AnEditorsContractIsTheirsToUndoAndNoOneElses)
{
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    data::Connection owner;
    owner.Open(m_schema->address());
    data::RecordTerms::setContracts(owner, 1, {{QDate(2026, 1, 1), 40}});
    const QByteArray owners = m_schema->storedBytes("SELECT max(change) FROM hourvane_journal").value(0);
    data::Connection editor;
    editor.Open(m_schema->addressAs(m_editor));
    const QString refused = asLogin(m_editor, inSchema("SELECT hourvane_terms_replay(" + owners + ", false)"));
    EXPECT_TRUE(refused.contains(QStringLiteral("only that login may undo or redo it"))) << refused.toStdString();

    {
        data::Transaction change(editor, QStringLiteral("Contracted hours"));
        data::RecordTerms::setContracts(editor, 1, {{QDate(2026, 1, 1), 40}, {QDate(2026, 6, 1), 20}});
        change.commit();
    }
    data::RecordTerms::setInactive(editor, data::RecordTerms::Record::Employee, 1, true);
    EXPECT_EQ(editor.journal().recent(1).front().madeBy, m_editor);
    editor.journal().undo();
    editor.journal().undo();
    EXPECT_EQ(data::RecordTerms::contracts(editor, 1), (data::RecordTerms::Contracts{{QDate(2026, 1, 1), 40}}));
    EXPECT_TRUE(data::RecordTerms::inactive(editor, data::RecordTerms::Record::Employee).isEmpty());
    EXPECT_TRUE(asLogin(m_editor, inSchema("DELETE FROM hourvane_journal WHERE tbl = 'hourvane_terms'"))
                    .contains(QStringLiteral("permission denied")));
}

TEST_F(ServerRightsTest, TheServerRefusesAReplayOfAnotherLoginsChangeAndNamesWhoUndidOnesOwn)
{
    const QByteArray owners = ownersChange();
    const QString refused = asLogin(m_editor, inSchema("SELECT hourvane_replay(" + owners + ", false)"));
    EXPECT_TRUE(refused.contains(QStringLiteral("only that login may undo or redo it"))) << refused.toStdString();
    EXPECT_EQ(m_schema->storedBytes("SELECT \"Description\" FROM \"Work Codes\""), QList<QByteArray>{"Support"});

    data::Connection editor;
    editor.Open(m_schema->addressAs(m_editor));
    editor.Execute(QStringLiteral("update [Work Codes] set Description='Help'"));
    editor.journal().undo();
    EXPECT_EQ(m_schema->storedBytes("SELECT undone_by FROM hourvane_undone"), QList<QByteArray>{m_editor.toUtf8()});
    // Undone already: the server does not replay it twice.
    const QByteArray editors = m_schema->storedBytes("SELECT change FROM hourvane_undone").value(0);
    EXPECT_TRUE(asLogin(m_editor, inSchema("SELECT hourvane_replay(" + editors + ", false)")).contains(u"already undone"));
}

TEST_F(ServerRightsTest, OnlyTheOwnersStartDropsTheChangesOlderThanTheDaysKept)
{
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    for (const char* code : {"Old", "Recent", "New"}) {
        data::Connection owner;
        owner.Open(m_schema->address());
        owner.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('%1',TRUE)")
                          .arg(QLatin1String(code)));
    }
    const int days = data::PostgresJournal::kHistoryDays;
    ASSERT_EQ(m_schema->run("UPDATE hourvane_journal SET made_at = now() - interval '" + QByteArray::number(days + 1)
                            + " days' WHERE (code_after).\"Description\" = 'Old'; "
                              "UPDATE hourvane_journal SET made_at = now() - interval '"
                            + QByteArray::number(days - 1) + " days' WHERE (code_after).\"Description\" = 'Recent'"),
              QString());
    const QByteArray count = "SELECT count(*) FROM hourvane_journal";
    {
        data::Connection editor;
        editor.Open(m_schema->addressAs(m_editor));
        EXPECT_EQ(editor.journal().recent(10).size(), 3u);
    }
    EXPECT_EQ(m_schema->storedBytes(count), QList<QByteArray>{"3"});
    data::Connection owner;
    owner.Open(m_schema->address());
    EXPECT_EQ(m_schema->storedBytes(count), QList<QByteArray>{"2"});
}

// What the server keeps by its setting hourvane.history_days.
struct HistorySetting {
    const char* text;
    int days;
};

class ServerJournalHistory : public ::testing::TestWithParam<HistorySetting> {};

TEST_P(ServerJournalHistory, KeepsTheDaysSetOrNinety)
{
    EXPECT_EQ(data::PostgresJournal::historyDays(GetParam().text), GetParam().days);
}

INSTANTIATE_TEST_SUITE_P(Settings, ServerJournalHistory,
                         ::testing::Values(HistorySetting{"", 90}, HistorySetting{"365", 365},
                                           HistorySetting{" 7 ", 7}, HistorySetting{"0", 90},
                                           HistorySetting{"-5", 90}, HistorySetting{"a year", 90},
                                           HistorySetting{"1.5", 90}));

TEST_F(ServerRightsTest, TheUpgradeTakesBackWhatAnOlderVersionGaveTheEditors)
{
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    const QString editors = ServerRights::groupName(*m_owner, ServerRights::Group::Editors);
    ASSERT_EQ(m_schema->run("GRANT INSERT, UPDATE, DELETE ON hourvane_journal, hourvane_undone TO \""
                            + editors.toUtf8() + "\"; GRANT UPDATE ON SEQUENCE hourvane_journal_seq TO \""
                            + editors.toUtf8() + "\"; ALTER FUNCTION hourvane_replay(bigint, boolean) SECURITY INVOKER; "
                            "UPDATE hourvane_schema SET version = 5"),
              QString());
    {
        data::Connection owner;
        owner.Open(m_schema->address());
    }
    for (const char* attack : {"DELETE FROM hourvane_journal", "SELECT setval('hourvane_journal_seq', 1)"})
        EXPECT_TRUE(asLogin(m_editor, inSchema(attack)).contains(QStringLiteral("permission denied"))) << attack;
    EXPECT_EQ(m_schema->storedBytes("SELECT prosecdef FROM pg_proc WHERE proname = 'hourvane_replay' AND "
                                    "pronamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema())"),
              QList<QByteArray>{"t"});
}

// A refusal by rights, a colleague's lock or a conflict is no fault of the
// program, and its error says so (the windows show it without the error
// report).
TEST_F(ServerRightsTest, RefusalsByRightsLocksAndConflictsAreNoFaults)
{
    ServerRights::grant(*m_owner, m_reader, ServerRights::Group::Readers);
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    data::Connection owner;
    owner.Open(m_schema->address());
    owner.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)"));
    data::Connection reader;
    reader.Open(m_schema->addressAs(m_reader));
    EXPECT_TRUE(errorOf([&] { reader.Execute(QStringLiteral("delete from [Work Codes]")); }).isRefusal());
    data::Connection editor;
    editor.Open(m_schema->addressAs(m_editor));
    const RuntimeError denied = errorOf([&] { editor.Execute(QStringLiteral("update hourvane_schema set version=9")); });
    EXPECT_TRUE(denied.isRefusal());
    EXPECT_TRUE(denied.description().contains(QStringLiteral("the login '%1' may not do it").arg(m_editor)))
        << denied.description().toStdString();

    const int waited = data::Connection::lockTimeout();
    data::Connection::setLockTimeout(200);
    data::Connection waiting;
    waiting.Open(m_schema->addressAs(m_editor));
    data::Connection::setLockTimeout(waited);
    {
        data::Transaction holding(owner);
        owner.Execute(QStringLiteral("update [Work Codes] set Description='Held'"));
        const RuntimeError locked = errorOf([&] { waiting.Execute(QStringLiteral("update [Work Codes] set Billable=FALSE")); });
        EXPECT_TRUE(locked.isRefusal()) << locked.description().toStdString();
    }
    // A fault is still one.
    EXPECT_FALSE(errorOf([&] { editor.Execute(QStringLiteral("select * from [No Such Table]")); }).isRefusal());
}

TEST_F(ServerRightsTest, RightsMoveBetweenTheGroupsAndAreTakenBack)
{
    ServerRights::grant(*m_owner, m_reader, ServerRights::Group::Readers);
    ServerRights::grant(*m_owner, m_reader, ServerRights::Group::Editors);
    {
        data::Connection moved;
        moved.Open(m_schema->addressAs(m_reader));
        EXPECT_FALSE(moved.isReadOnly());
    }
    EXPECT_EQ(ServerRights::revoke(*m_owner, m_reader),
              QStringList{ServerRights::groupName(*m_owner, ServerRights::Group::Editors)});
    EXPECT_EQ(ServerRights::revoke(*m_owner, m_reader), QStringList());
    data::Connection none;
    const QString refused = errorOf([&] { none.Open(m_schema->addressAs(m_reader)); }).description();
    EXPECT_TRUE(refused.contains(QStringLiteral("has no rights on Hourvane's tables"))) << refused.toStdString();
    EXPECT_TRUE(refused.contains(QStringLiteral("--grant-access %1 editor").arg(m_reader))) << refused.toStdString();
}

TEST_F(ServerRightsTest, WhatCannotBeGivenIsRefusedWithItsReason)
{
    const std::pair<QString, const char*> refusals[] = {
        {QStringLiteral("hourvane_nobody"), "There is no login 'hourvane_nobody'"},
        {QStringLiteral("hourvane"), "owns Hourvane's tables"},
    };
    for (const auto& [login, reason] : refusals) {
        const QString said =
            errorOf([&] { ServerRights::grant(*m_owner, login, ServerRights::Group::Readers); }).description();
        EXPECT_TRUE(said.contains(QLatin1String(reason))) << said.toStdString();
    }
    // A login that may not make roles or grant on the tables gives nothing.
    ServerRights::grant(*m_owner, m_editor, ServerRights::Group::Editors);
    data::PostgresSession editor(m_schema->addressAs(m_editor));
    const QString said = errorOf([&] { ServerRights::grant(editor, m_reader, ServerRights::Group::Readers); }).description();
    EXPECT_TRUE(said.contains(QStringLiteral("Cannot give the login '%1' its rights").arg(m_reader)))
        << said.toStdString();
    data::Connection reader;
    EXPECT_THROW(reader.Open(m_schema->addressAs(m_reader)), RuntimeError);
}

}  // namespace
}  // namespace hv::test
