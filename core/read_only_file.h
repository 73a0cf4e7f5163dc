#pragma once

#include "core/file_kind.h"

#include <QByteArray>
#include <QString>

namespace hv::fs {

// A regular file opened for reading without ever waiting: what stands at the
// path is judged before the open (a pipe, device or socket is not opened at
// all) and again on the open file, so that one put in the file's place in
// between is closed unread. Closed when the object goes.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // What stands at the path; a File that is not open could not be opened.
    const FileKind& kind() const { return m_kind; }
    // The system's error number of the failed open or read; 0 otherwise.
    int error() const { return m_error; }
    // The system's reason, in its words, for the failed stat, open or read.
    QString errorString() const;
    qint64 size() const { return m_size; }

    // Up to `size` bytes from the start of the file (fewer at its end); an
    // empty array with error() set when it cannot be read.
    QByteArray readStart(qint64 size);

private:
    FileKind m_kind;
    int m_fd = -1;
    int m_error = 0;
    qint64 m_size = 0;
};

}  // namespace hv::fs
