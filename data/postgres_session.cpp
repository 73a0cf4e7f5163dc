#include "postgres_session.h"

#include "connection.h"
#include "postgres_cursor.h"
#include "server_address.h"
#include "server_schema.h"

#include <QHash>
#include <QStringList>

namespace hv::data {

namespace {

PostgresSession::PasswordProvider& passwordProvider()
{
    static PostgresSession::PasswordProvider provider;
    return provider;
}

// Passwords that let a session in during this run, by address. Never written
// anywhere.
QHash<QString, QString>& knownPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

RuntimeError engineError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

QString connectionMessage(PGconn* connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).simplified();
}

ServerConnectionHandle connectWith(const QString& uri, const std::optional<QString>& password)
{
    const QByteArray dbname = uri.toUtf8();
    const QByteArray secret = password ? password->toUtf8() : QByteArray();
    // Later keywords win: the address's own settings override the defaults
    // before it, and a typed password is added after it.
    std::vector<const char*> keywords = {"connect_timeout", "fallback_application_name", "dbname"};
    std::vector<const char*> values = {"10", "Hourvane", dbname.constData()};
    if (password) {
        keywords.push_back("password");
        values.push_back(secret.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    return ServerConnectionHandle(PQconnectdbParams(keywords.data(), values.data(), 1));
}

// What the program's statements may be: one select, insert, update or delete.
void requireProgramStatement(const SqlDialect& dialect, const QString& sql, bool reading)
{
    const SqlDialect::Shape shape = dialect.shape(sql);
    if (shape.trailingText)
        throw engineError(QStringLiteral("Characters found after end of SQL statement."));
    const QString verb = shape.verb.toLower();
    if (verb.isEmpty())
        throw engineError(QStringLiteral("Invalid SQL statement; expected 'DELETE', 'INSERT', 'SELECT', or 'UPDATE'."));
    const bool known = verb == u"select" || verb == u"insert" || verb == u"update" || verb == u"delete";
    if (!known || (verb == u"select" && shape.selectInto))
        throw engineError(QStringLiteral("Only select, insert, update and delete statements can be run: '%1'.").arg(sql));
    if (reading && verb != u"select")
        throw engineError(QStringLiteral("A recordset only reads data; '%1' would change it.").arg(sql));
}

}  // namespace

PostgresSession::PostgresSession(const QString& uri, bool requireSchema)
    : m_uri(uri.trimmed()), m_address(ServerAddress::withoutPassword(uri.trimmed()))
{
    const QString problem = ServerAddress::problem(m_uri);
    if (!problem.isEmpty())
        throw engineError(problem);
    connect(m_uri);
    setUp();
    if (requireSchema)
        ServerSchema::check(*this);
    loadCatalog();
}

PostgresSession::~PostgresSession() = default;

void PostgresSession::setPasswordProvider(PasswordProvider provider)
{
    passwordProvider() = std::move(provider);
}

void PostgresSession::forgetPasswords()
{
    knownPasswords().clear();
}

void PostgresSession::connect(const QString& uri)
{
    std::optional<QString> password;
    if (knownPasswords().contains(m_address))
        password = knownPasswords().value(m_address);
    ServerConnectionHandle connection = connectWith(uri, password);
    if (PQstatus(connection.get()) != CONNECTION_OK && PQconnectionNeedsPassword(connection.get())) {
        if (!passwordProvider())
            throw engineError(QStringLiteral("The database server for '%1' asks for a password, and none is known. "
                                             "Give it in a password file (~/.pgpass or PGPASSFILE).")
                                  .arg(m_address));
        password = passwordProvider()(m_address);
        if (!password)
            throw engineError(QStringLiteral("The database server for '%1' asks for a password; none was given, "
                                             "so Hourvane has not connected.")
                                  .arg(m_address));
        connection = connectWith(uri, password);
    }
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        if (password)
            knownPasswords().remove(m_address);
        throw engineError(QStringLiteral("Cannot connect to the database server for '%1': %2")
                              .arg(m_address, connectionMessage(connection.get())));
    }
    if (password)
        knownPasswords().insert(m_address, *password);
    // The server's notices are not the user's business: nothing on stderr.
    PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
    m_connection = std::move(connection);
    m_prepared.clear();
}

void PostgresSession::setUp()
{
    PGconn* connection = m_connection.get();
    if (PQserverVersion(connection) < 110000)
        throw engineError(QStringLiteral("The database server for '%1' runs PostgreSQL %2; Hourvane needs version 11 or "
                                         "newer.")
                              .arg(m_address, QString::fromUtf8(PQparameterStatus(connection, "server_version"))));
    const QByteArray settings =
        "SET standard_conforming_strings = on; SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; "
        "SET IntervalStyle = 'postgres'; SET extra_float_digits = 1; SET TimeZone = 'UTC'; "
        "SET default_transaction_isolation = 'serializable'; SET lock_timeout = "
        + QByteArray::number(Connection::lockTimeout());
    ServerResultHandle result(PQexec(connection, settings.constData()));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw failure(result.get());
    // A backslash in typed text must never be read as an escape.
    const char* conforming = PQparameterStatus(connection, "standard_conforming_strings");
    if (!conforming || qstrcmp(conforming, "on") != 0)
        throw engineError(QStringLiteral("The database server for '%1' does not keep standard_conforming_strings "
                                         "on; Hourvane does not write to it.")
                              .arg(m_address));
    ServerResultHandle readOnly(PQexec(connection, "SHOW transaction_read_only"));
    if (PQresultStatus(readOnly.get()) == PGRES_TUPLES_OK && PQntuples(readOnly.get()) == 1
        && qstrcmp(PQgetvalue(readOnly.get(), 0, 0), "on") == 0)
        m_readOnlyReason = QStringLiteral("The database server for '%1' takes no writes (a read-only server or "
                                          "database): what it holds is shown, and nothing will be written to it.")
                               .arg(m_address);
    else
        m_readOnlyReason.clear();
}

void PostgresSession::loadCatalog()
{
    const ServerResultHandle result = run(
        "SELECT c.relname, a.attname, coalesce(bt.typname, t.typname), t.typname, c.oid, a.attnum "
        "FROM pg_class c "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "JOIN pg_type t ON t.oid = a.atttypid "
        "LEFT JOIN pg_type bt ON bt.oid = t.typbasetype AND t.typtype = 'd' "
        "WHERE c.relnamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema()) "
        "AND c.relkind IN ('r', 'v') ORDER BY c.oid, a.attnum");
    QHash<QString, TableColumns> tables;
    m_yesNoColumns.clear();
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const QString table = QString::fromUtf8(PQgetvalue(result.get(), row, 0));
        const QString column = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
        const QByteArray base = PQgetvalue(result.get(), row, 2);
        const bool yesNo = qstrcmp(PQgetvalue(result.get(), row, 3), "hourvane_yesno") == 0;
        ColumnKind kind = ColumnKind::Other;
        if (yesNo || base == "bool")
            kind = ColumnKind::YesNo;
        else if (base.startsWith("int"))
            kind = ColumnKind::Integer;
        else if (base.startsWith("float") || base == "numeric")
            kind = ColumnKind::Number;
        else if (base.startsWith("timestamp") || base == "date")
            kind = ColumnKind::Date;
        else if (base == "text" || base == "varchar" || base == "bpchar")
            kind = ColumnKind::Text;
        if (yesNo)
            m_yesNoColumns.insert({static_cast<Oid>(QByteArray(PQgetvalue(result.get(), row, 4)).toULong()),
                                   QByteArray(PQgetvalue(result.get(), row, 5)).toInt()});
        TableColumns& columns = tables[table.toLower()];
        columns.tableName = table;
        columns.names << column;
        columns.kindByLowerName.insert(column.toLower(), kind);
    }
    m_dialect = std::make_unique<SqlDialect>(SqlTarget::Postgres, std::move(tables));
}

