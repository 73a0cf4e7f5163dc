#pragma once

#include <QString>

namespace hv::database {

// Which database the program opens at start-up: the local file (the
// default), or the database on a PostgreSQL server whose address the settings
// keep under "ServerAddress". A password is never kept.
class DatabaseChoice {
public:
    // The address of the server database this run works on: the saved one,
    // unless the run has a data folder of its own (--data-dir), whose local
    // database it then works on; empty while the local file is in use.
    static QString serverAddress();
    // The saved address, whatever this run works on.
    static QString savedServerAddress();

    // Keeps the address for the next start-ups, without any password it
    // carries. Returns a sentence for the user when a password was left out,
    // empty text otherwise.
    static QString chooseServer(const QString& address);

    // Back to the local file.
    static void chooseLocal();
};

}  // namespace hv::database
