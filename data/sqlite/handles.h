#pragma once

#include <sqlite3.h>

#include <memory>

// Ownership of the engine's handles: a handle is released exactly once, on
// every path, by the unique_ptr that holds it.
namespace hv::data {

struct DatabaseCloser {
    // close_v2 defers the release while a statement of the handle is still
    // alive, so the order in which owners go away never matters.
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};

using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Opens the database file at `path` (in the system's encoding) with the
// engine's open flags, for the use of one thread at a time, which is how the
// program uses every handle: the engine takes no lock of its own on each
// call into it, and keeps no count of its memory (a count takes one lock,
// shared by every thread, at each allocation). The handle is given to
// `handle` whatever the outcome; returns the engine's result code.
int openHandle(const char* path, int flags, DatabaseHandle& handle);

// Lets the engine sort the parts of a large sort (a report of every entry)
// on helper threads, one a processor up to four, while the rows are still
// being read.
void sortOnHelperThreads(sqlite3* db);

}  // namespace hv::data
