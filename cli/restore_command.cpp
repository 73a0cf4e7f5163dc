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
        context.out << QStringLiteral("Restored '%1' as the database '%2'.").arg(value, context.liveDatabase);
        const QString kept = restore.keptApart();
        if (!kept.isEmpty() && kept == replaced) {
            context.out << QStringLiteral(" The file it replaced could not be copied as a database, so it was kept "
                                          "as it stood, with whatever lay beside it, as '%1'.")
                               .arg(kept);
        } else {
            if (!replaced.isEmpty())
                context.out << QStringLiteral(" The database it replaced was backed up to '%1'.").arg(replaced);
            if (!kept.isEmpty())
                context.out << QStringLiteral(" Its file as it stood, with the unfinished changes beside it, was "
                                              "kept as '%1'.")
                                   .arg(kept);
        }
        context.out << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
