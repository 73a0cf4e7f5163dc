#pragma once

#include <QString>

namespace hv::data {

// A PostgreSQL server's address as the program takes it: a libpq connection
// URI ("postgresql://host/database?sslmode=verify-full") or a keyword/value
// string ("host=hours.example.com dbname=hourvane"), read by libpq's own
// parser. What is kept or shown is always a URI rebuilt from the options
// libpq read, without any password.
class ServerAddress {
public:
    // True for text that names a server rather than a database file: a URI
    // ("postgresql://" or "postgres://"), or keyword/value text that libpq
    // reads (a file's connection string never is: libpq knows no "data
    // source").
    static bool isServerAddress(const QString& text);

    // Nothing when libpq can read the address, otherwise why not ("The server
    // address '...' cannot be read: ..."), with every password left out.
    static QString problem(const QString& address);

    // True when the address carries a password, however written (the user
    // part of a URI, a "password" or "sslpassword" option, percent-escaped
    // or quoted).
    static bool hasPassword(const QString& address);

    // The address as a URI rebuilt from the options libpq reads in it, every
    // password left out, to show or to keep. An address libpq cannot read is
    // shown with whatever looks like a password masked.
    static QString withoutPassword(const QString& address);

    // The host the address names, for the title ("server <host>"): the
    // first host, "on this computer" for a local socket or an address
    // without a host.
    static QString hostName(const QString& address);

    // True when a connection to the address must check the server's
    // certificate and name (sslmode=verify-full) because the address asks for
    // nothing itself: it sets no sslmode (nor does PGSSLMODE), and a host it
    // names (or PGHOST, when it names none) is neither a Unix socket nor a
    // loopback address (localhost, 127.0.0.0/8, ::1). Both the address the
    // connection really goes to (a numeric hostaddr where one is given) and
    // the name the certificate is checked against count: either beyond this
    // computer asks for the check.
    static bool wantsVerifiedEncryption(const QString& address);

    // True when a place the connection may really go to (a numeric hostaddr
    // where one is given, else the host) is not on this computer.
    static bool reachesBeyondThisComputer(const QString& address);
    // True when the connection reaches beyond this computer and the address
    // (or PGSSLMODE) turns encryption off (sslmode=disable).
    static bool refusesEncryptionBeyondThisComputer(const QString& address);

    // Whether a host, as an address names it, is on this computer: a Unix
    // socket's folder, localhost, or a loopback address.
    static bool isOnThisComputer(const QString& host);
};

}  // namespace hv::data
