#pragma once

#include <QDateTime>
#include <QString>

namespace hv::backup {

// Puts the contents of a backup (or of any database file of this program) in
// place of the live database. The file is first copied beside the live
// database and checked there (a database of this program, by the same checks
// as opening it, and whole by the engine's integrity check); the live
// database is then backed up, and the checked copy takes its name in one
// rename after it reached the disk, so that a crash at any moment leaves
// either the old database or the new one, never a mix. The file itself is
// only read. Refused while another copy of the program uses the database.
class DatabaseRestore {
public:
    DatabaseRestore(QString livePath, QString backupsFolder);

    // Returns the path of the backup made of the database it replaced (empty
    // when there was none yet). Raises a RuntimeError with the reason; the
    // live database is then unchanged.
    QString run(const QString& file, const QDateTime& now);

    // Raises unless the file is a database of this program, by the checks of
    // start-up's open (which also undoes a journal this program left).
    static void requireDatabaseOfOurs(const QString& path);

private:
    void backUpLiveDatabase(const QDateTime& now, QString& backup) const;

    QString m_livePath;
    QString m_backupsFolder;
};

}  // namespace hv::backup
