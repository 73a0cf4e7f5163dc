#include "backup/database_restore.h"

#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "backup/database_use_lock.h"
#include "core/file_system.h"
#include "database/local_database.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/sqlite/file_check.h"
#include "core/durable_file.h"
#include "core/file_kind.h"
#include "data/sqlite/online_copy.h"
#include "core/runtime_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace hv::backup {

namespace {

RuntimeError refusal(const QString& message)
{
    return {err::PathFileAccess, message};
}

}  // namespace

DatabaseRestore::DatabaseRestore(QString livePath, QString backupsFolder)
    : m_livePath(std::move(livePath)), m_backupsFolder(std::move(backupsFolder))
{
}

void DatabaseRestore::requireDatabaseOfOurs(const QString& path)
{
    const std::unique_ptr<data::Connection> probe = data::ComponentFactory::createConnection();
    probe->Open(database::LocalDatabase::connectionStringOf(path));
    probe->Close();
}

QString DatabaseRestore::run(const QString& file, const QDateTime& now)
{
    const QFileInfo source(file);
    const QString cannot = QStringLiteral("Cannot restore from '%1': ").arg(file);
    const QString notAFile = fs::FileKind::of(file).notADatabaseFileReason();
    if (!notAFile.isEmpty())
        throw refusal(cannot + notAFile + u'.');
    if (QFileInfo::exists(m_livePath) && source.canonicalFilePath() == QFileInfo(m_livePath).canonicalFilePath())
        throw refusal(cannot + QStringLiteral("it is the live database itself."));

    m_keptApart.clear();
    DatabaseUseLock lock;
    if (!lock.useAlone(m_livePath))
        throw refusal(QStringLiteral("Cannot restore: the database '%1' is in use by another copy of Hourvane. "
                                     "Close it there and try again.")
                          .arg(m_livePath));

    // The file is judged from its own bytes before the engine reads it, so
    // another program's file (with a journal of its own, say) is never
    // touched; the copy is then checked where it will stay.
    const data::DatabaseFileVerdict verdict = data::DatabaseFileCheck::inspect(file);
    if (!verdict.isSound())
        throw refusal(cannot + verdict.reason);
    const QString staging = m_livePath + QStringLiteral(".restoring");
    QFile::remove(staging);
    QString backup;
    try {
        try {
            data::OnlineCopy::copy(file, staging);
        } catch (const RuntimeError& failure) {
            throw refusal(cannot + (failure.number() == err::PathFileAccess
                                        ? QStringLiteral("its copy beside '%1' cannot be written (%2).")
                                              .arg(m_livePath, failure.description())
                                        : QStringLiteral("it is not a database of Hourvane (%1).")
                                              .arg(failure.description())));
        }
        try {
            requireDatabaseOfOurs(staging);
        } catch (const RuntimeError& failure) {
            throw refusal(cannot + QString(failure.description()).replace(staging, file));
        }
        try {
            data::OnlineCopy::checkIntegrity(staging);
        } catch (const RuntimeError& failure) {
            throw refusal(cannot + QStringLiteral("the database is damaged (%1).").arg(failure.description()));
        }
        backUpLiveDatabase(now, backup);
        try {
            fs::DurableFile::commit(staging, m_livePath, fs::DurableFile::Policy::Replace);
        } catch (const RuntimeError& failure) {
            throw refusal(QStringLiteral("Cannot put the restored database in place of '%1': %2")
                              .arg(m_livePath, failure.description()));
        }
    } catch (...) {
        QFile::remove(staging);
        throw;
    }
    return backup;
}

QStringList DatabaseRestore::companionsOf(const QString& databasePath)
{
    QStringList found;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        const QString companion = databasePath + QLatin1String(suffix);
        if (QFileInfo::exists(companion) || QFileInfo(companion).isSymLink())
            found << companion;
    }
    return found;
}

