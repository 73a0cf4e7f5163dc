#include "app/file_system.h"

#include "data/runtime_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace hv::fs {

namespace {

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

}  // namespace

QString SpecialFolderPath(int folder)
{
    if (folder != 35)
        return {};
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).trimmed();
    // The folder is always there on a desktop that has used it, but a new
    // account may not have it yet; it is made here, as the data folders are
    // made inside it one level at a time.
    if (!path.isEmpty())
        QDir().mkpath(path);
    return path;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool NothingAt(const QString& path)
{
    return path.isEmpty() || !QFileInfo::exists(path);
}

bool FileListed(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void MakeFolder(const QString& path)
{
    if (path.isEmpty() || !QDir().mkdir(path))
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Path/File access error: cannot create the folder '%1'").arg(path));
}

namespace {

// "'<path>' is a link to '<target>', which does not exist", or empty text
// when the path is not such a link.
QString danglingLink(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink() || info.exists())
        return {};
    return QStringLiteral("'%1' is a link to '%2', which does not exist").arg(path, info.symLinkTarget());
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Copies the bytes of source into a new file at target and syncs it to disk;
// what went wrong, or empty text. The system's calls are used directly, so
// that a short write (a full disk) reports the system's reason.
QString copyBytes(const QString& source, const QString& target)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return QStringLiteral("cannot read '%1': %2").arg(source, systemReason());
    const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const QString reason = QStringLiteral("cannot write '%1': %2").arg(target, systemReason());
        ::close(in);
        return reason;
    }
    QString reason;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = QStringLiteral("cannot read '%1': %2").arg(source, systemReason());
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got && reason.isEmpty();) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                reason = QStringLiteral("cannot write '%1': %2").arg(target, systemReason());
            else
                done += put;
        }
        if (!reason.isEmpty())
            break;
    }
    // The copy reaches the disk before it takes the database's name.
    if (reason.isEmpty() && ::fsync(out) != 0)
        reason = QStringLiteral("cannot write '%1': %2").arg(target, systemReason());
    if (::close(out) != 0 && reason.isEmpty())
        reason = QStringLiteral("cannot write '%1': %2").arg(target, systemReason());
    ::close(in);
    return reason;
}

RuntimeError accessError(const QString& text)
{
    return {err::PathFileAccess, QStringLiteral("Path/File access error: ") + text};
}

}  // namespace

void CopyFile(const QString& source, const QString& destination)
{
    const QString sourceLink = danglingLink(source);
    if (!sourceLink.isEmpty())
        throw RuntimeError(err::FileNotFound, QStringLiteral("File not found: ") + sourceLink);
    if (!QFileInfo(source).isFile())
        throw RuntimeError(err::FileNotFound, QStringLiteral("File not found: '%1'").arg(source));
    const QString destinationLink = danglingLink(destination);
    if (!destinationLink.isEmpty())
        throw accessError(destinationLink + QStringLiteral("; it is left as it is"));
    if (QFileInfo::exists(destination))
        throw accessError(QStringLiteral("'%1' already exists").arg(destination));

    const QString partial = destination + QStringLiteral(".partial");
    QFile::remove(partial);
    // The first failure, in the words of the file it happened to.
    const QString reason = copyBytes(source, partial);
    if (!reason.isEmpty()) {
        QFile::remove(partial);
        throw accessError(QStringLiteral("cannot copy '%1' to '%2' (%3)").arg(source, destination, reason));
    }
    // rename never replaces an existing file, so a database that appeared
    // meanwhile is never overwritten.
    QFile copy(partial);
    if (!copy.rename(destination)) {
        const QString renameReason = copy.errorString();
        QFile::remove(partial);
        throw accessError(QStringLiteral("cannot copy '%1' to '%2' (cannot give the copy its name: %3)")
                              .arg(source, destination, renameReason));
    }
    SyncFolder(QFileInfo(destination).absolutePath());
}

void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::fsync(fd) != 0)
            error = errno;
        ::close(fd);
    }
    if (error != 0 && error != EINVAL && error != ENOTSUP)
        throw accessError(QStringLiteral("cannot sync the folder '%1' (%2)")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(error))));
}

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString& folder)
{
    programFolderOverride() = folder;
}

}  // namespace hv::fs
