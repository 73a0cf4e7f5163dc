#pragma once

#include <QString>
#include <functional>
#include <utility>

class QWidget;

namespace hv {

class DatabaseSession;

// The File menu's tasks on the database, the same as the command line's
// --import, --export, --backup and --restore: each asks for its file through
// the UI seam, says what it did or why it could not, and refills the list
// when the data changed.
class FileTasks {
public:
    // Shows a file or folder of this machine, naming what it is.
    using ShowLocal = std::function<void(const QString& path, const QString& what)>;

    // The tasks run on `window`'s database session, and through it.
    FileTasks(QWidget& window, DatabaseSession& session, ShowLocal showLocal)
        : m_window(window), m_session(session), m_showLocal(std::move(showLocal))
    {
    }

    // "Import Old Database...": an old-format file into the current database,
    // after a backup of a local one; tells the import's summary.
    void importOldDatabase();
    // "Export Entries...": every entry as CSV into a file written whole or not at all.
    void exportEntries();
    // "Back Up Now": a copy into the backups folder.
    void backUpNow();
    // "Restore From Backup...": a backup in place of the current database,
    // after a question and a backup of the current one; the window lets the
    // database go while the restore runs and opens it again afterwards.
    void restoreFromBackup();
    // "Show Backups Folder": the folder in the desktop's file manager.
    void showBackupsFolder();

private:
    // True (and tells why) when the database is on a server, whose backups
    // are the server's own job.
    bool refusedOnServer(const QString& what) const;
    void tell(const QString& text) const;

    QWidget& m_window;
    DatabaseSession& m_session;
    ShowLocal m_showLocal;
};

}  // namespace hv
