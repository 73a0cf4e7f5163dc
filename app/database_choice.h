#pragma once

#include <QString>

namespace hv {

// Which database the program opens at start-up: the local file (the
// default), or the database on a PostgreSQL server whose address the settings
// keep under "ServerAddress". A password is never kept.
class DatabaseChoice {
public:
    // The saved server address; empty while the local file is chosen.
    static QString serverAddress();

    // Keeps the address for the next start-ups, without any password it
    // carries. Returns a sentence for the user when a password was left out,
    // empty text otherwise.
    static QString chooseServer(const QString& address);

    // Back to the local file.
    static void chooseLocal();
};

}  // namespace hv
