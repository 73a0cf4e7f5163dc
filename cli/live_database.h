#pragma once

#include "backup/database_use_lock.h"

#include <QString>
#include <memory>

namespace hv::data {
class Connection;
}

namespace hv::cli {

struct CommandContext;

// The live database as a command uses it: held in shared use for the
// command's run (so that no restore replaces it meanwhile), made from the
// template where the command may create it, and opened through the
// program's connection. Failures raise a RuntimeError with the reason.
// While a server database is in use (CommandContext::serverAddress), that is
// the live database: it exists, is shared by its server and is never made.
class LiveDatabase {
public:
    explicit LiveDatabase(const CommandContext& context);
    ~LiveDatabase();

    bool exists() const;

    // Makes the data folder and the database from the template when missing.
    void create();
    // True when create() made the database.
    bool created() const { return m_created; }
    // Removes the database create() made (after a failure, so nothing stays).
    void discardCreated();

    // Takes the database into shared use; raises while a restore holds it.
    void shareUse();

    // The open connection; an old-format live database is named as such.
    data::Connection& open();

private:
    const CommandContext& m_context;
    backup::DatabaseUseLock m_lock;
    std::unique_ptr<data::Connection> m_connection;
    bool m_created = false;
};

}  // namespace hv::cli
