#pragma once

#include <QString>

namespace hv::backup {

// Tells copies of the program that a database is in use. Every copy that
// uses a database holds a shared lock on a small file beside it ("<database>
// .in-use"); a restore, which replaces the database, needs the lock to
// itself. The system drops a lock when its process ends, however it ends,
// so no stale lock is ever left in the way.
class DatabaseUseLock {
public:
    DatabaseUseLock() = default;
    ~DatabaseUseLock();
    DatabaseUseLock(const DatabaseUseLock&) = delete;
    DatabaseUseLock& operator=(const DatabaseUseLock&) = delete;

    // Takes the lock shared, waiting up to `waitMs` while a restore holds it.
    // False when it could not be taken (the program then goes on without it).
    bool shareUse(const QString& databasePath, int waitMs = 0);

    // Takes the lock for this copy alone; false while any other copy uses
    // the database.
    bool useAlone(const QString& databasePath);

    void release();
    bool held() const { return m_fd >= 0; }

    static QString lockFile(const QString& databasePath);

private:
    bool take(const QString& databasePath, int operation, int waitMs);

    int m_fd = -1;
};

}  // namespace hv::backup
