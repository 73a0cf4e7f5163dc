#include "core/durable_file.h"

#include "core/file_kind.h"
#include "core/file_system.h"
#include "core/runtime_error.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hv::fs {

namespace {

RuntimeError failure(const QString& reason)
{
    return {err::PathFileAccess, reason};
}

QString systemReason(int error = errno)
{
    return systemErrorText(error);
}

QByteArray nativeName(const QString& path)
{
    return QFile::encodeName(path);
}

// A pipe, a terminal or a device that takes a stream: opened without waiting
// (a pipe with no reader would block the open for good) and then written in
// blocking mode, so that a slow reader is waited for but an absent one is not.
int openStream(const QString& target, mode_t mode)
{
    if (S_ISDIR(mode) || S_ISBLK(mode) || S_ISSOCK(mode))
        throw failure(QStringLiteral("'%1' is %2, not a file").arg(target, FileKind::ofMode(mode).name()));
    const int fd = ::open(nativeName(target).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO)
            throw failure(QStringLiteral("nothing is reading from the pipe '%1'").arg(target));
        throw failure(QStringLiteral("cannot write to '%1': %2").arg(target, systemReason()));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// The device an export or a copy writes into: every byte reaches the
// descriptor or the first refusal is kept with the system's reason, so a
// short write (a full disk, a file-size limit) can never pass unnoticed,
// whatever the writer does with the counts it is given back.
class DescriptorDevice : public QIODevice {
public:
    explicit DescriptorDevice(int fd) : m_fd(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    ~DescriptorDevice() override { ::close(m_fd); }

    bool isSequential() const override { return true; }

    // Writes out what is held back; the system's reason for the first
    // refusal, or empty text.
    QString finish()
    {
        drain();
        return m_error == 0 ? QString() : systemReason(m_error);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        if (m_error != 0)
            return -1;
        m_pending.append(data, length);
        if (m_pending.size() >= kChunk)
            drain();
        return m_error == 0 ? length : -1;
    }

private:
    static constexpr qsizetype kChunk = qsizetype(1) << 16;

    void drain()
    {
        qsizetype done = 0;
        while (m_error == 0 && done < m_pending.size()) {
            const ssize_t put = ::write(m_fd, m_pending.constData() + done, size_t(m_pending.size() - done));
            if (put > 0)
                done += put;
            else if (put < 0 && errno != EINTR)
                m_error = errno;
            else if (put == 0)
                m_error = EIO;
        }
        m_pending.clear();
        if (m_error != 0)
            setErrorString(systemReason(m_error));
    }

    int m_fd;
    QByteArray m_pending;
    int m_error = 0;
};

// Runs `fill` on the open descriptor (which the device then owns) and makes
// sure every byte was taken.
void fillDescriptor(int fd, const QString& name, const std::function<void(QIODevice&)>& fill)
{
    DescriptorDevice device(fd);
    fill(device);
    const QString reason = device.finish();
    if (!reason.isEmpty())
        throw failure(QStringLiteral("cannot write to '%1': %2").arg(name, reason));
}

// Renames without ever replacing a file that is there, even one that appeared
// a moment ago: the system's no-replace rename, or a hard link and an unlink
// where a file system lacks it.
bool renameNoReplace(const QByteArray& from, const QByteArray& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without hard links: the check and the rename are apart.
    struct stat there {};
    if (::lstat(to.constData(), &there) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

void syncPath(const QString& path, int flags, bool folder)
{
    const int fd = ::open(nativeName(path).constData(), flags | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::fsync(fd) != 0)
            error = errno;
        ::close(fd);
    }
    if (error == 0 || (folder && (error == EINVAL || error == ENOTSUP)))
        return;
    throw failure(QStringLiteral("cannot bring '%1' to the disk: %2").arg(path, systemReason(error)));
}

}  // namespace

void DurableFile::writeAll(QIODevice& out, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = out.write(data, size);
        if (written <= 0)
            throw failure(out.errorString());
        data += written;
        size -= written;
    }
}

void DurableFile::writeAll(QIODevice& out, const QByteArray& bytes)
{
    writeAll(out, bytes.constData(), bytes.size());
}

QString DurableFile::partialPath(const QString& target)
{
    return target + QStringLiteral(".partial");
}

QString DurableFile::resolved(const QString& target)
{
    const QFileInfo info(target);
    if (!info.isSymLink())
        return target;
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A link the system follows to something with no name in a folder (the
    // pipe behind "/dev/fd/63") is written through the link itself.
    struct stat reached {};
    if (::stat(nativeName(target).constData(), &reached) == 0)
        return target;
    // A link to nowhere names the file it would make.
    return info.symLinkTarget();
}

void DurableFile::write(const QString& target, Policy policy, const std::function<void(QIODevice&)>& fill)
{
    struct stat there {};
    const bool exists = ::lstat(nativeName(target).constData(), &there) == 0;
    if (policy == Policy::NeverReplace && exists)
        throw failure(QStringLiteral("'%1' already exists").arg(target));

    const QString place = policy == Policy::Replace ? resolved(target) : target;
    struct stat placed {};
    const bool placeExists = ::stat(nativeName(place).constData(), &placed) == 0;
    if (placeExists && !S_ISREG(placed.st_mode)) {
        fillDescriptor(openStream(place, placed.st_mode), place, fill);
        return;
    }

    const QString partial = partialPath(place);
    ::unlink(nativeName(partial).constData());
    // A replaced file keeps who may read it.
    const mode_t mode = placeExists ? (placed.st_mode & 07777) : 0666;
    const int fd = ::open(nativeName(partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        throw failure(QStringLiteral("cannot write '%1': %2").arg(partial, systemReason()));
    if (placeExists)
        ::fchmod(fd, mode);
    try {
        fillDescriptor(fd, partial, fill);
    } catch (...) {
        ::unlink(nativeName(partial).constData());
        throw;
    }
    commit(partial, place, policy);
}

void DurableFile::commit(const QString& partial, const QString& target, Policy policy)
{
    const QByteArray from = nativeName(partial);
    try {
        syncFile(partial);
        const QByteArray to = nativeName(target);
        const bool renamed = policy == Policy::Replace ? ::rename(from.constData(), to.constData()) == 0
                                                       : renameNoReplace(from, to);
        if (!renamed) {
            throw failure(errno == EEXIST ? QStringLiteral("'%1' already exists").arg(target)
                                          : QStringLiteral("cannot give '%1' its name: %2").arg(target, systemReason()));
        }
    } catch (...) {
        ::unlink(from.constData());
        throw;
    }
    syncFolder(QFileInfo(target).absolutePath());
}

void DurableFile::syncFile(const QString& path)
{
    syncPath(path, O_RDONLY, false);
}

void DurableFile::syncFolder(const QString& folder)
{
    syncPath(folder, O_RDONLY | O_DIRECTORY, true);
}

}  // namespace hv::fs
