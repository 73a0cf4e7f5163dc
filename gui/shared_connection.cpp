#include "gui/shared_connection.h"

#include "gui/busy_pointer.h"
#include "database/database_check_schedule.h"
#include "data/connection.h"
#include "core/runtime_error.h"

#include <QElapsedTimer>
#include <optional>
#include <utility>

namespace hv {

namespace {

struct Shared {
    std::unique_ptr<data::Connection> connection;
    // The string of open(), while the connection it opened has not been
    // released; and whether the last attempt with it failed, how, and when.
    QString connectionString;
    bool openedByString = false;
    std::optional<RuntimeError> failure;
    QElapsedTimer failedAt;
    int retryPauseMs = 3000;
    // The depth of the check of the last open, until its verdict is in.
    std::optional<data::PageCheck> checking;
};

Shared& shared()
{
    static Shared state;
    return state;
}

void attemptOpen()
{
    Shared& s = shared();
    const data::PageCheck depth = database::DatabaseCheckSchedule::depthForOpen();
    try {
        // The hourglass for as long as an open may wait for a lock.
        const BusyPointer busy;
        s.connection->Open(s.connectionString, depth, data::CheckTiming::Beside);
    } catch (const RuntimeError& error) {
        s.failure = error;
        s.failedAt.start();
        throw;
    }
    s.failure.reset();
    s.openedByString = true;
    database::DatabaseCheckSchedule::opened();
    s.checking = depth;
}

}  // namespace

data::Connection& SharedConnection::get()
{
    Shared& s = shared();
    if (!s.connection)
        throw RuntimeError::objectNotSet();
    if (s.failure && s.connection->state() == data::Connection::StateClosed) {
        if (s.failedAt.elapsed() < s.retryPauseMs)
            throw *s.failure;
        attemptOpen();
    }
    return *s.connection;
}

data::Connection& SharedConnection::current()
{
    if (!shared().connection)
        throw RuntimeError::objectNotSet();
    return *shared().connection;
}

bool SharedConnection::isSet()
{
    return shared().connection != nullptr;
}

void SharedConnection::set(std::unique_ptr<data::Connection> connection)
{
    Shared& s = shared();
    s.connection = std::move(connection);
    s.connectionString.clear();
    s.openedByString = false;
    s.failure.reset();
    s.checking.reset();
}

void SharedConnection::open(const QString& connectionString)
{
    Shared& s = shared();
    if (!s.connection)
        throw RuntimeError::objectNotSet();
    s.connectionString = connectionString;
    attemptOpen();
}

bool SharedConnection::pageCheckDone()
{
    Shared& s = shared();
    if (!s.connection || s.connection->state() != data::Connection::StateOpen) {
        s.checking.reset();  // a check the close stopped tells nothing
        return true;
    }
    if (!s.connection->pageCheckDone())
        return false;
    if (s.checking)
        database::DatabaseCheckSchedule::checked(*std::exchange(s.checking, std::nullopt));
    return true;
}

void SharedConnection::waitForPageCheck()
{
    Shared& s = shared();
    if (!s.connection)
        return;
    s.connection->waitForPageCheck();
    pageCheckDone();
}

void SharedConnection::release()
{
    Shared& s = shared();
    if (s.openedByString)
        database::DatabaseCheckSchedule::closedCleanly();
    set(nullptr);
}

void SharedConnection::setRetryPause(int milliseconds)
{
    shared().retryPauseMs = milliseconds;
}

}  // namespace hv
