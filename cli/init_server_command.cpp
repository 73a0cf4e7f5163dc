#include "cli/init_server_command.h"

#include "core/runtime_error.h"
#include "data/postgres/schema.h"

namespace hv::cli {

QCommandLineOption InitServerCommand::option() const
{
    return {QStringLiteral("init-server"),
            QStringLiteral("Create Hourvane's tables and stored queries in the empty database on a PostgreSQL "
                           "server at <URI>. Refused when any of them exists."),
            QStringLiteral("URI")};
}

int InitServerCommand::run(const QString& value, CommandContext& context)
{
    try {
        const data::ServerSchema::Created created = data::ServerSchema::createAt(value);
        // The database holds the tables now, so a copy of the local database
        // (which needs an empty one) is no longer a next step here.
        context.out << QStringLiteral("Created Hourvane's tables and stored queries in '%1'. Use it with "
                                      "hourvane --use-server '%1'.")
                           .arg(created.address)
                    << Qt::endl;
        if (created.groups)
            context.out << QStringLiteral("Logins get their rights with hourvane --grant-access LOGIN editor (may "
                                          "change hours) or reader (may only read).")
                        << Qt::endl;
        else
            context.out << QStringLiteral("The groups of rights were not made: this login may not create roles. "
                                          "A login that owns the tables and may (CREATEROLE) makes them with its "
                                          "first hourvane --grant-access LOGIN editor|reader.")
                        << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
