#pragma once

#include <QString>

namespace hv::fs {

// What a path names, judged from the system's record of it (stat) before
// anything opens it: a pipe, a device or a socket must never be opened as a
// file is, since opening one to read can wait for ever.
class FileKind {
public:
    enum Kind {
        Missing,      // nothing at the path
        BrokenLink,   // a symbolic link whose target does not exist
        Unreachable,  // the system would not say (error() tells why)
        File,
        Folder,
        Pipe,
        Device,
        DiskDevice,
        Socket,
        Special,  // any other kind the system has
    };

    // Links are followed; a link to nowhere is BrokenLink.
    static FileKind of(const QString& path);
    // The kind a stat() mode names.
    static FileKind ofMode(unsigned mode);

    Kind kind() const { return m_kind; }
    // The system's error number for Missing and Unreachable; 0 otherwise.
    int error() const { return m_error; }
    // The system's reason, in its words, for error().
    QString errorString() const;
    bool isFile() const { return m_kind == File; }
    bool exists() const { return m_kind != Missing && m_kind != BrokenLink; }

    // In a user's words, for what is neither a regular file nor missing:
    // "a folder", "a pipe", "a device", "a disk device", "a socket", "a
    // special file"; empty text for the others.
    QString name() const;

    // Why a file that should be read as a database cannot be, for a message
    // that names the file first ("Cannot import '<file>': ..."): "the file
    // does not exist", "it is a pipe, not a database file" and so on,
    // without a full stop; empty text for a regular file.
    QString notADatabaseFileReason() const;

private:
    FileKind(Kind kind, int error) : m_kind(kind), m_error(error) {}

    Kind m_kind;
    int m_error;
};

}  // namespace hv::fs
