#include "data/prepared_statement.h"

#include "data/connection.h"
#include "data/engine.h"
#include "data/engine_statement.h"

namespace hv::data {

PreparedStatement::PreparedStatement(Connection& connection, const QString& sql)
    : m_connection(&connection), m_statement(connection.engine().prepare(sql))
{
    connection.attach(this);
}

PreparedStatement::~PreparedStatement()
{
    if (m_statement)
        m_connection->detach(this);
}

void PreparedStatement::release()
{
    m_statement.reset();
}

EngineStatement& PreparedStatement::statement() const
{
    if (!m_statement)
        throw Connection::unusable();
    return *m_statement;
}

void PreparedStatement::bindNull(int position)
{
    statement().bindNull(position);
}

void PreparedStatement::bindInteger(int position, qint64 value)
{
    statement().bindInteger(position, value);
}

void PreparedStatement::bindNumber(int position, double value)
{
    statement().bindNumber(position, value);
}

void PreparedStatement::bindText(int position, QByteArrayView utf8)
{
    statement().bindText(position, utf8);
}

void PreparedStatement::bindText(int position, const QString& text)
{
    bindText(position, QByteArrayView(text.toUtf8()));
}

void PreparedStatement::execute()
{
    statement().execute();
}

bool PreparedStatement::next()
{
    return statement().next();
}

bool PreparedStatement::isNull(int column) const
{
    return statement().isNull(column);
}

qint64 PreparedStatement::integer(int column) const
{
    return statement().integer(column);
}

double PreparedStatement::number(int column) const
{
    return statement().number(column);
}

QString PreparedStatement::text(int column) const
{
    return statement().text(column);
}

bool PreparedStatement::isNumber(int column) const
{
    return statement().isNumber(column);
}

qint64 PreparedStatement::lastInsertId() const
{
    return statement().lastInsertId();
}

}  // namespace hv::data
