#include "import/library_messages.h"

#include <QByteArray>
#include <QStringList>

#include <unistd.h>

namespace hv::import {

LibraryMessages::LibraryMessages()
{
    std::fflush(stderr);
    m_store = std::tmpfile();
    m_savedError = m_store ? ::dup(STDERR_FILENO) : -1;
    if (m_savedError >= 0)
        ::dup2(::fileno(m_store), STDERR_FILENO);
}

LibraryMessages::~LibraryMessages()
{
    std::fflush(stderr);
    if (m_savedError >= 0) {
        ::dup2(m_savedError, STDERR_FILENO);
        ::close(m_savedError);
    }
    if (m_store)
        std::fclose(m_store);
}

QString LibraryMessages::text() const
{
    return textSince(0);
}

qint64 LibraryMessages::mark() const
{
    if (m_savedError < 0)
        return 0;
    std::fflush(stderr);
    // Standard error writes at the end of the store it shares with us.
    const off_t end = ::lseek(STDERR_FILENO, 0, SEEK_CUR);
    return end > 0 ? static_cast<qint64>(end) : 0;
}

QString LibraryMessages::textSince(qint64 mark) const
{
    if (!m_store)
        return {};
    std::fflush(stderr);
    // Read without moving the offset that standard error writes at. Only the
    // first lines matter for a report; a damaged file can make the library
    // print one line a page.
    QByteArray bytes(2000, Qt::Uninitialized);
    const ssize_t read = ::pread(::fileno(m_store), bytes.data(), static_cast<size_t>(bytes.size()), mark);
    bytes.truncate(read > 0 ? static_cast<qsizetype>(read) : 0);
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.trimmed().isEmpty())
            lines << QString::fromLocal8Bit(line.trimmed());
    }
    return lines.join(QStringLiteral("; "));
}

}  // namespace hv::import
