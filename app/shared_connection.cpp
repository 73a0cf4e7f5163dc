#include "app/shared_connection.h"

#include "data/connection.h"
#include "data/runtime_error.h"

namespace hv {

namespace {

std::unique_ptr<data::Connection>& slot()
{
    static std::unique_ptr<data::Connection> connection;
    return connection;
}

}  // namespace

data::Connection& SharedConnection::get()
{
    if (!slot())
        throw RuntimeError::objectNotSet();
    return *slot();
}

bool SharedConnection::isSet()
{
    return slot() != nullptr;
}

void SharedConnection::set(std::unique_ptr<data::Connection> connection)
{
    slot() = std::move(connection);
}

void SharedConnection::release()
{
    slot().reset();
}

}  // namespace hv
