#include "backup/database_restore.h"

#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "backup/database_use_lock.h"
#include "app/file_system.h"
#include "app/local_database.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/database_file_check.h"
#include "data/durable_file.h"
#include "data/file_kind.h"
#include "data/online_copy.h"
#include "data/runtime_error.h"

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
    probe->Open(LocalDatabase::connectionStringOf(path));
    probe->Close();
}

QString DatabaseRestore::run(const QString& file, const QDateTime& now)
{
    const QFileInfo source(file);
    const QString cannot = QStringLiteral("Cannot restore from '%1': ").arg(file);
    const QString notAFile = data::FileKind::of(file).notADatabaseFileReason();
    if (!notAFile.isEmpty())
        throw refusal(cannot + notAFile + u'.');
    if (QFileInfo::exists(m_livePath) && source.canonicalFilePath() == QFileInfo(m_livePath).canonicalFilePath())
        throw refusal(cannot + QStringLiteral("it is the live database itself."));

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
            data::DurableFile::commit(staging, m_livePath, data::DurableFile::Policy::Replace);
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

void DatabaseRestore::backUpLiveDatabase(const QDateTime& now, QString& backup) const
{
    if (!QFileInfo::exists(m_livePath))
        return;
    // A journal left by a program that stopped half-way belongs to the old
    // database: the engine rolls it back now, or it would be applied to the
    // restored one.
    if (QFileInfo::exists(m_livePath + QStringLiteral("-journal"))) {
        try {
            requireDatabaseOfOurs(m_livePath);
        } catch (const RuntimeError&) {
            // Not a database of ours: nothing of ours to roll back.
        }
    }
    try {
        backup = DatabaseBackup::intoFolder(m_livePath, m_backupsFolder, now);
    } catch (const RuntimeError& failure) {
        // A live file the engine cannot read (damaged, or not a database at
        // all) is kept as it stands: no copy of the program is using it.
        try {
            backup = BackupFolder(m_backupsFolder, m_livePath).newCopyPath(now);
            fs::CopyFile(m_livePath, backup);
        } catch (const RuntimeError&) {
            throw refusal(QStringLiteral("Cannot restore: the current database could not be backed up first, so "
                                         "nothing was changed (%1).")
                              .arg(failure.description()));
        }
    }
}

}  // namespace hv::backup
