#pragma once

#include <QList>
#include <QString>

namespace hv::backup {

// The record, kept in a database's backups folder ("<database name>.verified"),
// of the copies that passed the engine's full integrity check: each by its
// name, size and modification time, so that a copy changed since it was
// checked no longer counts as sound. Copies are recorded in the order they
// were made, so the newest is known whatever the clock said when each was
// named. Only these copies are ever called sound.
class VerifiedBackups {
public:
    VerifiedBackups(QString folder, const QString& databasePath);

    // Records `copy` (a file of the folder) as checked, as it now stands, and
    // as the newest. Raises a RuntimeError with the system's reason when the
    // record cannot be written.
    void record(const QString& copy) const;

    // True when `copy` was recorded and is still as it was then.
    bool holds(const QString& copy) const;

    // The path of the newest recorded copy still as it was checked; empty
    // when there is none.
    QString newest() const;

    // Drops the records of copies that are gone or changed.
    void prune() const;

private:
    struct Entry {
        QString name;
        qint64 size = 0;
        qint64 modified = 0;  // milliseconds since the epoch
    };
    static Entry entryFor(const QString& path);
    bool stillAsChecked(const Entry& entry) const;
    QList<Entry> read() const;
    void write(const QList<Entry>& entries) const;

    QString m_folder;
    QString m_file;
};

}  // namespace hv::backup
