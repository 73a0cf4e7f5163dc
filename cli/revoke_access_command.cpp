#include "cli/revoke_access_command.h"

#include "core/runtime_error.h"
#include "data/postgres/rights.h"

namespace hv::cli {

QCommandLineOption RevokeAccessCommand::option() const
{
    return {QStringLiteral("revoke-access"),
            QStringLiteral("On the server database in use, take the rights Hourvane gave the login <LOGIN>."),
            QStringLiteral("LOGIN")};
}

int RevokeAccessCommand::run(const QString& value, CommandContext& context)
{
    if (context.serverAddress.isEmpty())
        return context.fail(CommandContext::rightsNeedAServer());
    try {
        const data::ServerRights::Change change = data::ServerRights::revokeAt(context.serverAddress, value);
        if (change.groups.isEmpty())
            context.out << QStringLiteral("The login '%1' had no rights of Hourvane's in '%2'; nothing was changed.")
                               .arg(value, change.address)
                        << Qt::endl;
        else
            context.out << QStringLiteral("The login '%1' has no rights of Hourvane's in '%2' any more (it was a "
                                          "member of \"%3\").")
                               .arg(value, change.address, change.groups.join(QStringLiteral("\", \"")))
                        << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
