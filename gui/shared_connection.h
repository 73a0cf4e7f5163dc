#pragma once

#include <QString>
#include <memory>

namespace hv {

namespace data {
class Connection;
}

// The program's one database connection: created and opened at start-up,
// borrowed by every window, closed and released when the main window closes.
// An open that failed (a lock held by another program, a file not there
// yet) is not final: the next use tries again with the same connection
// string.
class SharedConnection {
public:
    // The connection; raises "Object variable or With block variable not set"
    // when there is none (never created, or already released). When its
    // open() failed, it is first opened again, unless the last attempt failed
    // less than the retry pause ago: then that attempt's failure is raised
    // again at once, so that one action using the connection many times waits
    // for a lock once, not at every use.
    static data::Connection& get();
    // The connection as it stands, never opened again (for closing).
    static data::Connection& current();
    static bool isSet();

    static void set(std::unique_ptr<data::Connection> connection);

    // Opens the connection with the connection string, which is kept for the
    // attempts of get(), checking the file as thoroughly as the
    // DatabaseCheckSchedule says, beside the program (see
    // data::Connection::Open); the pointer shows the hourglass meanwhile.
    // Raises the open's failure.
    static void open(const QString& connectionString);

    // The page check of the open: true once its verdict is in, taken in now
    // when it is ready (data::Connection::pageCheckDone()); the schedule
    // then remembers the check. waitForPageCheck() waits for it.
    static bool pageCheckDone();
    static void waitForPageCheck();

    // Releases the connection; a session opened by open() is recorded as
    // ended cleanly.
    static void release();

    // The retry pause (3000 ms unless set).
    static void setRetryPause(int milliseconds);
};

}  // namespace hv
