#include "cli/live_database.h"

#include "cli/command.h"
#include "import/old_format_signature.h"
#include "database/local_database.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/runtime_error.h"

#include <QFile>
#include <QFileInfo>

namespace hv::cli {

namespace {

// How long a command waits for a restore that holds the database.
constexpr int kWaitForRestoreMs = 10000;

}  // namespace

LiveDatabase::LiveDatabase(const CommandContext& context) : m_context(context)
{
}

LiveDatabase::~LiveDatabase() = default;

bool LiveDatabase::exists() const
{
    return !m_context.serverAddress.isEmpty() || QFileInfo::exists(m_context.liveDatabase);
}

void LiveDatabase::create()
{
    if (exists())
        return;
    database::LocalDatabase(m_context.dataFolder).create();
    m_created = true;
}

void LiveDatabase::discardCreated()
{
    if (!m_created)
        return;
    if (m_connection && m_connection->state() == data::Connection::StateOpen)
        m_connection->Close();
    QFile::remove(m_context.liveDatabase);
    m_created = false;
}

void LiveDatabase::shareUse()
{
    // A server database is shared by its server; no restore replaces it here.
    if (!m_context.serverAddress.isEmpty())
        return;
    if (!QFileInfo(m_context.dataFolder).isDir())
        return;  // nothing to share yet: there is no database
    // A lock file that cannot even be made (a folder that takes no writes)
    // guards nothing: the database opens as the system allows, and what the
    // command cannot do there is said by what refuses it.
    if (!m_lock.shareUse(m_context.liveDatabase, kWaitForRestoreMs) && m_lock.busy())
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("The database '%1' is being restored by another copy of Hourvane; try "
                                          "again when it has finished.")
                               .arg(m_context.liveDatabase));
}

data::Connection& LiveDatabase::open()
{
    if (!exists())
        throw RuntimeError(err::FileNotFound,
                           QStringLiteral("There is no database at '%1' yet.").arg(m_context.liveDatabase));
    m_connection = data::ComponentFactory::createConnection();
    if (!m_context.serverAddress.isEmpty()) {
        m_connection->Open(m_context.serverAddress);
        return *m_connection;
    }
    try {
        m_connection->Open(database::LocalDatabase(m_context.dataFolder).connectionString());
    } catch (const RuntimeError& failure) {
        if (import::OldFormatSignature::of(m_context.liveDatabase) != import::OldFormatSignature::NotOldFormat)
            throw RuntimeError(failure.number(),
                               QStringLiteral("The database '%1' is an old-format file: start Hourvane once to "
                                              "convert it.")
                                   .arg(m_context.liveDatabase));
        throw;
    }
    return *m_connection;
}

}  // namespace hv::cli
