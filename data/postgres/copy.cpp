#include "data/postgres/copy.h"

#include "data/connection.h"
#include "data/postgres/rights.h"
#include "data/postgres/row_copy.h"
#include "data/postgres/session.h"
#include "data/recordset.h"
#include "core/runtime_error.h"
#include "data/postgres/schema.h"
#include "core/locale_text.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <optional>
#include <vector>

namespace hv::data {

namespace {

// A value read from the local file as the server takes it in text form.
std::optional<QByteArray> serverText(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QDateTime:
        return text::dateTimeToStorageText(value.toDateTime()).toUtf8();
    case QMetaType::Bool:
        return QByteArray(value.toBool() ? "-1" : "0");
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    default:
        return value.toString().toUtf8();
    }
}

QByteArray quotedName(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return (u'"' + quoted + u'"').toUtf8();
}

// Copies one table's rows, every column by name, with their IDs, through the
// COPY protocol in batches, each a COPY of its own that ends well within the
// server's statement time-out; returns the count.
long copyTable(Connection& local, PostgresSession& server, const QString& table, const ServerCopy::Batches& batches)
{
    Recordset rows;
    rows.Open(QStringLiteral("select * from [%1]").arg(table), local);
    QStringList names;
    for (int i = 0; i < rows.fieldCount(); ++i)
        names << rows.fieldName(i);
    long count = 0;
    std::optional<PostgresRowCopy> copy;
    QElapsedTimer batchClock;
    int inBatch = 0;
    for (; !rows.Eof(); rows.MoveNext()) {
        if (!copy) {
            copy.emplace(server, table, names);
            batchClock.start();
            inBatch = 0;
        }
        for (int i = 0; i < rows.fieldCount(); ++i) {
            const std::optional<QByteArray> value = serverText(rows.value(i));
            if (value)
                copy->bindText(i + 1, *value);
            else
                copy->bindNull(i + 1);
        }
        copy->add();
        if (++inBatch >= batches.rows || batchClock.hasExpired(batches.ms)) {
            count += copy->finish();
            copy.reset();
        }
    }
    if (copy)
        count += copy->finish();
    // New rows on the server get IDs past the ones copied.
    server.run("SELECT setval(pg_get_serial_sequence($1, 'ID'), coalesce((SELECT max(\"ID\") FROM " + quotedName(table)
                   + "), 0) + 1, false)",
               {quotedName(table)});
    return count;
}

}  // namespace

ServerCopy::Batches ServerCopy::Batches::standard()
{
    // A quarter of the statement time-out leaves room for a server that
    // slows down in the middle of a batch.
    return {100000, PostgresSession::waits().answerMs / 4};
}

long ServerCopy::copy(const QString& localConnectionString, const QString& serverAddress, const Batches& batches)
{
    Connection local;
    local.Open(localConnectionString);
    if (local.isServer())
        throw RuntimeError(err::DatabaseEngine, QStringLiteral("The copy reads a local database file, not a server."));
    PostgresSession server(serverAddress, false);
    const QStringList found = ServerSchema::existing(server);
    if (!found.isEmpty())
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("The database '%1' already holds %2. Hourvane copies only into a database "
                                          "without its tables; nothing was copied.")
                               .arg(server.address(), found.join(QStringLiteral(", "))));
    long count = 0;
    server.begin();
    try {
        server.runScript(ServerSchema::script());
        server.run("SET LOCAL hourvane.keep_orphans = 'on'");
        // The tables are new in this transaction, unseen by anyone else, and
        // the copy does itself what their triggers would do for each row
        // (the IDs' numbering; the links are off anyway). The copy makes the
        // database: it is where the journal begins, not a change in it.
        for (const char* table : {"Employees", "Work Codes", "Work Hours"})
            server.run("ALTER TABLE " + quotedName(QString::fromLatin1(table)) + " DISABLE TRIGGER USER");
        for (const char* table : {"Employees", "Work Codes", "Work Hours"})
            count += copyTable(local, server, QString::fromLatin1(table), batches);
        for (const char* table : {"Employees", "Work Codes", "Work Hours"})
            server.run("ALTER TABLE " + quotedName(QString::fromLatin1(table)) + " ENABLE TRIGGER USER");
        ServerRights::makeGroupsIfAllowed(server);
        server.commit();
    } catch (...) {
        if (server.inTransaction())
            server.rollback();
        throw;
    }
    return count;
}

}  // namespace hv::data
