#pragma once

#include <QString>

namespace hv::data {

// A PostgreSQL server's address as the program takes it: a libpq connection
// URI ("postgresql://host/database?sslmode=verify-full").
class ServerAddress {
public:
    // True for text that names a server ("postgresql://" or "postgres://")
    // rather than a database file.
    static bool isServerAddress(const QString& text);

    // Nothing when libpq can read the URI, otherwise why not ("The server
    // address '...' cannot be read: ...").
    static QString problem(const QString& uri);

    // True when the URI carries a password (in its user part or as a
    // "password" parameter).
    static bool hasPassword(const QString& uri);

    // The URI with any password taken out, to show or to keep.
    static QString withoutPassword(const QString& uri);

    // The host the URI names, for the title: the first host, "this computer"
    // for a local socket or an address without a host.
    static QString hostName(const QString& uri);
};

}  // namespace hv::data
