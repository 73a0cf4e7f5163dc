#include "cli/use_server_command.h"

#include "database/database_choice.h"
#include "core/settings_store.h"
#include "data/connection.h"
#include "core/runtime_error.h"
#include "data/postgres/address.h"

namespace hv::cli {

QCommandLineOption UseServerCommand::option() const
{
    return {QStringLiteral("use-server"),
            QStringLiteral("Use the database on a PostgreSQL server at <URI> (a connection URI such as "
                           "postgresql://hours.example.com/hourvane?sslmode=verify-full) from now on, once it is "
                           "found to hold Hourvane's tables. No password is kept."),
            QStringLiteral("URI")};
}

int UseServerCommand::run(const QString& value, CommandContext& context)
{
    const QString problem = data::ServerAddress::problem(value);
    if (!problem.isEmpty())
        return context.fail(problem);
    try {
        data::Connection connection;
        connection.Open(value);
        connection.Close();
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
    const QString note = database::DatabaseChoice::chooseServer(value);
    const QString unsaved = settings::takeSaveFailure();
    if (!unsaved.isEmpty())
        return context.fail(unsaved);
    context.out << QStringLiteral("Hourvane now uses the database '%1' on the server %2.")
                       .arg(database::DatabaseChoice::savedServerAddress(), data::ServerAddress::hostName(value))
                << Qt::endl;
    if (!note.isEmpty())
        context.out << note << Qt::endl;
    return Success;
}

}  // namespace hv::cli
