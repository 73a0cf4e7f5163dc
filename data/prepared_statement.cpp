#include "data/prepared_statement.h"

#include "data/connection.h"
#include "data/sqlite/failure_text.h"
#include "data/postgres/session.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"
#include "core/utf8_text.h"

#include <algorithm>
#include <atomic>
#include <charconv>

namespace hv::data {

namespace {

constexpr Oid kTimestampOid = 1114;
constexpr Oid kDateOid = 1082;
// The server's number types: int2, int4, int8, float4, float8, numeric.
constexpr Oid kNumberOids[] = {21, 23, 20, 700, 701, 1700};

// The text with each ? (or ?N) outside quotes written as the server's $N.
QByteArray serverPlaceholders(const QString& sql)
{
    QString out;
    int next = 0;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            qsizetype end = i + 1;
            while (end < sql.size() && sql.at(end).isDigit())
                ++end;
            const int number = end > i + 1 ? sql.mid(i + 1, end - i - 1).toInt() : ++next;
            out += u'$' + QString::number(number);
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out.toUtf8();
}

}  // namespace

PreparedStatement::PreparedStatement(Connection& connection, const QString& sql) : m_connection(connection)
{
    if (PostgresSession* server = connection.serverSession()) {
        static std::atomic<int> counter = 0;
        m_server = server;
        m_name = "hourvane_statement_" + QByteArray::number(++counter);
        m_server->prepare(m_name, serverPlaceholders(sql));
        return;
    }
    sqlite3* db = connection.handle();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    m_statement.reset(raw);
    check(rc);
}

PreparedStatement::~PreparedStatement()
{
    if (m_server)
        m_server->release(m_name);
}

void PreparedStatement::bind(int position, std::optional<QByteArray> value)
{
    if (position < 1 || position > 1000)
        throw RuntimeError(err::DatabaseEngine, QStringLiteral("column index out of range"));
    // Values go to the server as C strings: a NUL would cut one short.
    if (value && value->contains('\0'))
        throw PostgresSession::nulRefused();
    if (m_values.size() < static_cast<size_t>(position))
        m_values.resize(static_cast<size_t>(position));
    m_values[static_cast<size_t>(position - 1)] = std::move(value);
}

const char* PreparedStatement::cell(int column) const
{
    return PQgetvalue(m_result.get(), m_row, column);
}

void PreparedStatement::Finalizer::operator()(sqlite3_stmt* statement) const noexcept
{
    StatementFinalizer()(statement);
}

void PreparedStatement::check(int resultCode) const
{
    if (resultCode != SQLITE_OK)
        throw RuntimeError(err::DatabaseEngine, engineFailureText(m_connection.handle()));
}

void PreparedStatement::finishRun(int stepResult)
{
    // The engine's message is read before the reset, which would replace it.
    const QString message = stepResult == SQLITE_DONE ? QString() : engineFailureText(m_connection.handle());
    sqlite3_reset(m_statement.get());
    if (stepResult != SQLITE_DONE)
        throw RuntimeError(err::DatabaseEngine, message);
}

void PreparedStatement::bindNull(int position)
{
    if (m_server)
        return bind(position, std::nullopt);
    check(sqlite3_bind_null(m_statement.get(), position));
}

void PreparedStatement::bindInteger(int position, qint64 value)
{
    if (m_server)
        return bind(position, QByteArray::number(value));
    check(sqlite3_bind_int64(m_statement.get(), position, value));
}

void PreparedStatement::bindNumber(int position, double value)
{
    if (m_server)
        return bind(position, QByteArray::number(value, 'g', 17));
    check(sqlite3_bind_double(m_statement.get(), position, value));
}

void PreparedStatement::bindText(int position, QByteArrayView utf8)
{
    if (m_server)
        return bind(position, utf8.toByteArray());
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
    if (m_server) {
        m_result = m_server->runPrepared(m_name, m_values);
        m_result.reset();
        return;
    }
    sqlite3_stmt* statement = m_statement.get();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    finishRun(rc);
}

bool PreparedStatement::next()
{
    if (m_server) {
        if (!m_result) {
            m_result = m_server->runPrepared(m_name, m_values);
            m_row = -1;
        }
        if (++m_row < PQntuples(m_result.get()))
            return true;
        m_result.reset();  // ready to run again
        return false;
    }
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    finishRun(rc);
    return false;
}

bool PreparedStatement::isNull(int column) const
{
    if (m_server)
        return PQgetisnull(m_result.get(), m_row, column) != 0;
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

qint64 PreparedStatement::integer(int column) const
{
    if (m_server) {
        const char* text = cell(column);
        if (text[0] == 't' || text[0] == 'f')
            return text[0] == 't' ? 1 : 0;  // a boolean
        qint64 value = 0;
        std::from_chars(text, text + PQgetlength(m_result.get(), m_row, column), value);
        return value;
    }
    return sqlite3_column_int64(m_statement.get(), column);
}

double PreparedStatement::number(int column) const
{
    if (m_server) {
        double value = 0.0;
        std::from_chars(cell(column), cell(column) + PQgetlength(m_result.get(), m_row, column), value);
        return value;
    }
    return sqlite3_column_double(m_statement.get(), column);
}

QString PreparedStatement::text(int column) const
{
    if (m_server) {
        QString text = textFromUtf8(cell(column), PQgetlength(m_result.get(), m_row, column));
        const Oid type = PQftype(m_result.get(), column);
        if ((type == kTimestampOid || type == kDateOid) && text.size() == 19 && text.at(10) == u' ') {
            if (text.endsWith(QLatin1String(" 00:00:00")))
                text.truncate(10);
            else
                text[10] = u'T';
        }
        return text;
    }
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return textFromUtf8(bytes, sqlite3_column_bytes(m_statement.get(), column));
}

bool PreparedStatement::isNumber(int column) const
{
    if (m_server) {
        const Oid type = PQftype(m_result.get(), column);
        return std::find(std::begin(kNumberOids), std::end(kNumberOids), type) != std::end(kNumberOids);
    }
    const int type = sqlite3_column_type(m_statement.get(), column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

qint64 PreparedStatement::lastInsertId() const
{
    if (m_server) {
        const ServerResultHandle result = m_server->run("SELECT lastval()");
        return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
    }
    return sqlite3_last_insert_rowid(m_connection.handle());
}

}  // namespace hv::data
