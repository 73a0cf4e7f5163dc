#include "backup/database_use_lock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace hv::backup {

DatabaseUseLock::~DatabaseUseLock()
{
    release();
}

QString DatabaseUseLock::lockFile(const QString& databasePath)
{
    return databasePath + QStringLiteral(".in-use");
}

bool DatabaseUseLock::shareUse(const QString& databasePath, int waitMs)
{
    return take(databasePath, LOCK_SH, waitMs);
}

bool DatabaseUseLock::useAlone(const QString& databasePath)
{
    return take(databasePath, LOCK_EX, 0);
}

bool DatabaseUseLock::take(const QString& databasePath, int operation, int waitMs)
{
    release();
    m_busy = false;
    // The lock file is made once and never removed: removing it while
    // another copy waits for it would let two copies lock different files.
    const QByteArray name = QFile::encodeName(lockFile(databasePath));
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Another user's lock file, or one in a folder that takes no writes,
    // locks as well when opened for reading.
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return false;
        }
        if (waited.elapsed() >= waitMs) {
            ::close(fd);
            m_busy = true;
            return false;
        }
        QThread::msleep(50);
    }
    m_fd = fd;
    return true;
}

void DatabaseUseLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace hv::backup
