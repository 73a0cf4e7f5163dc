#include "connection.h"

#include "database_format.h"
#include "recordset.h"
#include "runtime_error.h"
#include "sql_dialect.h"
#include "sql_functions.h"
#include "sqlite_handles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <vector>

namespace hv::data {

namespace {

// How long a statement waits for a lock that another program holds.
constexpr int kBusyTimeoutMs = 5000;

RuntimeError engineError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

RuntimeError engineError(sqlite3* db)
{
    return engineError(QString::fromUtf8(sqlite3_errmsg(db)));
}

RuntimeError connectionUnusable()
{
    return {err::ConnectionUnusable,
            QStringLiteral("The connection cannot be used to perform this operation. It is either "
                           "closed or invalid in this context.")};
}

// The value of the "data source" key of a connection string of the form
// "key=value;key=value"; a value may be enclosed in double quotes (and then
// hold ';'). Nothing when the key is absent.
std::optional<QString> dataSourceOf(const QString& connectionString)
{
    qsizetype i = 0;
    const qsizetype size = connectionString.size();
    while (i < size) {
        const qsizetype equals = connectionString.indexOf(u'=', i);
        if (equals < 0)
            break;
        const QString key = connectionString.mid(i, equals - i).trimmed();
        qsizetype valueStart = equals + 1;
        while (valueStart < size && connectionString.at(valueStart) == u' ')
            ++valueStart;
        QString value;
        qsizetype next;
        if (valueStart < size && connectionString.at(valueStart) == u'"') {
            const qsizetype close = connectionString.indexOf(u'"', valueStart + 1);
            const qsizetype end = close < 0 ? size : close;
            value = connectionString.mid(valueStart + 1, end - valueStart - 1);
            next = connectionString.indexOf(u';', end);
        } else {
            next = connectionString.indexOf(u';', valueStart);
            value = connectionString.mid(valueStart, (next < 0 ? size : next) - valueStart).trimmed();
        }
        if (key.compare(u"data source", Qt::CaseInsensitive) == 0)
            return value;
        if (next < 0)
            break;
        i = next + 1;
    }
    return std::nullopt;
}

// Runs a query of one whole number (a pragma); the engine's result code.
int queryInt(sqlite3* db, const char* sql, int& value)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(raw);
    if (rc == SQLITE_ROW) {
        value = sqlite3_column_int(raw, 0);
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

RuntimeError unrecognizedFormat(const QString& path)
{
    return engineError(QStringLiteral("Unrecognized database format '%1'.").arg(path));
}

// Reads (never writes) the file's header and schema and raises unless the
// file is a database of this program.
void verifyDatabase(sqlite3* db, const QString& path)
{
    int applicationId = 0;
    int rc = queryInt(db, "PRAGMA application_id", applicationId);
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
        throw unrecognizedFormat(path);
    if (rc != SQLITE_OK)
        throw engineError(QStringLiteral("Could not read the database file '%1' (%2).")
                              .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
    if (applicationId != 0 && applicationId != format::kApplicationId)
        throw engineError(
            QStringLiteral("The file '%1' is a database of another program, not of Hourvane.").arg(path));
    int userVersion = 0;
    if (queryInt(db, "PRAGMA user_version", userVersion) == SQLITE_OK && userVersion > format::kUserVersion)
        throw engineError(
            QStringLiteral("The database '%1' was made by a newer version of Hourvane.").arg(path));

    QSet<QString> tables;
    QSet<QString> views;
    sqlite3_stmt* raw = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT type, name FROM sqlite_schema WHERE type IN ('table', 'view')", -1,
                            &raw, nullptr);
    StatementHandle statement(raw);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    for (; rc == SQLITE_ROW; rc = sqlite3_step(raw)) {
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1))).toLower();
        (type == u"view" ? views : tables).insert(name);
    }
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
        throw unrecognizedFormat(path);
    if (rc != SQLITE_DONE)
        throw engineError(QStringLiteral("Could not read the database file '%1' (%2).")
                              .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));

    QStringList missing;
    for (const char* table : format::kTables) {
        if (!tables.contains(QString::fromLatin1(table).toLower()))
            missing << QStringLiteral("the table [%1]").arg(QLatin1String(table));
    }
    for (const char* query : format::kQueries) {
        if (!views.contains(QString::fromLatin1(query).toLower()))
            missing << QStringLiteral("the query [%1]").arg(QLatin1String(query));
    }
    if (!missing.isEmpty())
        throw engineError(QStringLiteral("The file '%1' is not a Hourvane database: it lacks %2.")
                              .arg(path, missing.join(QStringLiteral(", "))));
}

// Statements handed to Execute or a recordset may read and change rows, never
// the structure of the database, its settings or the transaction state.
int authorizeStatement(void* guardActive, int action, const char*, const char*, const char*, const char*)
{
    if (!*static_cast<bool*>(guardActive))
        return SQLITE_OK;
    switch (action) {
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
    case SQLITE_ALTER_TABLE:
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_REINDEX:
    case SQLITE_ANALYZE:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

bool onlyBlanks(const char* text)
{
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != '\f' && *text != '\v')
            return false;
    }
    return true;
}

}  // namespace

struct Connection::Impl {
    DatabaseHandle db;
    std::unique_ptr<SqlDialect> dialect;
    QString path;
    // Set while a statement of the program is being compiled, so that the
    // authorizer applies to it and not to the layer's own queries.
    bool guardActive = false;
    std::vector<Recordset*> recordsets;
};

