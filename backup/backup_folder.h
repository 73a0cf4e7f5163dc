#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace hv::backup {

// The folder of a database's backups: each copy is named for the database
// and the local date and time it was made, "dbData-2026-12-07-083015.mdb"
// ("-2", "-3" added when two are made within a second). Files of any other
// name are not backups and are never touched; among them the copies kept
// apart ("dbData-2026-12-07-083015-replaced.mdb": a database a restore
// replaced, kept as it stood), which no rotation deletes.
class BackupFolder {
public:
    BackupFolder(QString folder, const QString& databasePath);

    // The backups folder of a database file: "backups" beside it.
    static BackupFolder besideDatabase(const QString& databasePath);

    QString path() const { return m_folder; }

    // The backups the folder holds, with the time each name gives.
    struct Copy {
        QString path;
        QDateTime made;
    };
    // With `unfinished`, the copies cut short instead ("<name>.mdb.partial").
    QList<Copy> copies(bool unfinished = false) const;

    // True when a backup was made on that day.
    bool hasCopyFrom(const QDate& day) const;

    // Deletes the copies of this folder's naming that were cut short (the
    // program stopped while writing them), leaving any a copy is being
    // written into now; a file that cannot be deleted stays.
    void removeUnfinished() const;

    // A path for a new backup made at `now`, free at the moment of asking.
    QString newCopyPath(const QDateTime& now) const;

    // A path for a copy kept apart from the backups, named for `now` and
    // `why` ("replaced"), free at the moment of asking.
    QString keptApartPath(const QDateTime& now, const QString& why) const;

    // Deletes the backups that BackupRotation does not keep, never the newest
    // copy recorded as sound (VerifiedBackups); a copy that cannot be
    // deleted stays (and is tried again next time); then removeUnfinished().
    void rotate(const QDateTime& now) const;

private:
    QString namedFor(const QDateTime& now) const;

    QString m_folder;
    QString m_databasePath;
    QString m_stem;
};

}  // namespace hv::backup
