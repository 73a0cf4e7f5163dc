#pragma once

#include <QString>

namespace hv::data {

// Copies a local database file into an empty database on a PostgreSQL server:
// the program's tables and stored queries are created there and every row is
// copied with its ID, in one transaction, so the server database ends whole
// or untouched. The rows go in batches, each within the server's statement
// time-out, so the size that can be copied does not depend on the server's
// speed. Entries whose employee or work code has gone are copied as
// they are. The ID sequences are set past the highest IDs copied.
class ServerCopy {
public:
    // A batch ends after `rows` rows or once it has taken `ms` milliseconds,
    // whichever comes first.
    struct Batches {
        int rows;
        int ms;
        static Batches standard();
    };

    // The local file is opened as Connection::Open opens it (and refused as it
    // refuses); raises a RuntimeError that says what is wrong, and writes
    // nothing to the server, when the server database holds any of the
    // program's tables or any row fails. Returns the number of rows copied.
    static long copy(const QString& localConnectionString, const QString& serverAddress,
                     const Batches& batches = Batches::standard());
};

}  // namespace hv::data
