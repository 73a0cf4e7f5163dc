#include "core/read_only_file.h"

#include "core/file_system.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hv::fs {

ReadOnlyFile::ReadOnlyFile(const QString& path) : m_kind(FileKind::of(path))
{
    if (!m_kind.isFile())
        return;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        m_error = errno;
        ::close(fd);
        return;
    }
    m_kind = FileKind::ofMode(info.st_mode);
    if (!m_kind.isFile()) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ReadOnlyFile::errorString() const
{
    return m_error != 0 ? systemErrorText(m_error) : m_kind.errorString();
}

QByteArray ReadOnlyFile::readStart(qint64 size)
{
    if (m_fd < 0)
        return {};
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 total = 0;
    while (total < size) {
        const ssize_t n = ::pread(m_fd, bytes.data() + total, static_cast<size_t>(size - total), total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_error = errno;
            return {};
        }
        if (n == 0)
            break;
        total += n;
    }
    bytes.truncate(total);
    return bytes;
}

}  // namespace hv::fs
