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

}  // namespace hv::data
