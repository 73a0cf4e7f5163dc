#include "data/postgres/rights.h"

#include "core/runtime_error.h"
#include "data/postgres/session.h"

#include <QStringList>

namespace hv::data {

namespace {

RuntimeError rightsError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

const QByteArray kSchemaOid = "(SELECT oid FROM pg_namespace WHERE nspname = current_schema())";

// The program's relations: its tables and stored queries, and whatever else
// of its own (the journal's) carries its prefix.
const QByteArray kOwnRelations =
    "c.relnamespace = " + kSchemaOid
    + " AND (c.relname IN ('Employees', 'Work Codes', 'Work Hours', 'Employees Extended', 'Work Hours Extended', "
      "'Billable Hours', 'Non Billable Hours') OR c.relname LIKE 'hourvane\\_%')";

QString text(const ServerResultHandle& result, int row = 0, int column = 0)
{
    return QString::fromUtf8(PQgetvalue(result.get(), row, column));
}

// The statement the server writes with each name quoted as an identifier:
// `format` is the server's format() text, `names` its %I arguments.
QByteArray statement(PostgresSession& session, const QByteArray& format, const QStringList& names)
{
    std::vector<std::optional<QByteArray>> values{format};
    QByteArray placeholders;
    for (qsizetype i = 0; i < names.size(); ++i) {
        values.push_back(names[i].toUtf8());
        placeholders += ", $" + QByteArray::number(i + 2) + "::text";
    }
    return text(session.run("SELECT format($1" + placeholders + ")", values)).toUtf8();
}

bool roleExists(PostgresSession& session, const QString& role)
{
    return PQntuples(session.run("SELECT 1 FROM pg_roles WHERE rolname = $1", {role.toUtf8()}).get()) == 1;
}

// The statements that give `rights` on `what` (a relation, a function, with
// its kind: "SEQUENCE ", "FUNCTION ") to each of `groups`.
void give(PostgresSession& session, const QByteArray& rights, const QByteArray& what, const QStringList& groups)
{
    for (const QString& group : groups)
        session.run("GRANT " + rights + " ON " + what + " TO " + statement(session, "%I", {group}));
}

void grantRights(PostgresSession& session, const QString& editors, const QString& readers)
{
    // The schema's use may already be everyone's (public): a grant the
    // login may not give there is only a warning.
    const QString schema = text(session.run("SELECT current_schema()"));
    session.run(statement(session, "GRANT USAGE ON SCHEMA %I TO %I, %I", {schema, editors, readers}));
    const QByteArray both = statement(session, "%I, %I", {editors, readers});
    // Each right is given afresh: whatever an older version gave beyond it
    // (the journal's writes, the numberings' moves) goes. The journal is
    // read by both groups and written only by the owner's functions; the
    // secret that seals it is read by no one else.
    const ServerResultHandle relations =
        session.run("SELECT format('%I', c.relname), c.relname FROM pg_class c WHERE " + kOwnRelations
                    + " AND c.relkind IN ('r', 'v', 'p')");
    for (int row = 0; row < PQntuples(relations.get()); ++row) {
        const QByteArray name = PQgetvalue(relations.get(), row, 0);
        const QByteArray relation = PQgetvalue(relations.get(), row, 1);
        session.run("REVOKE ALL ON " + name + " FROM " + both);
        if (relation == "hourvane_secret")
            continue;
        give(session, "SELECT", name, {editors, readers});
        if (relation == "Employees" || relation == "Work Codes" || relation == "Work Hours"
            || relation == "hourvane_terms")
            give(session, "INSERT, UPDATE, DELETE", name, {editors});
    }
    // The IDs' numberings, which the editors' writes move on (and the
    // program reads), and the journal's, which no one but the owner moves.
    const QByteArray idNumberings =
        "SELECT format('%I', s.relname) AS name, true AS ids FROM pg_class s "
        "JOIN pg_depend d ON d.classid = 'pg_class'::regclass AND d.objid = s.oid AND d.deptype IN ('a', 'i') "
        "JOIN pg_class c ON c.oid = d.refobjid WHERE s.relkind = 'S' AND " + kOwnRelations;
    const ServerResultHandle numberings = session.run(
        idNumberings + " UNION SELECT format('%I', c.relname), false FROM pg_class c WHERE c.relkind = 'S' AND "
        + kOwnRelations);
    for (int row = 0; row < PQntuples(numberings.get()); ++row) {
        const QByteArray name = "SEQUENCE " + QByteArray(PQgetvalue(numberings.get(), row, 0));
        session.run("REVOKE ALL ON " + name + " FROM " + both);
        if (PQgetvalue(numberings.get(), row, 1)[0] == 't')
            give(session, "USAGE", name, {editors});
    }
    // The server's own ways of writing what the editors may not write
    // themselves: the replay of their own changes, the numberings' moves.
    for (const char* function : {"hourvane_replay(bigint, boolean)", "hourvane_reserve_ids(text, bigint)",
                                 "hourvane_terms_replay(bigint, boolean)"})
        give(session, "EXECUTE", "FUNCTION " + QByteArray(function), {editors});
    // The check that a notice of changes is the server's own.
    give(session, "EXECUTE", "FUNCTION hourvane_notice_true(bigint, text)", {editors, readers});
}

}  // namespace

QString ServerRights::groupName(PostgresSession& session, Group group)
{
    // Role names are the whole server's, and at most 63 bytes long.
    const ServerResultHandle result = session.run(
        "SELECT CASE WHEN octet_length(n) <= 54 THEN n ELSE 'hourvane ' || left(md5(n), 16) END "
        "FROM (SELECT current_database() || CASE WHEN current_schema() = 'public' THEN '' "
        "ELSE '.' || current_schema() END AS n) AS base");
    return text(result) + (group == Group::Editors ? QStringLiteral(" editors") : QStringLiteral(" readers"));
}

void ServerRights::makeGroups(PostgresSession& session)
{
    const QString editors = groupName(session, Group::Editors);
    const QString readers = groupName(session, Group::Readers);
    for (const QString& group : {editors, readers}) {
        if (!roleExists(session, group))
            session.run(statement(session, "CREATE ROLE %I NOLOGIN", {group}));
    }
    grantRights(session, editors, readers);
}

bool ServerRights::makeGroupsIfAllowed(PostgresSession& session)
{
    session.run("SAVEPOINT hourvane_rights");
    try {
        makeGroups(session);
        session.run("RELEASE SAVEPOINT hourvane_rights");
        return true;
    } catch (const RuntimeError&) {
        session.run("ROLLBACK TO SAVEPOINT hourvane_rights");
        return false;
    }
}

void ServerRights::grantAgain(PostgresSession& session)
{
    const QString editors = groupName(session, Group::Editors);
    const QString readers = groupName(session, Group::Readers);
    if (roleExists(session, editors) && roleExists(session, readers))
        grantRights(session, editors, readers);
}

void ServerRights::grant(PostgresSession& session, const QString& login, Group group)
{
    const ServerResultHandle found = session.run(
        "SELECT r.rolcanlogin, r.rolsuper OR pg_has_role(r.oid, c.relowner, 'USAGE') FROM pg_roles r "
        "LEFT JOIN pg_class c ON c.relname = 'Work Hours' AND c.relnamespace = " + kSchemaOid
            + " WHERE r.rolname = $1",
        {login.toUtf8()});
    if (PQntuples(found.get()) != 1 || PQgetvalue(found.get(), 0, 0)[0] != 't')
        throw rightsError(QStringLiteral("There is no login '%1' on the database server. Logins are the server "
                                         "administrator's to make (CREATE ROLE ... LOGIN); then give it its rights "
                                         "here.")
                              .arg(login));
    if (group == Group::Readers && PQgetvalue(found.get(), 0, 1)[0] == 't')
        throw rightsError(QStringLiteral("The login '%1' owns Hourvane's tables (or is a superuser), and may always "
                                         "change them: a login that may only read must be another one.")
                              .arg(login));
    const QString editors = groupName(session, Group::Editors);
    const QString readers = groupName(session, Group::Readers);
    const QString to = group == Group::Editors ? editors : readers;
    const QString from = group == Group::Editors ? readers : editors;
    session.begin();
    try {
        makeGroups(session);
        session.run(statement(session, "REVOKE %I FROM %I", {from, login}));
        session.run(statement(session, "GRANT %I TO %I", {to, login}));
        session.commit();
    } catch (const RuntimeError& refused) {
        if (session.inTransaction())
            session.rollback();
        throw rightsError(QStringLiteral("Cannot give the login '%1' its rights: %2 Rights are given by the owner "
                                         "of Hourvane's tables, whose login must also be allowed to manage roles "
                                         "(CREATEROLE).")
                              .arg(login, refused.description()));
    }
}

QStringList ServerRights::revoke(PostgresSession& session, const QString& login)
{
    if (!roleExists(session, login))
        throw rightsError(QStringLiteral("There is no login '%1' on the database server.").arg(login));
    QStringList taken;
    session.begin();
    try {
        for (const Group group : {Group::Editors, Group::Readers}) {
            const QString name = groupName(session, group);
            const ServerResultHandle member = session.run(
                "SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
                "JOIN pg_roles r ON r.oid = m.member WHERE g.rolname = $1 AND r.rolname = $2",
                {name.toUtf8(), login.toUtf8()});
            if (PQntuples(member.get()) == 0)
                continue;
            session.run(statement(session, "REVOKE %I FROM %I", {name, login}));
            taken << name;
        }
        session.commit();
    } catch (const RuntimeError& refused) {
        if (session.inTransaction())
            session.rollback();
        throw rightsError(QStringLiteral("Cannot take the rights of the login '%1': %2").arg(login, refused.description()));
    }
    return taken;
}

QString ServerRights::readOnlyReason(PostgresSession& session)
{
    const ServerResultHandle result = session.run(
        "SELECT count(*) = 3 AND bool_and(has_table_privilege(c.oid, 'INSERT') AND has_table_privilege(c.oid, "
        "'UPDATE') AND has_table_privilege(c.oid, 'DELETE')), current_user FROM pg_class c WHERE c.relnamespace = "
        + kSchemaOid + " AND c.relname IN ('Employees', 'Work Codes', 'Work Hours') AND c.relkind = 'r'");
    if (PQgetvalue(result.get(), 0, 0)[0] == 't')
        return {};
    const QString login = text(result, 0, 1);
    return QStringLiteral("The login '%1' may only read the database '%2': what it holds is shown, and nothing will be "
                          "written to it. Whoever owns the database's tables can let it change hours with hourvane "
                          "--grant-access %1 editor.")
        .arg(login, session.address());
}

ServerRights::Change ServerRights::grantAt(const QString& address, const QString& login, Group group)
{
    PostgresSession session(address);
    grant(session, login, group);
    return {session.address(), {groupName(session, group)}};
}

ServerRights::Change ServerRights::revokeAt(const QString& address, const QString& login)
{
    PostgresSession session(address);
    const QStringList taken = revoke(session, login);
    return {session.address(), taken};
}

}  // namespace hv::data
