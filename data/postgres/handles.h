#pragma once

#include <libpq-fe.h>

#include <memory>

// Ownership of libpq's handles: each is released exactly once, on every
// path, by the unique_ptr that holds it.
namespace hv::data {

struct ServerConnectionCloser {
    void operator()(PGconn* connection) const noexcept { PQfinish(connection); }
};

struct ServerResultClearer {
    void operator()(PGresult* result) const noexcept { PQclear(result); }
};

using ServerConnectionHandle = std::unique_ptr<PGconn, ServerConnectionCloser>;
using ServerResultHandle = std::unique_ptr<PGresult, ServerResultClearer>;

}  // namespace hv::data
