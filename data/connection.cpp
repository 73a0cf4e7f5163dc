#include "data/connection.h"

#include "data/sqlite/failure_text.h"
#include "data/postgres/session.h"
#include "data/recordset.h"
#include "data/row_cursor.h"
#include "core/runtime_error.h"
#include "data/postgres/address.h"
#include "data/sql_dialect.h"
#include "data/sqlite/sql_functions.h"
#include "data/sqlite/cursor.h"
#include "data/sqlite/handles.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <vector>

namespace hv::data {

namespace {

// How long an open or a statement waits for a lock that another program holds.
int g_lockTimeoutMs = 5000;

RuntimeError engineError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

RuntimeError engineError(sqlite3* db)
{
    return engineError(engineFailureText(db));
}

// What a read-only connection to a damaged file says about every write.
QString readOnlyDamageText(const QString& finding, const QString& path)
{
    return finding + QStringLiteral("\nHourvane has opened it read-only: what can still be read is shown, and nothing "
                                    "will be written to it.\n\n")
        + DatabaseFileCheck::backupAdvice(path);
}

RuntimeError connectionUnusable()
{
    return {err::ConnectionUnusable,
            QStringLiteral("The connection cannot be used to perform this operation. It is either "
                           "closed or invalid in this context.")};
}

// The value of the "data source" key of a connection string of the form
// "key=value;key=value"; a value may be enclosed in double quotes (and then
// hold ';', '=' and, written twice, '"'). Nothing when the key is absent.
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
            qsizetype at = valueStart + 1;
            for (; at < size; ++at) {
                if (connectionString.at(at) != u'"') {
                    value.append(connectionString.at(at));
                } else if (at + 1 < size && connectionString.at(at + 1) == u'"') {
                    value.append(u'"');
                    ++at;
                } else {
                    break;
                }
            }
            next = connectionString.indexOf(u';', at);
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
    // The session with a server, for a connection string that is a server address.
    std::unique_ptr<PostgresSession> server;
    std::unique_ptr<SqlDialect> dialect;
    QString path;
    // Set while a statement of the program is being compiled, so that the
    // authorizer applies to it and not to the layer's own queries.
    bool guardActive = false;
    std::vector<Recordset*> recordsets;
    // Why writes are refused; empty while they are taken.
    QString readOnlyReason;
    bool damaged = false;
    // The open's check compared every page and index and found them sound.
    bool checkedFully = false;
    std::function<void()> readOnlyHandler;

    // Makes the engine itself refuse every change, whatever reaches it.
    void refuseWrites(const QString& reason)
    {
        readOnlyReason = reason;
        sqlite3_exec(db.get(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
    }
};

Connection::Connection() : m_impl(std::make_unique<Impl>())
{
}

Connection::~Connection()
{
    if (m_impl->db || m_impl->server) {
        try {
            Close();
        } catch (...) {
            // Closing cannot fail once open; nothing to report from a destructor.
        }
    }
}

void Connection::Open(const QString& connectionString, DatabaseFileCheck::PageCheck check)
{
    if (m_impl->db || m_impl->server)
        throw RuntimeError(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));

    if (ServerAddress::isServerAddress(connectionString)) {
        m_impl->server = std::make_unique<PostgresSession>(connectionString);
        m_impl->readOnlyReason = m_impl->server->readOnlyReason();
        m_impl->damaged = false;
        if (!m_impl->readOnlyReason.isEmpty() && m_impl->readOnlyHandler)
            m_impl->readOnlyHandler();
        return;
    }

    const std::optional<QString> source = dataSourceOf(connectionString);
    if (!source || source->isEmpty())
        throw engineError(QStringLiteral("The connection string names no data source: '%1'.").arg(connectionString));
    const QString path = *source;
    // Decided from the file's own bytes: the engine never sees (and never
    // rolls back the journal of) a file that is not ours.
    const DatabaseFileVerdict found = DatabaseFileCheck::inspect(path);
    if (found.kind == DatabaseFileVerdict::Damaged)
        throw engineError(found.reason + QStringLiteral("\nIt cannot be opened.\n\n") + DatabaseFileCheck::backupAdvice(path));
    if (!found.isSound())
        throw engineError(found.reason);

    sqlite3* raw = nullptr;
    const QByteArray nativePath = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(nativePath.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK)
        throw engineError(QStringLiteral("Could not open the database file '%1' (%2).")
                              .arg(path, raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString()));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, g_lockTimeoutMs);

