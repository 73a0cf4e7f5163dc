#include "cli/grant_access_command.h"

#include "core/runtime_error.h"
#include "data/postgres/rights.h"

namespace hv::cli {

QCommandLineOption GrantAccessCommand::option() const
{
    return {QStringLiteral("grant-access"),
            QStringLiteral("On the server database in use, let the login <LOGIN> change hours (editor) or only "
                           "read them (reader). The login is made by the server's administrator."),
            QStringLiteral("LOGIN")};
}

int GrantAccessCommand::run(const QString& value, CommandContext& context)
{
    if (context.serverAddress.isEmpty())
        return context.fail(CommandContext::rightsNeedAServer());
    const QString kind = context.argument.toLower();
    if (kind != u"editor" && kind != u"reader")
        return context.fail(QStringLiteral("--grant-access needs editor (may change hours) or reader (may only "
                                           "read them) after the login, not '%1'.")
                                .arg(context.argument));
    const auto group = kind == u"editor" ? data::ServerRights::Group::Editors : data::ServerRights::Group::Readers;
    try {
        const data::ServerRights::Change change = data::ServerRights::grantAt(context.serverAddress, value, group);
        context.out << QStringLiteral("The login '%1' may now %2 in '%3' (as a member of \"%4\").")
                           .arg(value,
                                kind == u"editor" ? QStringLiteral("change hours") : QStringLiteral("only read hours"),
                                change.address, change.groups.constFirst())
                    << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
