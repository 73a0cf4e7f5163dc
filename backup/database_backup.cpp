#include "backup/database_backup.h"

#include "backup/backup_folder.h"
#include "data/online_copy.h"
#include "data/runtime_error.h"

#include <QDir>
#include <QFileInfo>

namespace hv::backup {

QString DatabaseBackup::intoFolder(const QString& databasePath, const QString& folder, const QDateTime& now)
{
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Cannot create the backup folder '%1'.").arg(folder));
    const BackupFolder backups(folder, databasePath);
    const QString copy = backups.newCopyPath(now);
    toFile(databasePath, copy);
    backups.rotate(now);
    return copy;
}

void DatabaseBackup::toFile(const QString& databasePath, const QString& file)
{
    try {
        data::OnlineCopy::copy(databasePath, file);
    } catch (const RuntimeError& failure) {
        throw RuntimeError(failure.number(), QStringLiteral("Cannot back up '%1' to '%2': %3.")
                                                 .arg(databasePath, file, failure.description()));
    }
}

std::optional<QString> DatabaseBackup::daily(const QString& databasePath, const QString& folder, const QDateTime& now)
{
    if (BackupFolder(folder, databasePath).hasCopyFrom(now.date()))
        return std::nullopt;
    return intoFolder(databasePath, folder, now);
}

}  // namespace hv::backup
