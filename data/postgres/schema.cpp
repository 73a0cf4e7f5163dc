#include "data/postgres/schema.h"

#include "data/postgres/rights.h"
#include "data/postgres/session.h"
#include "core/runtime_error.h"

namespace hv::data {

// The text of schema.sql, compiled in (schema_text.cpp is made
// from it at build time).
extern const char* const kServerSchemaText;
extern const char* const kServerJournalText;
extern const char* const kServerReportViewsText;
extern const char* const kServerNotifyText;
extern const char* const kServerTermsText;

namespace {

// Version 2 added the journal of changes, version 3 the notifications of
// changes (notify.sql), version 4 gave the journal the form of journal.sql,
// version 5 added the index of the dates and the report queries a period is
// selected from by it (report_views.sql), version 6 left the journal to the
// owner's functions, which the editors' writes and replays run through,
// version 7 added the table of the program's own terms (terms.sql); an older
// database is brought up to date when the program connects to it.
constexpr int kVersion = 7;
// The first version with the table of terms.
constexpr int kTermsVersion = 7;

// Records this version in a database whose tables were just made or brought
// up to it.
QByteArray versionMark()
{
    const QByteArray version = QByteArray::number(kVersion);
    return "UPDATE hourvane_schema SET version = " + version + " WHERE version < " + version + ";\n";
}

// What the upgrade from `from` brings, as the refusal of it names it.
QString upgradeWhat(int from)
{
    QStringList what;
    if (from < 2)
        what << QStringLiteral("a journal of changes, for Undo");
    else if (from < 4)
        what << QStringLiteral("its journal of changes, for Undo, in a form that costs each write less");
    if (from < 3)
        what << QStringLiteral("notifications of changes, for the lists of other programs");
    if (from < 5)
        what << QStringLiteral("an index of the dates, for reports");
    if (from >= 2 && from < 6)
        what << QStringLiteral("a journal that no one but the server's own functions writes");
    if (from < kTermsVersion)
        what << QStringLiteral("a table of contracted hours and of people and work codes no longer active");
    const QString last = what.takeLast();
    return what.isEmpty() ? last : what.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

const QStringList& journalNames()
{
    static const QStringList names = {"hourvane_journal", "hourvane_undone", "hourvane_terms"};
    return names;
}

const QStringList& tableNames()
{
    static const QStringList names = {"Employees", "Work Codes", "Work Hours", "Employees Extended",
                                      "Work Hours Extended", "Billable Hours", "Non Billable Hours",
                                      "hourvane_schema"};
    return names;
}

QByteArray arrayLiteral(const QStringList& names)
{
    QStringList quoted;
    for (QString name : names)
        quoted << u'"' + name.replace(u'"', QStringLiteral("\\\"")) + u'"';
    return (u'{' + quoted.join(u',') + u'}').toUtf8();
}

const QByteArray kSchemaOid = "(SELECT oid FROM pg_namespace WHERE nspname = current_schema())";

// The refusal of a login that has no rights on the tables.
QString noRights(PostgresSession& session, const QString& login)
{
    return QStringLiteral("The login '%1' has no rights on Hourvane's tables in '%2' (or the schema it names does not "
                          "exist). Whoever owns the tables gives it the rights with hourvane --grant-access %1 editor "
                          "(or reader, to read only).")
        .arg(login, session.address());
}

}  // namespace

int ServerSchema::version()
{
    return kVersion;
}

QByteArray ServerSchema::script()
{
    return QByteArray(kServerSchemaText) + QByteArray(kServerReportViewsText) + QByteArray(kServerJournalText)
        + QByteArray(kServerNotifyText) + QByteArray(kServerTermsText) + versionMark();
}

QStringList ServerSchema::existing(PostgresSession& session)
{
    const ServerResultHandle result = session.run(
        "SELECT relname FROM pg_class WHERE relnamespace = " + kSchemaOid
            + " AND relname = ANY($1::text[]) "
              "UNION ALL SELECT typname FROM pg_type WHERE typnamespace = "
            + kSchemaOid
            + " AND typname = 'hourvane_yesno' "
              "UNION ALL SELECT proname FROM pg_proc WHERE pronamespace = "
            + kSchemaOid + " AND proname IN ('hourvane_entry_links', 'hourvane_assign_id')",
        {arrayLiteral(tableNames() + journalNames())});
    QStringList found;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        found << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
    return found;
}

void ServerSchema::check(PostgresSession& session)
{
    const QStringList found = existing(session);
    QStringList missing;
    for (const QString& name : tableNames()) {
        if (!found.contains(name))
            missing << name;
    }
    if (missing.size() == tableNames().size()) {
        // A schema the login may not use is not on its search path at all.
        const ServerResultHandle schema = session.run("SELECT current_schema() IS NULL, current_user");
        if (PQgetvalue(schema.get(), 0, 0)[0] == 't')
            throw RuntimeError(err::DatabaseEngine, noRights(session, QString::fromUtf8(PQgetvalue(schema.get(), 0, 1))));
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' holds none of Hourvane's tables. Create them with "
                                          "hourvane --init-server, or copy a local database there with hourvane "
                                          "--copy-to-server.")
                               .arg(session.address()));
    }
    if (!missing.isEmpty())
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' is not one of Hourvane's: it lacks %2.")
                               .arg(session.address(), missing.join(QStringLiteral(", "))));
    // A login without rights reads nothing of the tables.
    const ServerResultHandle allowed = session.run("SELECT has_table_privilege('hourvane_schema', 'SELECT'), current_user");
    if (PQgetvalue(allowed.get(), 0, 0)[0] != 't')
        throw RuntimeError(err::DatabaseEngine, noRights(session, QString::fromUtf8(PQgetvalue(allowed.get(), 0, 1))));
    const ServerResultHandle result = session.run("SELECT max(version) FROM hourvane_schema");
    // Every version the program writes is a whole number from 1 up; a table
    // without one is not the program's (or was damaged).
    const QByteArray stored = PQgetisnull(result.get(), 0, 0) ? QByteArray() : QByteArray(PQgetvalue(result.get(), 0, 0));
    bool known = false;
    const int version = stored.toInt(&known);
    if (!known || version < 1) {
        const QString held = stored.isEmpty() ? QStringLiteral("no version")
                                              : QStringLiteral("the version %1").arg(QString::fromUtf8(stored));
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' is not one of Hourvane's, or it is damaged: its table "
                                          "hourvane_schema holds %2 instead of the version of Hourvane's tables. "
                                          "Nothing was written.")
                               .arg(session.address(), held));
    }
    if (version > kVersion)
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' holds Hourvane's tables in a newer version (%2) than "
                                          "this Hourvane knows (%3). Nothing was written; use a newer Hourvane.")
                               .arg(session.address())
                               .arg(version)
                               .arg(kVersion));
    if (version < kVersion)
        upgrade(session, version);
    // A server that takes no writes shows a database of version 1 as it is.
    if (version < kVersion && !session.readOnlyReason().isEmpty())
        return;
    QStringList lacking;
    const QStringList present = existing(session);
    for (const QString& name : journalNames()) {
        if (!present.contains(name))
            lacking << name;
    }
    if (!lacking.isEmpty())
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' is not one of Hourvane's: it lacks %2.")
                               .arg(session.address(), lacking.join(QStringLiteral(", "))));
}

