#include "data/sqlite/statement.h"

#include "core/runtime_error.h"
#include "core/utf8_text.h"
#include "data/sqlite/failure_text.h"
#include "data/sqlite/session.h"

namespace hv::data {

SqliteStatement::SqliteStatement(SqliteSession& session, sqlite3* db, const QString& sql)
    : m_session(session), m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                                      &raw, nullptr);
    m_statement.reset(raw);
    check(rc);
}

void SqliteStatement::check(int resultCode) const
{
    if (resultCode != SQLITE_OK)
        throw RuntimeError(err::DatabaseEngine, engineFailureText(m_db));
}

void SqliteStatement::finishRun(int stepResult)
{
    // The engine's message is read before the reset, which would replace it.
    const QString message = stepResult == SQLITE_DONE ? QString() : engineFailureText(m_db);
    sqlite3_reset(m_statement.get());
    if (stepResult != SQLITE_DONE)
        throw RuntimeError(err::DatabaseEngine, message);
}

void SqliteStatement::bindNull(int position)
{
    check(sqlite3_bind_null(m_statement.get(), position));
}

void SqliteStatement::bindInteger(int position, qint64 value)
{
    check(sqlite3_bind_int64(m_statement.get(), position, value));
}

void SqliteStatement::bindNumber(int position, double value)
{
    check(sqlite3_bind_double(m_statement.get(), position, value));
}

void SqliteStatement::bindText(int position, QByteArrayView utf8)
{
    // A bound text of no bytes needs a pointer all the same, or it reads as Null.
    static const char empty = '\0';
    check(sqlite3_bind_text64(m_statement.get(), position, utf8.isEmpty() ? &empty : utf8.data(),
                              static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void SqliteStatement::execute()
{
    sqlite3_stmt* statement = m_statement.get();
    const auto run = [&] {
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        finishRun(rc);
    };
    // A write is one change of the journal, as every write of the program is.
    if (sqlite3_stmt_readonly(statement))
        run();
    else
        m_session.asChange(run);
}

bool SqliteStatement::next()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    finishRun(rc);
    return false;
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column);
}

double SqliteStatement::number(int column) const
{
    return sqlite3_column_double(m_statement.get(), column);
}

QString SqliteStatement::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return text::textFromUtf8(bytes, sqlite3_column_bytes(m_statement.get(), column));
}

bool SqliteStatement::isNumber(int column) const
{
    const int type = sqlite3_column_type(m_statement.get(), column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

qint64 SqliteStatement::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

}  // namespace hv::data
