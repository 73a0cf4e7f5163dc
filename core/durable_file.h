#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace hv::fs {

// The one way the program puts a whole file on the disk: written beside its
// place under "<name>.partial", brought to the disk, renamed into place and
// the folder synced, so that a crash or a power cut at any moment leaves the
// old file or the new one, never a part of either. Backups, restores, the
// conversion, the template's copy and every export go through it.
//
// Failures raise a RuntimeError, "Path/File access error" (75), whose
// description is the reason alone in the system's words ("No space left on
// device"); the caller names the files. Nothing is left behind after one.
class DurableFile {
public:
    enum class Policy {
        // An existing regular file is replaced in one rename. A pipe, a
        // terminal or a device is written into as it stands (it cannot be
        // replaced and must never be turned into a file); a pipe nobody reads
        // is refused instead of waited on.
        Replace,
        // An existing file of any kind (even a link to nowhere) is refused,
        // and so is one that appears while the new one is written.
        NeverReplace,
    };

    // Writes `target` with what `fill` writes into the device it is given;
    // `fill` raises to abandon the file.
    static void write(const QString& target, Policy policy, const std::function<void(QIODevice&)>& fill);

    // Puts a file that its maker wrote in full at `partial` (usually
    // partialPath(target)) in place of `target`: synced, renamed, folder
    // synced. The partial file is removed if this fails.
    static void commit(const QString& partial, const QString& target, Policy policy);

    // Writes every byte into `out` or raises with the system's reason. A
    // device that takes only part of a write (a disk that filled up) is given
    // the rest again, and that write names why it failed.
    static void writeAll(QIODevice& out, const char* data, qint64 size);
    static void writeAll(QIODevice& out, const QByteArray& bytes);

    // Where a file on its way to `target` is written.
    static QString partialPath(const QString& target);

    // The file whose place a write to `target` takes: a link is followed to
    // the file it names, so the link stays a link; one that reaches what has
    // no name (a pipe behind /dev/fd/N) is the place itself.
    static QString resolved(const QString& target);

    // Brings a file's contents, or a folder's entries, to the disk. A file
    // system that cannot sync a folder at all counts as synced.
    static void syncFile(const QString& path);
    static void syncFolder(const QString& folder);
};

}  // namespace hv::fs
