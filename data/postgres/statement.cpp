#include "data/postgres/statement.h"

#include "core/runtime_error.h"
#include "core/utf8_text.h"
#include "data/postgres/session.h"

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

PostgresStatement::PostgresStatement(PostgresSession& session, const QString& sql)
    : ServerValues(0, 1000), m_session(session)
{
    static std::atomic<int> counter = 0;
    m_name = "hourvane_statement_" + QByteArray::number(++counter);
    m_session.prepareNamed(m_name, serverPlaceholders(sql));
}

PostgresStatement::~PostgresStatement()
{
    m_session.release(m_name);
}

const char* PostgresStatement::cell(int column) const
{
    return PQgetvalue(m_result.get(), m_row, column);
}

int PostgresStatement::cellLength(int column) const
{
    return PQgetlength(m_result.get(), m_row, column);
}

void PostgresStatement::execute()
{
    m_result = m_session.runPrepared(m_name, values());
    m_result.reset();
}

bool PostgresStatement::next()
{
    if (!m_result) {
        m_result = m_session.runPrepared(m_name, values());
        m_row = -1;
    }
    if (++m_row < PQntuples(m_result.get()))
        return true;
    m_result.reset();  // ready to run again
    return false;
}

bool PostgresStatement::isNull(int column) const
{
    return PQgetisnull(m_result.get(), m_row, column) != 0;
}

qint64 PostgresStatement::integer(int column) const
{
    const char* text = cell(column);
    if (text[0] == 't' || text[0] == 'f')
        return text[0] == 't' ? 1 : 0;  // a boolean
    qint64 value = 0;
    std::from_chars(text, text + cellLength(column), value);
    return value;
}

double PostgresStatement::number(int column) const
{
    double value = 0.0;
    std::from_chars(cell(column), cell(column) + cellLength(column), value);
    return value;
}

QString PostgresStatement::text(int column) const
{
    QString text = text::textFromUtf8(cell(column), cellLength(column));
    const Oid type = PQftype(m_result.get(), column);
    if ((type == kTimestampOid || type == kDateOid) && text.size() == 19 && text.at(10) == u' ') {
        if (text.endsWith(QLatin1String(" 00:00:00")))
            text.truncate(10);
        else
            text[10] = u'T';
    }
    return text;
}

bool PostgresStatement::isNumber(int column) const
{
    const Oid type = PQftype(m_result.get(), column);
    return std::find(std::begin(kNumberOids), std::end(kNumberOids), type) != std::end(kNumberOids);
}

qint64 PostgresStatement::lastInsertId() const
{
    const ServerResultHandle result = m_session.run("SELECT lastval()");
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

}  // namespace hv::data
