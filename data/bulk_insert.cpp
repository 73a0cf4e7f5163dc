#include "data/bulk_insert.h"

#include "data/connection.h"
#include "data/engine.h"
#include "data/engine_statement.h"
#include "data/row_copy.h"

namespace hv::data {

BulkInsert::BulkInsert(Connection& connection, const QString& table, const QStringList& columns, Ids ids)
    : m_connection(&connection), m_idsNeeded(ids == Ids::Needed)
{
    if (!m_idsNeeded)
        m_copy = connection.engine().copyRows(table, columns);
    if (!m_copy) {
        QStringList names;
        QStringList marks;
        for (const QString& column : columns) {
            names << Connection::quoted(column);
            marks << QStringLiteral("?");
        }
        // The new ID comes back with the insert: on a server the journal's
        // own rows would stand between an insert and a later question for it.
        m_insert = connection.engine().prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)%4")
                .arg(Connection::quoted(table), names.join(u','), marks.join(u','),
                     m_idsNeeded ? QStringLiteral(" RETURNING \"ID\"") : QString()));
    }
    connection.attach(this);
}

BulkInsert::~BulkInsert()
{
    if (m_copy || m_insert)
        m_connection->detach(this);
}

void BulkInsert::release()
{
    m_copy.reset();
    m_insert.reset();
}

ValueBinding& BulkInsert::values() const
{
    if (m_copy)
        return *m_copy;
    if (m_insert)
        return *m_insert;
    throw Connection::unusable();
}

void BulkInsert::bindNull(int position)
{
    values().bindNull(position);
}

void BulkInsert::bindInteger(int position, qint64 value)
{
    values().bindInteger(position, value);
}

void BulkInsert::bindNumber(int position, double value)
{
    values().bindNumber(position, value);
}

void BulkInsert::bindText(int position, QByteArrayView utf8)
{
    values().bindText(position, utf8);
}

void BulkInsert::bindText(int position, const QString& text)
{
    bindText(position, QByteArrayView(text.toUtf8()));
}

qint64 BulkInsert::add()
{
    values();  // raises once released
    if (m_copy) {
        m_copy->add();
        return 0;
    }
    if (!m_idsNeeded) {
        m_insert->execute();
        return 0;
    }
    const qint64 id = m_insert->next() ? m_insert->integer(0) : 0;
    while (m_insert->next()) {
    }
    return id;
}

void BulkInsert::finish()
{
    values();  // raises once released
    if (m_copy)
        m_copy->finish();
}

}  // namespace hv::data
