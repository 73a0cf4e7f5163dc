#include "data/connection.h"

#include "core/runtime_error.h"
#include "data/bulk_insert.h"
#include "data/change_journal.h"
#include "data/engine.h"
#include "data/postgres/address.h"
#include "data/postgres/session.h"
#include "data/prepared_statement.h"
#include "data/recordset.h"
#include "data/sqlite/session.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>

namespace hv::data {

namespace {

// How long an open or a statement waits for a lock that another program
// holds; read by the threads that check pages and make backups too.
std::atomic<int> g_lockTimeoutMs{5000};

std::function<void(const QString&)>& upgradeBackupHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

std::function<QString(const QString&)>& damageAdviceHook()
{
    static std::function<QString(const QString&)> hook;
    return hook;
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

// Takes `item` off the list of what is open on a connection.
template <class T>
void forget(std::vector<T*>& items, T* item)
{
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    if (m_engine) {
        try {
            Close();
        } catch (...) {
            // Closing cannot fail once open; nothing to report from a destructor.
        }
    }
}

void Connection::Open(const QString& connectionString, PageCheck check,
                      CheckTiming timing)
{
    if (m_engine)
        throw RuntimeError(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));

    if (ServerAddress::isServerAddress(connectionString)) {
        m_engine = std::make_unique<PostgresSession>(connectionString, true, engineOptions());
    } else {
        const std::optional<QString> source = dataSourceOf(connectionString);
        if (!source || source->isEmpty())
            throw RuntimeError(err::DatabaseEngine,
                               QStringLiteral("The connection string names no data source: '%1'.").arg(connectionString));
        m_engine = std::make_unique<SqliteSession>(*source, check, timing, [this] { turnedReadOnly(); },
                                                   engineOptions());
    }
    if (!m_engine->readOnlyReason().isEmpty()) {
        turnedReadOnly();
        return;
    }
    // The changes past what the journal keeps go once per open, rather than
    // on the way of every write: now, or once the pages checked beside the
    // program are known to take writes.
    m_trimAfterCheck = true;
    if (timing == CheckTiming::AtOpen)
        afterPageCheck();
}

bool Connection::pageCheckDone()
{
    if (!m_engine || !m_engine->settlePageCheck(false))
        return !m_engine;
    afterPageCheck();
    return true;
}

void Connection::waitForPageCheck()
{
    if (!m_engine)
        return;
    m_engine->settlePageCheck(true);
    afterPageCheck();
}

void Connection::afterPageCheck()
{
    if (!std::exchange(m_trimAfterCheck, false) || !m_engine->readOnlyReason().isEmpty())
        return;
    try {
        m_engine->journal().trim();
    } catch (const RuntimeError&) {
        // Dropped at a later open; the journal is sound meanwhile.
    }
}

void Connection::setUpgradeBackup(std::function<void(const QString& databasePath)> backUp)
{
    upgradeBackupHook() = std::move(backUp);
}

EngineOptions Connection::engineOptions()
{
    return {g_lockTimeoutMs, upgradeBackupHook(), damageAdviceHook()};
}

void Connection::setDamageAdvice(std::function<QString(const QString& databasePath)> advice)
{
    damageAdviceHook() = std::move(advice);
}

ChangeJournal& Connection::journal()
{
    return engine().journal();
}

RuntimeError Connection::unusable()
{
    return {err::ConnectionUnusable,
            QStringLiteral("The connection cannot be used to perform this operation. It is either "
                           "closed or invalid in this context.")};
}

Engine& Connection::engine() const
{
    if (!m_engine)
        throw unusable();
    return *m_engine;
}

Engine& engineOf(const Connection& connection)
{
    return connection.engine();
}

void Connection::turnedReadOnly() const
{
    if (m_readOnlyHandler)
        m_readOnlyHandler();
}

bool Connection::isReadOnly() const
{
    return m_engine && !m_engine->readOnlyReason().isEmpty();
}

bool Connection::isDamaged() const
{
    return m_engine && m_engine->isDamaged();
}

bool Connection::checkedFully() const
{
    return m_engine && m_engine->checkedFully();
}

QString Connection::readOnlyReason() const
{
    return m_engine ? m_engine->readOnlyReason() : QString();
}

bool Connection::changedElsewhere()
{
    return m_engine && m_engine->changedElsewhere();
}

int Connection::changeSocket() const
{
    return m_engine ? m_engine->changeSocket() : -1;
}

bool Connection::isServer() const
{
    return m_engine && !m_engine->serverHost().isEmpty();
}

QString Connection::serverHost() const
{
    return m_engine ? m_engine->serverHost() : QString();
}

bool Connection::plainTextBeyondThisComputer() const
{
    return m_engine && m_engine->plainTextBeyondThisComputer();
}

void Connection::allowPlainTextBeyondThisComputer(bool allowed)
{
    PostgresSession::allowPlainTextBeyondThisComputer(allowed);
}

void Connection::setPasswordProvider(std::function<std::optional<QString>(const QString& address)> provider)
{
    PostgresSession::setPasswordProvider(std::move(provider));
}

qint64 Connection::highestIdEver(const QString& table)
{
    return engine().highestIdEver(table);
}

void Connection::reserveIdsUpTo(const QString& table, qint64 highest)
{
    engine().reserveIdsUpTo(table, highest);
}

void Connection::keepEntriesWithoutRecords()
{
    engine().keepEntriesWithoutRecords();
}

void Connection::setReadOnlyHandler(std::function<void()> handler)
{
    m_readOnlyHandler = std::move(handler);
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

void Connection::Execute(const QString& sql, long* recordsAffected)
{
    const long affected = engine().execute(sql);
    if (recordsAffected)
        *recordsAffected = affected;
}

void Connection::Close()
{
    if (!m_engine)
        throw RuntimeError(err::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    // Recordsets still open hold a read lock on the file, and statements
    // belong to the engine: both go first.
    const std::vector<Recordset*> recordsets = m_recordsets;
    for (Recordset* recordset : recordsets) {
        if (recordset->state() == Recordset::StateOpen)
            recordset->Close();
    }
    m_recordsets.clear();
    const std::vector<BulkInsert*> bulkInserts = m_bulkInserts;
    for (BulkInsert* insert : bulkInserts)
        insert->release();
    m_bulkInserts.clear();
    const std::vector<PreparedStatement*> statements = m_statements;
    for (PreparedStatement* statement : statements)
        statement->release();
    m_statements.clear();
    m_engine.reset();
    m_trimAfterCheck = false;
}

int Connection::state() const
{
    return m_engine ? StateOpen : StateClosed;
}

QString Connection::dataSource() const
{
    return m_engine ? m_engine->dataSource() : QString();
}

void Connection::BeginTrans()
{
    engine().begin();
}

void Connection::CommitTrans()
{
    engine().commit();
}

void Connection::RollbackTrans()
{
    engine().rollback();
}

bool Connection::inTransaction() const
{
    return m_engine && m_engine->inTransaction();
}

Transaction::Transaction(Connection& connection, const QString& description) : m_connection(connection)
{
    m_connection.BeginTrans();
    if (description.isEmpty())
        return;
    try {
        m_connection.engine().describeChange(description);
    } catch (...) {
        m_connection.RollbackTrans();
        throw;
    }
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

const SqlDialect& Connection::dialect() const
{
    return engine().dialect();
}

void Connection::attach(Recordset* recordset)
{
    m_recordsets.push_back(recordset);
}

void Connection::detach(Recordset* recordset)
{
    forget(m_recordsets, recordset);
}

void Connection::attach(PreparedStatement* statement)
{
    m_statements.push_back(statement);
}

void Connection::detach(PreparedStatement* statement)
{
    forget(m_statements, statement);
}

void Connection::attach(BulkInsert* insert)
{
    m_bulkInserts.push_back(insert);
}

void Connection::detach(BulkInsert* insert)
{
    forget(m_bulkInserts, insert);
}

}  // namespace hv::data
