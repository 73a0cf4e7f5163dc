#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace hv::backup {

// Puts the contents of a backup (or of any database file of this program) in
// place of the live database. The file is first copied beside the live
// database and checked there (a database of this program, by the same checks
// as opening it, and whole by the engine's integrity check); the live
// database is then backed up, and the checked copy takes its name in one
// rename after it reached the disk, so that a crash at any moment leaves
// either the old database or the new one, never a mix. A live file the
// engine cannot copy whole, and any journal beside it, is kept apart as it
// stands ("...-replaced.mdb" with its "-journal"), so nothing of it is lost
// and no old journal is ever played into the restored database. The file
// itself is only read. Refused while another copy of the program uses the
// database.
class DatabaseRestore {
public:
    DatabaseRestore(QString livePath, QString backupsFolder);

    // Returns the path of the backup made of the database it replaced (empty
    // when there was none yet). Raises a RuntimeError with the reason; the
    // live database is then unchanged.
    QString run(const QString& file, const QDateTime& now);

    // The copy of the replaced file as it stood, with the companions that
    // were beside it, when run() had to keep one; empty otherwise.
    QString keptApart() const { return m_keptApart; }

    // What a run() that returned `replaced` did, in words for the user: the
    // file restored, and where the database it replaced went.
    QString outcome(const QString& file, const QString& replaced) const;

    // Raises unless the file is a database of this program, by the checks of
    // start-up's open (which also undoes a journal this program left).
    static void requireDatabaseOfOurs(const QString& path);

    // The files the engine keeps beside a database while it changes it
    // (its rollback journal, write-ahead log and shared memory) that exist.
    static QStringList companionsOf(const QString& databasePath);

private:
    void backUpLiveDatabase(const QDateTime& now, QString& backup);
    // Keeps the live file as it stands (unless `companionsOnly`: there is
    // none) with its companions, under a name apart from the backups;
    // returns the name of the first file kept.
    QString keepApart(const QDateTime& now, bool companionsOnly) const;

    QString m_livePath;
    QString m_backupsFolder;
    QString m_keptApart;
};

}  // namespace hv::backup