void DatabaseRestore::backUpLiveDatabase(const QDateTime& now, QString& backup)
{
    const bool liveExists = QFileInfo::exists(m_livePath);
    // A journal left by a program of ours that stopped half-way: the engine
    // undoes it now, as the next start would, so that the copy below holds
    // the database as it was last committed. Another program's file is never
    // handed to the engine.
    if (liveExists && !companionsOf(m_livePath).isEmpty() && data::DatabaseFileCheck::inspect(m_livePath).isSound()) {
        try {
            requireDatabaseOfOurs(m_livePath);
        } catch (const RuntimeError&) {
            // Kept as it stands below, journal and all.
        }
    }
    QString failure;
    if (liveExists) {
        try {
            backup = DatabaseBackup::intoFolder(m_livePath, m_backupsFolder, now);
        } catch (const RuntimeError& copyFailure) {
            failure = copyFailure.description();
        }
    }
    // What the engine could not copy (a damaged file, another program's), and
    // whatever the engine keeps beside the file (a journal it did not undo),
    // is kept as it stands, apart from the backups: a journal left beside the
    // live name would be played into the restored database at its next open.
    if ((liveExists && backup.isEmpty()) || !companionsOf(m_livePath).isEmpty()) {
        try {
            m_keptApart = keepApart(now, !liveExists);
            if (backup.isEmpty())
                backup = m_keptApart;
        } catch (const RuntimeError& keepFailure) {
            throw refusal(QStringLiteral("Cannot restore: the current database could not be kept first, so nothing "
                                         "was changed (%1).")
                              .arg(failure.isEmpty() ? keepFailure.description()
                                                     : failure + u' ' + keepFailure.description()));
        }
    }
}

QString DatabaseRestore::keepApart(const QDateTime& now, bool companionsOnly) const
{
    if (!QDir().mkpath(m_backupsFolder))
        throw refusal(QStringLiteral("Cannot create the backup folder '%1'.").arg(m_backupsFolder));
    const QString kept = BackupFolder(m_backupsFolder, m_livePath).keptApartPath(now, QStringLiteral("replaced"));
    QList<std::pair<QString, QString>> moved;
    try {
        if (!companionsOnly)
            fs::copyFile(m_livePath, kept);
        // Each companion goes with the kept copy under its own suffix, moved
        // in one rename, so that it is in one place or the other at every
        // moment.
        for (const QString& companion : companionsOf(m_livePath)) {
            const QString target = kept + companion.mid(m_livePath.size());
            if (std::rename(QFile::encodeName(companion).constData(), QFile::encodeName(target).constData()) == 0) {
                moved.append({companion, target});
                continue;
            }
            if (errno != EXDEV)
                throw refusal(QStringLiteral("cannot move '%1' to '%2': %3")
                                  .arg(companion, target, fs::systemErrorText(errno)));
            // The backups folder is on another disk: copied, and only then removed.
            fs::copyFile(companion, target);
            if (!QFile::remove(companion)) {
                QFile::remove(target);
                throw refusal(QStringLiteral("cannot remove '%1' after copying it to '%2'").arg(companion, target));
            }
            moved.append({companion, target});
        }
    } catch (...) {
        // Everything goes back as it was: the live file keeps its companions.
        for (const auto& [from, to] : moved) {
            if (std::rename(QFile::encodeName(to).constData(), QFile::encodeName(from).constData()) != 0)
                fs::copyFile(to, from);
        }
        if (!companionsOnly)
            QFile::remove(kept);
        throw;
    }
    fs::DurableFile::syncFolder(m_backupsFolder);
    fs::DurableFile::syncFolder(QFileInfo(m_livePath).absolutePath());
    return companionsOnly && !moved.isEmpty() ? moved.first().second : kept;
}

QString DatabaseRestore::outcome(const QString& file, const QString& replaced) const
{
    QString text = QStringLiteral("Restored '%1' as the database '%2'.").arg(file, m_livePath);
    if (!m_keptApart.isEmpty() && m_keptApart == replaced) {
        text += QStringLiteral(" The file it replaced could not be copied as a database, so it was kept "
                               "as it stood, with whatever lay beside it, as '%1'.")
                    .arg(m_keptApart);
        return text;
    }
    if (!replaced.isEmpty())
        text += QStringLiteral(" The database it replaced was backed up to '%1'.").arg(replaced);
    if (!m_keptApart.isEmpty())
        text += QStringLiteral(" Its file as it stood, with the unfinished changes beside it, was "
                               "kept as '%1'.")
                    .arg(m_keptApart);
    return text;
}

}  // namespace hv::backup
