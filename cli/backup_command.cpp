#include "cli/backup_command.h"

#include "cli/live_database.h"
#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "core/file_kind.h"
#include "core/runtime_error.h"

#include <QFileInfo>

namespace hv::cli {

QCommandLineOption BackupCommand::option() const
{
    return {QStringLiteral("backup"),
            QStringLiteral("Write a backup of the current database now: to [FILE] when given (a new file, or a "
                           "folder to write a dated copy into), otherwise into the backups folder.")};
}

int BackupCommand::run(const QString& value, CommandContext& context)
{
    if (!context.serverAddress.isEmpty())
        return context.refuseOnServer(QStringLiteral("Backups"));
    LiveDatabase live(context);
    if (!live.exists())
        return context.fail(QStringLiteral("There is no database at '%1' to back up.").arg(context.liveDatabase));
    try {
        live.shareUse();
        QString copy;
        if (value.isEmpty()) {
            copy = backup::DatabaseBackup::intoFolder(context.liveDatabase, context.backupsFolder, context.now);
        } else {
            // A backup is a new file or goes into a folder; a pipe or a
            // device in the way is named, never written into or waited on.
            const fs::FileKind there = fs::FileKind::of(value);
            if (!there.name().isEmpty() && there.kind() != fs::FileKind::Folder)
                return context.fail(QStringLiteral("Cannot back up to '%1': it is %2, not a new file or a folder.")
                                        .arg(value, there.name()));
            copy = QFileInfo(value).isDir()
                ? backup::BackupFolder(value, context.liveDatabase).newCopyPath(context.now)
                : value;
            backup::DatabaseBackup::toFile(context.liveDatabase, copy);
        }
        context.out << QStringLiteral("Backup written to '%1'.").arg(copy) << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
