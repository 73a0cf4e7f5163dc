#include "backup/database_backup.h"

#include "data/postgres/address.h"

#include "backup/backup_folder.h"
#include "backup/damage_advice.h"
#include "data/sqlite/file_check.h"
#include "data/sqlite/online_copy.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "backup/verified_backups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hv::backup {

namespace {

// Raises unless the new copy is a whole database of this program; the copy
// is then deleted.
void requireSoundCopy(const QString& databasePath, const QString& copy)
{
    const data::DatabaseFileVerdict verdict = data::DatabaseFileCheck::inspectThoroughly(copy, data::Connection::lockTimeout());
    if (verdict.isSound())
        return;
    QFile::remove(copy);
    // The verdict names the copy; what it found is true of the database.
    QString reason = QString(verdict.reason).replace(copy, databasePath);
    reason += QStringLiteral("\nNo backup was made of it, and the backups made before are kept.");
    if (verdict.kind == data::DatabaseFileVerdict::Damaged)
        reason += QStringLiteral("\n\n") + DamageAdvice::forDatabase(databasePath);
    throw RuntimeError(err::DatabaseEngine, reason);
}

}  // namespace

QString DatabaseBackup::intoFolder(const QString& databasePath, const QString& folder, const QDateTime& now,
                                   Source source, const WorkSteps& steps)
{
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Cannot create the backup folder '%1'.").arg(folder));
    const BackupFolder backups(folder, databasePath);
    const QString copy = backups.newCopyPath(now);
    toFile(databasePath, copy, steps);
    if (source == Source::Unchecked)
        requireSoundCopy(databasePath, copy);
    try {
        VerifiedBackups(folder, databasePath).record(copy);
    } catch (const RuntimeError& failure) {
        // A copy not known as sound would never be offered as one.
        QFile::remove(copy);
        throw RuntimeError(failure.number(), QStringLiteral("Cannot back up '%1' to '%2': %3")
                                                 .arg(databasePath, copy, failure.description()));
    }
    backups.rotate(now);
    return copy;
}

void DatabaseBackup::toFile(const QString& databasePath, const QString& file, const WorkSteps& steps)
{
    try {
        data::OnlineCopy::copy(databasePath, file, steps);
    } catch (const RuntimeError& failure) {
        if (failure.number() == err::UserInterrupt)
            throw;
        throw RuntimeError(failure.number(), QStringLiteral("Cannot back up '%1' to '%2': %3.")
                                                 .arg(databasePath, file, failure.description()));
    }
}

std::optional<QString> DatabaseBackup::daily(const QString& databasePath, const QString& folder, const QDateTime& now,
                                             Source source, const WorkSteps& steps)
{
    const BackupFolder backups(folder, databasePath);
    // What an earlier run cut short goes first, whether or not a copy is due.
    backups.removeUnfinished();
    if (backups.hasCopyFrom(now.date()))
        return std::nullopt;
    return intoFolder(databasePath, folder, now, source, steps);
}

QString DatabaseBackup::serverRefusal(const QString& serverAddress, const QString& what)
{
    return QStringLiteral("Hourvane works on the database '%1' on a server. %2 of a server database are the "
                          "server's own job: use pg_dump to copy it (for example pg_dump --format=custom "
                          "--file=hours.dump \"%1\") and pg_restore to put a copy back, or ask the server's "
                          "administrator.")
        .arg(data::ServerAddress::withoutPassword(serverAddress), what);
}

}  // namespace hv::backup

namespace hv::backup {

void DatabaseBackup::beforeEveryUpgrade()
{
    data::Connection::setUpgradeBackup([](const QString& databasePath) {
        intoFolder(databasePath, BackupFolder::besideDatabase(databasePath).path(), QDateTime::currentDateTime());
    });
}

}  // namespace hv::backup