QString PostgresSession::hostName() const
{
    return ServerAddress::hostName(m_uri);
}

void PostgresSession::ensureConnected()
{
    // A transaction that went with its connection is not carried on as single
    // statements on a new one: every step is refused until it is ended.
    if (m_inTransaction && !serverTransactionOpen())
        throw transactionLost();
    if (PQstatus(m_connection.get()) == CONNECTION_OK)
        return;
    // Once per step: the server may have restarted, or the network come back.
    PQreset(m_connection.get());
    m_prepared.clear();
    if (PQstatus(m_connection.get()) != CONNECTION_OK)
        throw engineError(QStringLiteral("Cannot reach the database server for '%1': %2")
                              .arg(m_address, connectionMessage(m_connection.get())));
    setUp();
}

RuntimeError PostgresSession::failure(PGresult* result) const
{
    PGconn* connection = m_connection.get();
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString message = primary ? QString::fromUtf8(primary) : connectionMessage(connection);
    if (PQstatus(connection) != CONNECTION_OK)
        return engineError(QStringLiteral("The connection to the database server for '%1' was lost: %2 Hourvane "
                                          "connects again at the next step.")
                               .arg(m_address, message));
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    if (state == "40001" || state == "40P01")
        return engineError(QStringLiteral("Another person changed the same data at the same time, so the database "
                                          "server refused this step and nothing of it was written (%1). Try again.")
                               .arg(message));
    if (state == "55P03")
        return engineError(QStringLiteral("Another person's work keeps this data locked for longer than Hourvane "
                                          "waits, so nothing of this step was written (%1). Try again.")
                               .arg(message));
    return engineError(message);
}