void ServerSchema::upgrade(PostgresSession& session, int from)
{
    if (!session.readOnlyReason().isEmpty())
        return;
    // Every statement of the journal's, the report queries' and the
    // notifications' texts can run again (the journal's carries over a
    // journal of version 2 or 3), and the lock keeps two programs connecting
    // at once from doing it side by side.
    // The rights are given afresh in the same transaction, so that what an
    // older version gave beyond them (the journal's writes) never outlives
    // the upgrade.
    try {
        session.begin();
        session.runScript("SELECT pg_advisory_xact_lock(hashtext('hourvane upgrade'));\n"
                          + QByteArray(kServerJournalText) + QByteArray(kServerReportViewsText)
                          + QByteArray(kServerNotifyText) + QByteArray(kServerTermsText) + versionMark());
        ServerRights::grantAgain(session);
        session.commit();
    } catch (const RuntimeError& error) {
        if (session.inTransaction())
            session.rollback();
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' holds Hourvane's tables in version %2; this Hourvane "
                                          "brings them up to version %3 (%4) when it connects, which the server "
                                          "refused: %5 Nothing was changed. Let the owner of the database connect "
                                          "once with this Hourvane.")
                               .arg(session.address())
                               .arg(from)
                               .arg(kVersion)
                               .arg(upgradeWhat(from))
                               .arg(error.description()));
    }
}

bool ServerSchema::create(PostgresSession& session)
{
    const QStringList found = existing(session);
    if (!found.isEmpty())
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' already holds %2. Hourvane creates its tables only "
                                          "where none of them exists; nothing was created.")
                               .arg(session.address(), found.join(QStringLiteral(", "))));
    session.begin();
    try {
        session.runScript(script());
        // The groups of rights where this login may make them; where it may
        // not, they are made when rights are first given.
        const bool groups = ServerRights::makeGroupsIfAllowed(session);
        session.commit();
        return groups;
    } catch (...) {
        if (session.inTransaction())
            session.rollback();
        throw;
    }
}

ServerSchema::Created ServerSchema::createAt(const QString& address)
{
    PostgresSession session(address, false);
    const bool groups = create(session);
    return {session.address(), groups};
}

}  // namespace hv::data
