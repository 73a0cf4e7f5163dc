#pragma once

#include <memory>

namespace hv {

namespace data {
class Connection;
}

// The program's one database connection: created and opened at start-up,
// borrowed by every window, closed and released when the main window closes.
class SharedConnection {
public:
    // The connection; raises "Object variable or With block variable not set"
    // when there is none (never created, or already released).
    static data::Connection& get();
    static bool isSet();

    static void set(std::unique_ptr<data::Connection> connection);
    static void release();
};

}  // namespace hv
