#pragma once

#include <QString>
#include <cstdio>

namespace hv::import {

// Keeps what the old-format library prints on standard error while the
// object lives: the library reports some problems of a file only there, and
// the program's own output stays clean. The text serves as the detail of a
// failure. The process has one standard error, so one object at a time.
class LibraryMessages {
public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    // What was printed so far, lines joined by "; ", trimmed.
    QString text() const;

    // How much has been printed so far; a mark to ask what came after it.
    qint64 mark() const;
    // What was printed after the mark, as text() gives it.
    QString textSince(qint64 mark) const;

private:
    std::FILE* m_store = nullptr;
    int m_savedError = -1;
};

}  // namespace hv::import
