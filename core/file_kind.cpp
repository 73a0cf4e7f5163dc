#include "core/file_kind.h"

#include "core/file_system.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace hv::fs {

FileKind FileKind::of(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty())
        return {Missing, ENOENT};
    if (::stat(native.constData(), &info) == 0)
        return ofMode(info.st_mode);
    const int error = errno;
    struct stat link {};
    if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return {BrokenLink, 0};
    if (error == ENOENT || error == ENOTDIR)
        return {Missing, error};
    return {Unreachable, error};
}

FileKind FileKind::ofMode(unsigned mode)
{
    if (S_ISREG(mode))
        return {File, 0};
    if (S_ISDIR(mode))
        return {Folder, 0};
    if (S_ISFIFO(mode))
        return {Pipe, 0};
    if (S_ISCHR(mode))
        return {Device, 0};
    if (S_ISBLK(mode))
        return {DiskDevice, 0};
    if (S_ISSOCK(mode))
        return {Socket, 0};
    return {Special, 0};
}

QString FileKind::errorString() const
{
    return systemErrorText(m_error);
}

QString FileKind::name() const
{
    switch (m_kind) {
    case Folder: return QStringLiteral("a folder");
    case Pipe: return QStringLiteral("a pipe");
    case Device: return QStringLiteral("a device");
    case DiskDevice: return QStringLiteral("a disk device");
    case Socket: return QStringLiteral("a socket");
    case Special: return QStringLiteral("a special file");
    case Missing:
    case BrokenLink:
    case Unreachable:
    case File: break;
    }
    return {};
}

QString FileKind::notADatabaseFileReason() const
{
    switch (m_kind) {
    case File: return {};
    case Missing:
    case BrokenLink: return QStringLiteral("the file does not exist");
    case Unreachable: return QStringLiteral("the file cannot be reached (%1)").arg(errorString());
    default: return QStringLiteral("it is %1, not a database file").arg(name());
    }
}

}  // namespace hv::fs
