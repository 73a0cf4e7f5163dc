#include "backup/damage_advice.h"

#include "backup/backup_folder.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "data/sqlite/file_check.h"
#include "backup/verified_backups.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace hv::backup {

QString DamageAdvice::forDatabase(const QString& databasePath)
{
    const QString backup = newestSoundBackup(databasePath);
    if (backup.isEmpty())
        return QStringLiteral("No sound backup of it was found; keep the damaged file, as a copy of it may still be "
                              "repaired.");
    const QDateTime saved = QFileInfo(backup).lastModified();
    return QStringLiteral("The newest sound backup, saved %2, is:\n\t%1\nTo go on from it:\n\t1. Close Hourvane.\n"
                          "\t2. Keep the damaged file under another name.\n\t3. Copy the backup to '%3'.")
        .arg(backup, QLocale().toString(saved, QLocale::ShortFormat), databasePath);
}

QString DamageAdvice::newestSoundBackup(const QString& databasePath)
{
    const BackupFolder folder = BackupFolder::besideDatabase(databasePath);
    const VerifiedBackups verified(folder.path(), databasePath);
    const QString newest = verified.newest();
    if (!newest.isEmpty())
        return newest;
    // Copies whose check was never recorded (made by an older version, or
    // the record lost): the newest written that the engine finds whole,
    // remembered from now on.
    const QList<BackupFolder::Copy> copies = folder.copies();
    QList<std::pair<QDateTime, QString>> byTime;
    for (const BackupFolder::Copy& copy : copies)
        byTime.append({QFileInfo(copy.path).lastModified(), copy.path});
    std::stable_sort(byTime.begin(), byTime.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    using Check = data::DatabaseFileCheck;
    for (const auto& [modified, file] : byTime) {
        if (!Check::inspect(file).isSound()
            || !Check::checkPages(file, data::PageCheck::Full, data::Connection::lockTimeout()).isSound())
            continue;
        try {
            verified.record(file);
        } catch (const RuntimeError&) {
            // Checked all the same; it is checked again next time.
        }
        return file;
    }
    return {};
}

void DamageAdvice::forEveryConnection()
{
    data::Connection::setDamageAdvice(forDatabase);
}

}  // namespace hv::backup
