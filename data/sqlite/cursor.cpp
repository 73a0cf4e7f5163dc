#include "data/sqlite/cursor.h"

#include "core/runtime_error.h"

namespace hv::data {

SqliteCursor::SqliteCursor(StatementHandle statement, std::function<RuntimeError(int)> failure)
    : m_statement(std::move(statement)), m_failure(std::move(failure))
{
}

bool SqliteCursor::next()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throw m_failure(rc);
    return false;
}

int SqliteCursor::columnCount() const
{
    return sqlite3_column_count(m_statement.get());
}

QString SqliteCursor::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement.get(), column));
}

ColumnKind SqliteCursor::columnKind(int column) const
{
    const char* declared = sqlite3_column_decltype(m_statement.get(), column);
    return declared ? columnKindOf(QString::fromUtf8(declared)) : ColumnKind::Other;
}

RowCursor::Cell SqliteCursor::cell(int column) const
{
    switch (sqlite3_column_type(m_statement.get(), column)) {
    case SQLITE_INTEGER: return Cell::Integer;
    case SQLITE_FLOAT: return Cell::Real;
    case SQLITE_TEXT: return Cell::Text;
    case SQLITE_BLOB: return Cell::Binary;
    default: return Cell::Null;
    }
}

qint64 SqliteCursor::integer(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column);
}

double SqliteCursor::real(int column) const
{
    return sqlite3_column_double(m_statement.get(), column);
}

QByteArrayView SqliteCursor::bytes(int column) const
{
    sqlite3_stmt* stmt = m_statement.get();
    const void* data = sqlite3_column_type(stmt, column) == SQLITE_BLOB ? sqlite3_column_blob(stmt, column)
                                                                          : sqlite3_column_text(stmt, column);
    return {static_cast<const char*>(data), sqlite3_column_bytes(stmt, column)};
}

QByteArrayView SqliteCursor::text(int column) const
{
    sqlite3_stmt* stmt = m_statement.get();
    const unsigned char* data = sqlite3_column_text(stmt, column);
    return {reinterpret_cast<const char*>(data), sqlite3_column_bytes(stmt, column)};
}

}  // namespace hv::data
