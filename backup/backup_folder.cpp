#include "backup/backup_folder.h"

#include "backup/backup_rotation.h"
#include "core/runtime_error.h"
#include "backup/verified_backups.h"
#include "data/sqlite/online_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace hv::backup {

BackupFolder::BackupFolder(QString folder, const QString& databasePath)
    : m_folder(std::move(folder)), m_databasePath(databasePath), m_stem(QFileInfo(databasePath).completeBaseName())
{
}

BackupFolder BackupFolder::besideDatabase(const QString& databasePath)
{
    return {QFileInfo(databasePath).absolutePath() + QStringLiteral("/backups"), databasePath};
}

QList<BackupFolder::Copy> BackupFolder::copies(bool unfinished) const
{
    static const QRegularExpression name(
        QStringLiteral("^(.+)-(\\d{4}-\\d{2}-\\d{2}-\\d{6})(?:-\\d+)?\\.mdb(\\.partial)?$"));
    QList<Copy> found;
    const QStringList files = QDir(m_folder).entryList(QDir::Files);
    for (const QString& file : files) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch() || match.captured(1) != m_stem || match.hasCaptured(3) != unfinished)
            continue;
        const QDateTime made = QDateTime::fromString(match.captured(2), QStringLiteral("yyyy-MM-dd-HHmmss"));
        if (made.isValid())
            found.append({m_folder + u'/' + file, made});
    }
    return found;
}

bool BackupFolder::hasCopyFrom(const QDate& day) const
{
    const QList<Copy> all = copies();
    return std::any_of(all.begin(), all.end(), [&](const Copy& copy) { return copy.made.date() == day; });
}

QString BackupFolder::namedFor(const QDateTime& now) const
{
    return m_folder + u'/' + m_stem + u'-' + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

QString BackupFolder::keptApartPath(const QDateTime& now, const QString& why) const
{
    const QString base = namedFor(now) + u'-' + why;
    QString candidate = base + QStringLiteral(".mdb");
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++number)
        candidate = base + QStringLiteral("-%1.mdb").arg(number);
    return candidate;
}

QString BackupFolder::newCopyPath(const QDateTime& now) const
{
    const QString base = namedFor(now);
    QString candidate = base + QStringLiteral(".mdb");
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo::exists(candidate + QStringLiteral(".partial"));
         ++number)
        candidate = base + QStringLiteral("-%1.mdb").arg(number);
    return candidate;
}

void BackupFolder::rotate(const QDateTime& now) const
{
    const QList<Copy> all = copies();
    const VerifiedBackups verified(m_folder, m_databasePath);
    const QString newestSound = verified.newest();
    QList<QDateTime> times;
    qsizetype sound = -1;
    for (const Copy& copy : all) {
        if (copy.path == newestSound)
            sound = times.size();
        times << copy.made;
    }
    for (const qsizetype position : BackupRotation::toDelete(times, now, sound))
        QFile::remove(all[position].path);
    try {
        verified.prune();
    } catch (const RuntimeError&) {
        // The records of deleted copies stay until the next rotation; they
        // name no file, so nothing takes them for a sound copy.
    }
    removeUnfinished();
}

void BackupFolder::removeUnfinished() const
{
    for (const Copy& unfinished : copies(true)) {
        if (!data::OnlineCopy::isBeingWritten(unfinished.path))
            QFile::remove(unfinished.path);
    }
}

}  // namespace hv::backup