Connection::Connection() : m_impl(std::make_unique<Impl>())
{
}

Connection::~Connection()
{
    if (m_impl->db) {
        try {
            Close();
        } catch (...) {
            // Closing cannot fail once open; nothing to report from a destructor.
        }
    }
}

void Connection::Open(const QString& connectionString)
{
    if (m_impl->db)
        throw RuntimeError(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));

    const std::optional<QString> source = dataSourceOf(connectionString);
    if (!source || source->isEmpty())
        throw engineError(QStringLiteral("The connection string names no data source: '%1'.").arg(connectionString));
    const QString path = *source;
    const QFileInfo info(path);
    if (!info.exists())
        throw engineError(QStringLiteral("Could not find file '%1'.").arg(path));
    if (!info.isFile())
        throw engineError(QStringLiteral("'%1' is a folder, not a database file.").arg(path));
    // The engine takes an empty file for a new database and would write one
    // into it; an empty file is nobody's database.
    if (info.size() == 0)
        throw unrecognizedFormat(path);

    sqlite3* raw = nullptr;
    const QByteArray nativePath = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(nativePath.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK)
        throw engineError(QStringLiteral("Could not open the database file '%1' (%2).")
                              .arg(path, raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString()));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);

    verifyDatabase(raw, path);

    // A write reported done must survive a crash or a power cut: sync fully,
    // with the rollback journal (the engine's default).
    sqlite3_exec(raw, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    // A bracketed name is a name: one the database does not know is refused,
    // never read as a text in double quotes (which would, say, make a
    // misspelt column in a where clause match nothing and delete nothing).
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if (registerSqlFunctions(raw) != SQLITE_OK)
        throw engineError(raw);
    sqlite3_set_authorizer(raw, authorizeStatement, &m_impl->guardActive);

    m_impl->dialect = std::make_unique<SqlDialect>(raw);
    m_impl->path = path;
    m_impl->db = std::move(db);
}

StatementHandle Connection::prepare(const QString& sql) const
{
    sqlite3* db = handle();
    const QByteArray utf8 = m_impl->dialect->translate(sql).toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    m_impl->guardActive = true;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()), 0, &raw, &tail);
    m_impl->guardActive = false;
    StatementHandle statement(raw);
    if ((rc & 0xff) == SQLITE_AUTH)
        throw engineError(QStringLiteral("Only select, insert, update and delete statements can be run: '%1'.")
                              .arg(sql));
    if (rc != SQLITE_OK)
        throw engineError(db);
    if (!statement)
        throw engineError(QStringLiteral(
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'SELECT', or 'UPDATE'."));
    if (tail && !onlyBlanks(tail))
        throw engineError(QStringLiteral("Characters found after end of SQL statement."));
    return statement;
}

void Connection::Execute(const QString& sql, long* recordsAffected)
{
    const StatementHandle statement = prepare(sql);
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw engineError(m_impl->db.get());
    if (recordsAffected)
        *recordsAffected = sqlite3_stmt_readonly(statement.get()) ? 0 : static_cast<long>(sqlite3_changes64(m_impl->db.get()));
}

void Connection::Close()
{
    if (!m_impl->db)
        throw RuntimeError(err::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    // Recordsets still open hold a read lock on the file: close them first.
    const std::vector<Recordset*> recordsets = m_impl->recordsets;
    for (Recordset* recordset : recordsets) {
        if (recordset->state() == Recordset::StateOpen)
            recordset->Close();
    }
    m_impl->recordsets.clear();
    m_impl->dialect.reset();
    m_impl->db.reset();
    m_impl->path.clear();
}

int Connection::state() const
{
    return m_impl->db ? StateOpen : StateClosed;
}

QString Connection::dataSource() const
{
    return m_impl->path;
}

namespace {

void runControl(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(message);
        throw engineError(text);
    }
}

}  // namespace

void Connection::BeginTrans()
{
    sqlite3* db = handle();
    if (!sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("A transaction is already open on this connection."));
    // Takes the write lock now, so a second program waits here, not half-way.
    runControl(db, "BEGIN IMMEDIATE");
}

void Connection::CommitTrans()
{
    sqlite3* db = handle();
    if (sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    runControl(db, "COMMIT");
}

void Connection::RollbackTrans()
{
    sqlite3* db = handle();
    if (sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    runControl(db, "ROLLBACK");
}

bool Connection::inTransaction() const
{
    return m_impl->db && !sqlite3_get_autocommit(m_impl->db.get());
}

Transaction::Transaction(Connection& connection) : m_connection(connection)
{
    m_connection.BeginTrans();
}

Transaction::~Transaction()
{
    if (m_done || !m_connection.inTransaction())
        return;
    try {
        m_connection.RollbackTrans();
    } catch (const RuntimeError&) {
        // The engine undoes an unfinished transaction when the file closes.
    }
}

void Transaction::commit()
{
    m_connection.CommitTrans();
    m_done = true;
}

sqlite3* Connection::handle() const
{
    if (!m_impl->db)
        throw connectionUnusable();
    return m_impl->db.get();
}

const SqlDialect& Connection::dialect() const
{
    if (!m_impl->db)
        throw connectionUnusable();
    return *m_impl->dialect;
}

void Connection::attach(Recordset* recordset)
{
    m_impl->recordsets.push_back(recordset);
}

void Connection::detach(Recordset* recordset)
{
    auto& recordsets = m_impl->recordsets;
    recordsets.erase(std::remove(recordsets.begin(), recordsets.end(), recordset), recordsets.end());
}

}  // namespace hv::data
