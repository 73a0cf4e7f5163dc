#include "cli/use_local_command.h"

#include "database/database_choice.h"
#include "core/settings_store.h"

namespace hv::cli {

QCommandLineOption UseLocalCommand::option() const
{
    return {QStringLiteral("use-local"),
            QStringLiteral("Use the local database file again from now on, instead of a server.")};
}

std::optional<QString> UseLocalCommand::refusalWithDataFolder() const
{
    return QStringLiteral("--use-local cannot be combined with --data-dir: it makes every later start use the local "
                          "database of the standard data folder, while --data-dir names a folder for one run only.");
}

int UseLocalCommand::run(const QString& /*value*/, CommandContext& context)
{
    database::DatabaseChoice::chooseLocal();
    const QString unsaved = settings::takeSaveFailure();
    if (!unsaved.isEmpty())
        return context.fail(unsaved);
    context.out << QStringLiteral("Hourvane now uses the local database '%1'.").arg(context.liveDatabase) << Qt::endl;
    return Success;
}

}  // namespace hv::cli
