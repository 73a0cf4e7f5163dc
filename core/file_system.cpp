#include "core/file_system.h"

#include "core/durable_file.h"
#include "core/runtime_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>


namespace hv::fs {

namespace {

// The text of strerror_r, whichever of its two forms the C library has.
[[maybe_unused]] const char* errorTextOf(const char* text, const char*)
{
    return text;
}

[[maybe_unused]] const char* errorTextOf(int failed, const char* buffer)
{
    return failed == 0 ? buffer : "Unknown error";
}

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

}  // namespace

QString systemErrorText(int error)
{
    char buffer[256] = {};
    return QString::fromLocal8Bit(errorTextOf(::strerror_r(error, buffer, sizeof buffer), buffer));
}

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

bool nothingAt(const QString& path)
{
    return path.isEmpty() || !QFileInfo::exists(path);
}

bool fileListed(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void makeFolder(const QString& path)
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

RuntimeError accessError(const QString& text)
{
    return {err::PathFileAccess, QStringLiteral("Path/File access error: ") + text};
}

}  // namespace

void copyFile(const QString& source, const QString& destination)
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

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw accessError(QStringLiteral("cannot copy '%1' to '%2' (cannot read '%1': %3)")
                              .arg(source, destination, in.errorString()));
    try {
        // A database that appeared meanwhile is never overwritten.
        fs::DurableFile::write(destination, fs::DurableFile::Policy::NeverReplace, [&](QIODevice& out) {
            QByteArray buffer(1 << 20, Qt::Uninitialized);
            for (;;) {
                const qint64 got = in.read(buffer.data(), buffer.size());
                if (got < 0)
                    throw RuntimeError(err::PathFileAccess,
                                       QStringLiteral("cannot read '%1': %2").arg(source, in.errorString()));
                if (got == 0)
                    return;
                fs::DurableFile::writeAll(out, buffer.constData(), got);
            }
        });
    } catch (const RuntimeError& failure) {
        throw accessError(QStringLiteral("cannot copy '%1' to '%2' (%3)").arg(source, destination, failure.description()));
    }
}

void syncFolder(const QString& folder)
{
    try {
        fs::DurableFile::syncFolder(folder);
    } catch (const RuntimeError& failure) {
        throw accessError(failure.description());
    }
}

QString programFolder()
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
