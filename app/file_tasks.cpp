#include "app/file_tasks.h"

#include "app/database_session.h"
#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "backup/database_restore.h"
#include "core/durable_file.h"
#include "core/file_argument.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "database/database_choice.h"
#include "database/local_database.h"
#include "gui/busy_pointer.h"
#include "gui/shared_connection.h"
#include "gui/work_progress.h"
#include "gui/ui_seam.h"
#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "reports/engine/entries_export.h"

#include <QDir>
#include <QFileInfo>

namespace hv {

namespace {

QString liveDatabasePath()
{
    return database::LocalDatabase().path();
}

QString backupsFolder()
{
    return backup::BackupFolder::besideDatabase(liveDatabasePath()).path();
}

// What the tasks need before they run.
constexpr DatabaseSession::Needs kEveryEntry{.wholeList = true};
// Copying the database or bringing entries into it waits for the daily backup.
constexpr DatabaseSession::Needs kAfterTheDailyBackup{.backupDone = true};
constexpr DatabaseSession::Needs kLetsTheDatabaseGo{.letGo = true};

}  // namespace

void FileTasks::tell(const QString& text) const
{
    UiSeam::tell(&m_window, text);
}

bool FileTasks::refusedOnServer(const QString& what) const
{
    const QString server = database::DatabaseChoice::serverAddress();
    if (server.isEmpty())
        return false;
    tell(backup::DatabaseBackup::serverRefusal(server, what));
    return true;
}

void FileTasks::importOldDatabase()
{
    const std::optional<QString> file = UiSeam::askFile(
        &m_window, {FileRequest::Open, QStringLiteral("Import Old Database"),
                    QStringLiteral("Old databases (*.mdb);;All files (*)"), QString()});
    if (!file)
        return;
    if (const std::optional<QString> problem = fs::FileArgument::problemWith(*file, liveDatabasePath())) {
        tell(QStringLiteral("Cannot import '%1': %2").arg(*file, *problem));
        return;
    }
    m_session.run(kAfterTheDailyBackup, [&] {
        try {
            const BusyPointer busy;
            data::Connection& connection = SharedConnection::get();
            // A server database is backed up by the server's own tools.
            if (!connection.isServer())
                backup::DatabaseBackup::intoFolder(connection.dataSource(), backupsFolder(), m_session.now());
            const import::ImportSummary summary = import::OldDatabaseImporter(connection).importFile(*file);
            m_session.refill();
            tell(summary.text());
        } catch (const import::ImportError& failure) {
            tell(failure.message());
        } catch (const RuntimeError& failure) {
            tell(failure.description());
        }
    });
}

void FileTasks::exportEntries()
{
    const std::optional<QString> file = UiSeam::askFile(
        &m_window, {FileRequest::Save, QStringLiteral("Export Entries"),
                    QStringLiteral("CSV files (*.csv);;Excel workbooks (*.xlsx);;All files (*)"), QString()});
    if (!file)
        return;
    const QString cannot = QStringLiteral("Cannot export to '%1': ").arg(*file);
    if (QFileInfo(*file).isDir()) {
        tell(cannot + QStringLiteral("it is a folder."));
        return;
    }
    if (fs::FileArgument::isLiveDatabase(*file, liveDatabasePath())) {
        tell(cannot + QStringLiteral("it is the live database itself."));
        return;
    }
    m_session.run(kEveryEntry, [&] {
        qint64 rows = 0;
        try {
            const BusyPointer busy;
            WorkProgress progress(&m_window, QStringLiteral("Exporting the entries to '%1'...").arg(*file));
            data::Connection& connection = SharedConnection::get();
            const auto format = reports::EntriesExport::formatOf(*file);
            fs::DurableFile::write(*file, fs::DurableFile::Policy::Replace, [&](QIODevice& device) {
                rows = reports::EntriesExport::write(connection, device, format, progress.steps());
            });
        } catch (const RuntimeError& failure) {
            // Stopped by the user: the file is as it was, and that needs no word.
            if (failure.number() == err::UserInterrupt)
                return;
            QString reason = failure.description();
            if (!reason.endsWith(u'.'))
                reason += u'.';
            tell(cannot + reason);
            return;
        }
        tell(QStringLiteral("Exported %1 entries to '%2'.").arg(rows).arg(*file));
    });
}

void FileTasks::backUpNow()
{
    if (refusedOnServer(QStringLiteral("Backups")))
        return;
    m_session.run(kAfterTheDailyBackup, [this] {
        try {
            const BusyPointer busy;
            const QString copy =
                backup::DatabaseBackup::intoFolder(liveDatabasePath(), backupsFolder(), m_session.now());
            tell(QStringLiteral("Backup written to '%1'.").arg(copy));
        } catch (const RuntimeError& failure) {
            tell(failure.description());
        }
    });
}

void FileTasks::restoreFromBackup()
{
    if (refusedOnServer(QStringLiteral("Backups and restores")))
        return;
    const std::optional<QString> file = UiSeam::askFile(
        &m_window, {FileRequest::Open, QStringLiteral("Restore From Backup"),
                    QStringLiteral("Databases (*.mdb);;All files (*)"), backupsFolder()});
    if (!file)
        return;
    const QMessageBox::StandardButton answer = UiSeam::message(
        &m_window, {QStringLiteral("Put '%1' in place of the current database? The current database is backed up "
                                   "first; entries made since that backup was written are replaced.")
                        .arg(*file),
                    UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No});
    if (answer != QMessageBox::Yes)
        return;
    backup::DatabaseRestore restore(liveDatabasePath(), backupsFolder());
    QString outcome;
    m_session.run(kLetsTheDatabaseGo, [&] {
        try {
            const BusyPointer busy;
            outcome = restore.outcome(*file, restore.run(*file, m_session.now()));
        } catch (const RuntimeError& failure) {
            outcome = failure.description();
        }
    });
    tell(outcome);
}

void FileTasks::showBackupsFolder()
{
    const QString folder = backupsFolder();
    if (!QDir().mkpath(folder)) {
        tell(QStringLiteral("The backups folder '%1' cannot be created.").arg(folder));
        return;
    }
    m_showLocal(folder, QStringLiteral("backups folder"));
}

}  // namespace hv
