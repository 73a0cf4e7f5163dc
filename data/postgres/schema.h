#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace hv::data {

class PostgresSession;

// The program's tables and stored queries on a PostgreSQL server (made from
// server_schema.sql): the check every session makes at connecting and the
// creation in an empty database.
class ServerSchema {
public:
    // The version of the tables this program writes, kept in the database.
    static int version();

    // The creation script.
    static QByteArray script();

    // Raises a RuntimeError when the database lacks the program's tables or
    // stored queries ("... holds none of Hourvane's tables ..."), or holds them
    // in a newer version than this program knows; brings an older version up
    // to date (upgrade()).
    static void check(PostgresSession& session);

    // The program's tables, stored queries and types that exist already in
    // the session's schema (empty when none does).
    static QStringList existing(PostgresSession& session);

    // Brings a database of an older version (`from`) up to this one, in one
    // transaction: the journal of changes, the notifications of changes, the
    // report queries and the index of the dates they select by. Nothing on a
    // server that takes no writes; a refusal (a login that may not create)
    // raises, naming it.
    static void upgrade(PostgresSession& session, int from);

    // Creates the tables and stored queries in one transaction, with the
    // groups of rights (ServerRights) where the login may make roles; refused,
    // with nothing created, when any of them exists. Returns whether the
    // groups exist.
    static bool create(PostgresSession& session);

    // What createAt() made: the address as shown to users, without its
    // password, and whether the groups of rights exist.
    struct Created {
        QString address;
        bool groups = false;
    };
    // Connects to the address (which need hold none of the tables yet) and
    // creates them there as create() does.
    static Created createAt(const QString& address);
};

}  // namespace hv::data
