#pragma once

#include <QString>

namespace hv::backup {

// Tells copies of the program that a database is in use. Every copy that
// uses a database holds a shared lock on a small file beside it ("<database>
// .in-use"); a restore, which replaces the database, needs the lock to
// itself. The system drops a lock when its process ends, however it ends,
// so no stale lock is ever left in the way. A lock file that cannot be
// written (another user's, or in a folder that takes no writes) is locked
// through a descriptor opened for reading.
class DatabaseUseLock {
public:
    DatabaseUseLock() = default;
    ~DatabaseUseLock();
    DatabaseUseLock(const DatabaseUseLock&) = delete;
    DatabaseUseLock& operator=(const DatabaseUseLock&) = delete;

    // Takes the lock shared, waiting up to `waitMs` while a restore holds it.
    // False when it could not be taken: busy() then tells whether another
    // copy holds it, or the lock file could not be made at all.
    bool shareUse(const QString& databasePath, int waitMs = 0);

    // Takes the lock for this copy alone; false while any other copy uses
    // the database.
    bool useAlone(const QString& databasePath);

    void release();
    bool held() const { return m_fd >= 0; }
    // True when the last attempt failed because another copy held the lock
    // (a restore, for a shared use), not for want of a lock file.
    bool busy() const { return m_busy; }

    static QString lockFile(const QString& databasePath);

private:
    bool take(const QString& databasePath, int operation, int waitMs);

    int m_fd = -1;
    bool m_busy = false;
};

}  // namespace hv::backup
