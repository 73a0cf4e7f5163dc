#pragma once

#include <QString>
#include <QStringList>

namespace hv::data {

class PostgresSession;

// Who may do what with the program's tables on a server: two group roles
// for each database (and schema) of the program's, one whose members may
// change hours ("... editors") and one whose members may only read them
// ("... readers"). Logins are the server administrator's to make; the tables'
// owner puts a login into one group or the other (grant()) or into neither
// (revoke()). The server enforces the rights: a reader's writes are refused
// by the server whatever program sends them.
class ServerRights {
public:
    enum class Group { Editors, Readers };

    // The name of the group for the session's database and schema.
    static QString groupName(PostgresSession& session, Group group);

    // Makes the two groups where missing and grants each its rights on every
    // table, stored query and numbering of the program's that exists now
    // (run again after an upgrade adds any). Raises the server's refusal (a
    // login that may not create roles, or does not own the tables).
    static void makeGroups(PostgresSession& session);
    // The same inside the present transaction, but a refusal leaves
    // everything as it was; returns whether the groups exist afterwards.
    static bool makeGroupsIfAllowed(PostgresSession& session);
    // Grants the rights again where the groups exist (after an upgrade).
    static void grantAgain(PostgresSession& session);

    // Puts `login` into `group`, and out of the other, in one transaction.
    // Raises a RuntimeError that says what is wrong: no such login, a login
    // that owns the tables made a reader, a login running this that may not
    // manage roles.
    static void grant(PostgresSession& session, const QString& login, Group group);
    // Takes `login` out of both groups; returns the groups it was in.
    static QStringList revoke(PostgresSession& session, const QString& login);

    // What grantAt() or revokeAt() did: the address as the session names it,
    // and the groups the login was put into or taken out of.
    struct Change {
        QString address;
        QStringList groups;
    };
    // grant() and revoke() on a session of their own at `address`.
    static Change grantAt(const QString& address, const QString& login, Group group);
    static Change revokeAt(const QString& address, const QString& login);

    // True when the session's login may add, edit and delete in all three
    // tables; otherwise the reason to show, for a read-only session.
    static QString readOnlyReason(PostgresSession& session);
};

}  // namespace hv::data