    // The first read takes the file's lock (and undoes what an interrupted
    // write of this program left in the journal).
    DatabaseFileVerdict verdict = DatabaseFileCheck::checkSchema(raw, path);
    if (verdict.isSound())
        verdict = DatabaseFileCheck::checkPages(path, check);
    if (!verdict.isSound() && verdict.kind != DatabaseFileVerdict::Damaged)
        throw engineError(verdict.reason);

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
    m_impl->readOnlyReason.clear();
    m_impl->damaged = false;
    m_impl->checkedFully = check == DatabaseFileCheck::PageCheck::Full && verdict.isSound();
    if (verdict.kind == DatabaseFileVerdict::Damaged) {
        m_impl->damaged = true;
        m_impl->refuseWrites(readOnlyDamageText(verdict.reason, path));
    } else if (sqlite3_db_readonly(raw, "main") == 1) {
        m_impl->refuseWrites(
            QStringLiteral("The database '%1' cannot be written: the system lets Hourvane read it only. What it "
                           "holds is shown, and nothing will be written to it. Allow writing to the file and its "
                           "folder, then start Hourvane again.")
                .arg(path));
    }
    if (!m_impl->readOnlyReason.isEmpty() && m_impl->readOnlyHandler)
        m_impl->readOnlyHandler();
}

RuntimeError Connection::failure(int resultCode)
{
    sqlite3* db = m_impl->db.get();
    const DatabaseFileVerdict verdict = DatabaseFileCheck::engineVerdict(db, resultCode, m_impl->path);
    if (verdict.kind == DatabaseFileVerdict::Damaged) {
        becomeDamaged(verdict.reason);
        return engineError(m_impl->readOnlyReason);
    }
    if (verdict.kind == DatabaseFileVerdict::Locked)
        return engineError(verdict.reason);
    return engineError(db);
}

void Connection::becomeDamaged(const QString& finding)
{
    if (m_impl->damaged)
        return;
    const bool wasReadOnly = !m_impl->readOnlyReason.isEmpty();
    m_impl->damaged = true;
    m_impl->refuseWrites(readOnlyDamageText(finding, m_impl->path));
    if (!wasReadOnly && m_impl->readOnlyHandler)
        m_impl->readOnlyHandler();
}

bool Connection::isReadOnly() const
{
    return state() == StateOpen && !m_impl->readOnlyReason.isEmpty();
}

bool Connection::isDamaged() const
{
    return m_impl->db && m_impl->damaged;
}

bool Connection::checkedFully() const
{
    return m_impl->db && m_impl->checkedFully && !m_impl->damaged;
}

QString Connection::readOnlyReason() const
{
    return state() == StateOpen ? m_impl->readOnlyReason : QString();
}

bool Connection::isServer() const
{
    return m_impl->server != nullptr;
}

QString Connection::serverHost() const
{
    return m_impl->server ? m_impl->server->hostName() : QString();
}

void Connection::setPasswordProvider(std::function<std::optional<QString>(const QString& address)> provider)
{
    PostgresSession::setPasswordProvider(std::move(provider));
}

PostgresSession* Connection::serverSession() const
{
    return m_impl->server.get();
}

qint64 Connection::highestIdEver(const QString& table)
{
    requireOpen();
    if (m_impl->server)
        return m_impl->server->highestIdEver(table);
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
                           "coalesce((SELECT max(\"ID\") FROM \""
        + table.toUtf8().replace('"', "\"\"") + "\"), 0))";
    const int rc = sqlite3_prepare_v2(m_impl->db.get(), sql.constData(), -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        throw failure(rc);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(raw, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const int step = sqlite3_step(raw);
    if (step != SQLITE_ROW)
        throw failure(step);
    return sqlite3_column_int64(raw, 0);
}

void Connection::reserveIdsUpTo(const QString& table, qint64 highest)
{
    requireOpen();
    requireWritable();
    if (m_impl->server)
        return m_impl->server->reserveIdsUpTo(table, highest);
    const QByteArray name = table.toUtf8();
    for (const char* sql : {"INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 "
                            "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?1)",
                            "UPDATE sqlite_sequence SET seq = ?2 WHERE name = ?1 AND seq < ?2"}) {
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v2(m_impl->db.get(), sql, -1, &raw, nullptr);
        const StatementHandle statement(raw);
        if (rc != SQLITE_OK)
            throw failure(rc);
        sqlite3_bind_text(raw, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, highest);
        const int step = sqlite3_step(raw);
        if (step != SQLITE_DONE)
            throw failure(step);
    }
}

void Connection::keepEntriesWithoutRecords()
{
    requireOpen();
    // The local file never checks an entry's employee or work code.
    if (m_impl->server)
        m_impl->server->run("SET LOCAL hourvane.keep_orphans = 'on'");
}

void Connection::requireOpen() const
{
    if (state() != StateOpen)
        throw connectionUnusable();
}

std::unique_ptr<RowCursor> Connection::openCursor(const QString& sql)
{
    requireOpen();
    if (m_impl->server)
        return m_impl->server->query(sql);
    StatementHandle statement = prepare(sql);
    if (!sqlite3_stmt_readonly(statement.get()))
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("A recordset only reads data; '%1' would change it.").arg(sql));
    return std::make_unique<SqliteCursor>(std::move(statement), [this](int rc) { return failure(rc); });
}

void Connection::setReadOnlyHandler(std::function<void()> handler)
{
    m_impl->readOnlyHandler = std::move(handler);
}

void Connection::setLockTimeout(int milliseconds)
{
    g_lockTimeoutMs = std::max(0, milliseconds);
}

int Connection::lockTimeout()
{
    return g_lockTimeoutMs;
}

QString Connection::quoted(const QString& value)
{
    QString text = value;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

void Connection::requireWritable() const
{
    if (!m_impl->readOnlyReason.isEmpty())
        throw engineError(m_impl->readOnlyReason);
}

StatementHandle Connection::prepare(const QString& sql)
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
        throw failure(rc);
    if (!statement)
        throw engineError(QStringLiteral(
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'SELECT', or 'UPDATE'."));
    if (tail && !onlyBlanks(tail))
        throw engineError(QStringLiteral("Characters found after end of SQL statement."));
    return statement;
}

void Connection::Execute(const QString& sql, long* recordsAffected)
{
    if (m_impl->server) {
        const long affected = m_impl->server->execute(sql);
        if (recordsAffected)
            *recordsAffected = affected;
        return;
    }
    const StatementHandle statement = prepare(sql);
    if (!sqlite3_stmt_readonly(statement.get()))
        requireWritable();
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw failure(rc);
    if (recordsAffected)
        *recordsAffected = sqlite3_stmt_readonly(statement.get()) ? 0 : static_cast<long>(sqlite3_changes64(m_impl->db.get()));
}

void Connection::Close()
{
    if (state() != StateOpen)
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
    m_impl->server.reset();
    m_impl->path.clear();
    m_impl->readOnlyReason.clear();
    m_impl->damaged = false;
    m_impl->checkedFully = false;
}

int Connection::state() const
{
    return m_impl->db || m_impl->server ? StateOpen : StateClosed;
}

QString Connection::dataSource() const
{
    return m_impl->server ? m_impl->server->address() : m_impl->path;
}

void Connection::BeginTrans()
{
    if (m_impl->server)
        return m_impl->server->begin();
    sqlite3* db = handle();
    if (!sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("A transaction is already open on this connection."));
    requireWritable();
    // Takes the write lock now, so a second program waits here, not half-way.
    const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw failure(rc);
}

void Connection::CommitTrans()
{
    if (m_impl->server)
        return m_impl->server->commit();
    sqlite3* db = handle();
    if (sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    // A file found damaged since BeginTrans takes none of the transaction.
    if (!m_impl->readOnlyReason.isEmpty()) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        requireWritable();
    }
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw failure(rc);
}

void Connection::RollbackTrans()
{
    if (m_impl->server)
        return m_impl->server->rollback();
    sqlite3* db = handle();
    if (sqlite3_get_autocommit(db))
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    const int rc = sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw failure(rc);
}

bool Connection::inTransaction() const
{
    if (m_impl->server)
        return m_impl->server->inTransaction();
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
    if (m_impl->server)
        return m_impl->server->dialect();
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
