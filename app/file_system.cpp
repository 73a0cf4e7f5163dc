#include "app/file_system.h"

#include "data/runtime_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

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

void CopyFile(const QString& source, const QString& destination)
{
    if (!QFileInfo(source).isFile())
        throw RuntimeError(err::FileNotFound, QStringLiteral("File not found: '%1'").arg(source));
    if (QFileInfo::exists(destination))
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Path/File access error: '%1' already exists").arg(destination));

    const QString partial = destination + QStringLiteral(".partial");
    QFile::remove(partial);
    QFile in(source);
    QFile out(partial);
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly);
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    // The copy reaches the disk before it takes the database's name.
    ok = ok && out.flush() && ::fsync(out.handle()) == 0 && in.error() == QFileDevice::NoError;
    out.close();
    // QFile::rename never replaces an existing file, so a database that
    // appeared meanwhile is never overwritten.
    if (!ok || !QFile::rename(partial, destination)) {
        const QString reason = out.errorString();
        QFile::remove(partial);
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Path/File access error: cannot copy '%1' to '%2' (%3)")
                               .arg(source, destination, reason));
    }
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
