#pragma once

#include <QString>

struct sqlite3;

namespace hv::data {

// The engine's words for the last failure on `db`. When the disk failed it
// (a full disk, a write or a read the system refused), the database file
// and the system's reason come first: "the database '/home/ann/dbData.mdb'
// cannot be written: No space left on device (database or disk is full)".
QString engineFailureText(sqlite3* db);

}  // namespace hv::data
