#include "data/postgres/row_copy.h"

#include "core/runtime_error.h"
#include "data/postgres/session.h"

namespace hv::data {

namespace {

// Rows gathered before they go to the server in one piece.
constexpr qsizetype kPieceBytes = 256 * 1024;

QByteArray quotedName(const QString& name)
{
    return (u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"').toUtf8();
}

void appendValue(QByteArray& out, const std::optional<QByteArray>& value)
{
    if (!value) {
        out += "\\N";
        return;
    }
    for (const char c : *value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
}

// One row in the server's text form, ended by a line feed.
void appendLine(QByteArray& out, const std::vector<std::optional<QByteArray>>& values)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += '\t';
        appendValue(out, values[i]);
    }
    out += '\n';
}

}  // namespace

PostgresRowCopy::PostgresRowCopy(PostgresSession& session, const QString& table, const QStringList& columns)
    : ServerValues(static_cast<size_t>(columns.size()), static_cast<int>(columns.size())), m_session(session)
{
    QByteArrayList names;
    for (const QString& column : columns)
        names << quotedName(column);
    m_session.beginCopy("COPY " + quotedName(table) + " (" + names.join(", ") + ") FROM STDIN");
    m_open = true;
    m_pending.reserve(kPieceBytes + 4096);
}

PostgresRowCopy::~PostgresRowCopy()
{
    if (m_open)
        m_session.abandonCopy("the copy was given up");
}

void PostgresRowCopy::add()
{
    if (!m_open)
        throw RuntimeError(err::DatabaseEngine, QStringLiteral("The copy of rows has ended."));
    appendLine(m_pending, values());
    if (m_pending.size() >= kPieceBytes)
        send();
}

void PostgresRowCopy::send()
{
    // A failure ends the copy on the server: nothing of it is kept.
    try {
        m_session.sendCopyData(m_pending);
    } catch (const RuntimeError&) {
        m_open = false;
        throw;
    }
    m_pending.clear();
}

long PostgresRowCopy::finish()
{
    if (!m_open)
        throw RuntimeError(err::DatabaseEngine, QStringLiteral("The copy of rows has ended."));
    send();
    m_open = false;
    return m_session.endCopy();
}

}  // namespace hv::data
