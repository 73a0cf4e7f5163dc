#include "prepared_statement.h"

#include "connection.h"
#include "runtime_error.h"
#include "sqlite_handles.h"

namespace hv::data {

PreparedStatement::PreparedStatement(Connection& connection, const QString& sql) : m_connection(connection)
{
    sqlite3* db = connection.handle();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    m_statement.reset(raw);
    check(rc);
}

PreparedStatement::~PreparedStatement() = default;

void PreparedStatement::Finalizer::operator()(sqlite3_stmt* statement) const noexcept
{
    StatementFinalizer()(statement);
}

void PreparedStatement::check(int resultCode) const
{
    if (resultCode != SQLITE_OK)
        throw RuntimeError(err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(m_connection.handle())));
}

void PreparedStatement::finishRun(int stepResult)
{
    // The engine's message is read before the reset, which would replace it.
    const QString message = stepResult == SQLITE_DONE ? QString()
                                                      : QString::fromUtf8(sqlite3_errmsg(m_connection.handle()));
    sqlite3_reset(m_statement.get());
    if (stepResult != SQLITE_DONE)
        throw RuntimeError(err::DatabaseEngine, message);
}

void PreparedStatement::bindNull(int position)
{
    check(sqlite3_bind_null(m_statement.get(), position));
}

void PreparedStatement::bindInteger(int position, qint64 value)
{
    check(sqlite3_bind_int64(m_statement.get(), position, value));
}

void PreparedStatement::bindNumber(int position, double value)
{
    check(sqlite3_bind_double(m_statement.get(), position, value));
}

void PreparedStatement::bindText(int position, QByteArrayView utf8)
{
    // A bound text of no bytes needs a pointer all the same, or it reads as Null.
    static const char empty = '\0';
    check(sqlite3_bind_text64(m_statement.get(), position, utf8.isEmpty() ? &empty : utf8.data(),
                              static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void PreparedStatement::bindText(int position, const QString& text)
{
    bindText(position, QByteArrayView(text.toUtf8()));
}

void PreparedStatement::execute()
{
    sqlite3_stmt* statement = m_statement.get();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    finishRun(rc);
}

bool PreparedStatement::next()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    finishRun(rc);
    return false;
}

bool PreparedStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

qint64 PreparedStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column);
}

double PreparedStatement::number(int column) const
{
    return sqlite3_column_double(m_statement.get(), column);
}

QString PreparedStatement::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement.get(), column));
}

qint64 PreparedStatement::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_connection.handle());
}

}  // namespace hv::data
