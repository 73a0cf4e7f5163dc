#include "cli/copy_to_server_command.h"

#include "cli/live_database.h"
#include "database/local_database.h"
#include "core/runtime_error.h"
#include "data/postgres/address.h"
#include "data/postgres/copy.h"

namespace hv::cli {

QCommandLineOption CopyToServerCommand::option() const
{
    return {QStringLiteral("copy-to-server"),
            QStringLiteral("Copy the local database into the empty database on a PostgreSQL server at <URI>, "
                           "with its tables and stored queries, in one transaction, keeping every ID."),
            QStringLiteral("URI")};
}

int CopyToServerCommand::run(const QString& value, CommandContext& context)
{
    const QString problem = data::ServerAddress::problem(value);
    if (!problem.isEmpty())
        return context.fail(problem);
    // The local database, whichever database the program works on otherwise.
    CommandContext localContext = context;
    localContext.serverAddress.clear();
    LiveDatabase live(localContext);
    if (!live.exists())
        return context.fail(QStringLiteral("There is no local database at '%1' to copy.").arg(context.liveDatabase));
    try {
        live.shareUse();
        const long rows = data::ServerCopy::copy(database::LocalDatabase(context.dataFolder).connectionString(), value);
        context.out << QStringLiteral("Copied %1 rows of '%2' into '%3'. Use it with hourvane --use-server.")
                           .arg(rows)
                           .arg(context.liveDatabase, data::ServerAddress::withoutPassword(value))
                    << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