ServerResultHandle PostgresSession::run(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values)
{
    ensureConnected();
    std::vector<const char*> pointers;
    for (const std::optional<QByteArray>& value : values)
        pointers.push_back(value ? value->constData() : nullptr);
    ServerResultHandle result(PQexecParams(m_connection.get(), sql.constData(), static_cast<int>(values.size()),
                                           nullptr, pointers.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw failure(result.get());
    return result;
}

void PostgresSession::prepare(const QByteArray& name, const QByteArray& sql)
{
    ensureConnected();
    const ServerResultHandle result(PQprepare(m_connection.get(), name.constData(), sql.constData(), 0, nullptr));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw failure(result.get());
    m_prepared.insert(name);
}

ServerResultHandle PostgresSession::runPrepared(const QByteArray& name,
                                                const std::vector<std::optional<QByteArray>>& values)
{
    ensureConnected();
    if (!m_prepared.contains(name))
        throw engineError(QStringLiteral("The connection to the database server for '%1' was made again, and the "
                                         "work that was under way is lost; start it again.")
                              .arg(m_address));
    std::vector<const char*> pointers;
    for (const std::optional<QByteArray>& value : values)
        pointers.push_back(value ? value->constData() : nullptr);
    ServerResultHandle result(PQexecPrepared(m_connection.get(), name.constData(), static_cast<int>(values.size()),
                                             pointers.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw failure(result.get());
    return result;
}

void PostgresSession::release(const QByteArray& name)
{
    if (!m_prepared.remove(name) || PQstatus(m_connection.get()) != CONNECTION_OK
        || PQtransactionStatus(m_connection.get()) == PQTRANS_INERROR)
        return;
    PQclear(PQexec(m_connection.get(), "DEALLOCATE " + name));
}

namespace {

// The table's ID numbering, for the program's own statements.
const QByteArray kNumbering = "pg_get_serial_sequence(format('%I', $1::text), 'ID')::regclass";

}  // namespace

qint64 PostgresSession::highestIdEver(const QString& table)
{
    QString name = table;
    const QByteArray quoted = (u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"').toUtf8();
    const ServerResultHandle result = run("SELECT greatest(coalesce(pg_sequence_last_value(" + kNumbering
                                              + "), 0), coalesce((SELECT max(\"ID\") FROM " + quoted + "), 0))",
                                          {table.toUtf8()});
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

void PostgresSession::reserveIdsUpTo(const QString& table, qint64 highest)
{
    if (highest <= 0)
        return;
    run("SELECT setval(" + kNumbering + ", greatest($2::bigint, coalesce(pg_sequence_last_value(" + kNumbering
            + "), 0)))",
        {table.toUtf8(), QByteArray::number(highest)});
}

void PostgresSession::runScript(const QByteArray& sql)
{
    ensureConnected();
    const ServerResultHandle result(PQexec(m_connection.get(), sql.constData()));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK && PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw failure(result.get());
}

RuntimeError PostgresSession::nulRefused()
{
    return engineError(QStringLiteral("A text holds the character NUL (code 0), which a database on a server "
                                      "cannot store; nothing was written."));
}

ServerResultHandle PostgresSession::runStatement(const QString& sql, bool reading)
{
    // The statement goes to the server as a C string: a NUL would cut it short.
    if (sql.contains(QChar(0)))
        throw nulRefused();
    requireProgramStatement(*m_dialect, sql, reading);
    ensureConnected();
    // Whatever a statement before may have set, a backslash is never an escape.
    const char* conforming = PQparameterStatus(m_connection.get(), "standard_conforming_strings");
    if (!conforming || qstrcmp(conforming, "on") != 0)
        setUp();
    if (!reading && m_dialect->shape(sql).verb.compare(u"select", Qt::CaseInsensitive) != 0
        && !m_readOnlyReason.isEmpty())
        throw engineError(m_readOnlyReason);
    const QByteArray text = m_dialect->translate(sql).toUtf8();
    if (!inTransaction())
        return run(text);
    // A failed statement inside a transaction is undone alone, and the
    // transaction goes on, as on the local file.
    run("SAVEPOINT hourvane_step");
    try {
        ServerResultHandle result = run(text);
        run("RELEASE SAVEPOINT hourvane_step");
        return result;
    } catch (const RuntimeError&) {
        if (PQstatus(m_connection.get()) == CONNECTION_OK)
            PQclear(PQexec(m_connection.get(), "ROLLBACK TO SAVEPOINT hourvane_step"));
        throw;
    }
}

long PostgresSession::execute(const QString& sql)
{
    const ServerResultHandle result = runStatement(sql, false);
    // A select changes no row, whatever it read.
    if (PQresultStatus(result.get()) == PGRES_TUPLES_OK)
        return 0;
    return QByteArray(PQcmdTuples(result.get())).toLong();
}

std::unique_ptr<RowCursor> PostgresSession::query(const QString& sql)
{
    return std::make_unique<PostgresCursor>(runStatement(sql, true), m_yesNoColumns);
}

bool PostgresSession::serverTransactionOpen() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_connection.get());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

RuntimeError PostgresSession::transactionLost() const
{
    return engineError(QStringLiteral("The connection to the database server for '%1' was lost, and with it the "
                                      "work under way: nothing of it was written.")
                           .arg(m_address));
}

void PostgresSession::begin()
{
    if (m_inTransaction)
        throw engineError(QStringLiteral("A transaction is already open on this connection."));
    if (!m_readOnlyReason.isEmpty())
        throw engineError(m_readOnlyReason);
    run("BEGIN ISOLATION LEVEL SERIALIZABLE");
    m_inTransaction = true;
}

void PostgresSession::commit()
{
    if (!m_inTransaction)
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    m_inTransaction = false;
    if (!serverTransactionOpen())
        throw transactionLost();
    const ServerResultHandle result = run("COMMIT");
    // A transaction the server had already failed ends in a rollback.
    if (qstrcmp(PQcmdStatus(result.get()), "COMMIT") != 0)
        throw engineError(QStringLiteral("The database server undid the whole transaction; nothing of it was "
                                         "written."));
}

void PostgresSession::rollback()
{
    if (!m_inTransaction)
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    m_inTransaction = false;
    // A transaction lost with its connection was undone by the server.
    if (serverTransactionOpen())
        run("ROLLBACK");
}

bool PostgresSession::inTransaction() const
{
    return m_inTransaction;
}

}  // namespace hv::data
