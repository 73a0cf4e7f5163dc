#include "cli/restore_command.h"

#include "backup/database_restore.h"
#include "core/runtime_error.h"

#include <QDir>

namespace hv::cli {

QCommandLineOption RestoreCommand::option() const
{
    return {QStringLiteral("restore"),
            QStringLiteral("Put the database <FILE> (a backup) in place of the current database, after a backup "
                           "of it. Refused while Hourvane is open on the database."),
            QStringLiteral("FILE")};
}

int RestoreCommand::run(const QString& value, CommandContext& context)
{
    if (!context.serverAddress.isEmpty())
        return context.refuseOnServer(QStringLiteral("Backups and restores"));
    try {
        if (!QDir().mkpath(context.dataFolder))
            return context.fail(QStringLiteral("Cannot create the data folder '%1'.").arg(context.dataFolder));
        backup::DatabaseRestore restore(context.liveDatabase, context.backupsFolder);
        const QString replaced = restore.run(value, context.now);
        context.out << restore.outcome(value, replaced) << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
