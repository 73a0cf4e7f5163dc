#include "data/postgres/session.h"

#include "data/connection.h"
#include "data/postgres/cursor.h"
#include "data/postgres/journal.h"
#include "data/postgres/address.h"
#include "data/postgres/schema.h"
#include "data/postgres/rights.h"
#include "data/postgres/row_copy.h"
#include "data/postgres/statement.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <atomic>
#include <climits>
#include <future>
#include <thread>
#include <utility>

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

// A notice of the tables' changes as the server's trigger writes it
// (notify.sql): "schema txid seal".
struct SealedNotice {
    QByteArray schema;
    qint64 txid = 0;
    QByteArray seal;
};

std::optional<SealedNotice> sealedNotice(const QByteArray& text)
{
    const qsizetype last = text.lastIndexOf(' ');
    const qsizetype middle = last > 0 ? text.lastIndexOf(' ', last - 1) : -1;
    if (middle <= 0)
        return std::nullopt;
    bool number = false;
    SealedNotice notice{text.left(middle), text.mid(middle + 1, last - middle - 1).toLongLong(&number), text.mid(last + 1)};
    if (!number || notice.seal.isEmpty())
        return std::nullopt;
    return notice;
}

RuntimeError engineError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

// What the server or the login's rights refuse, which is no fault.
RuntimeError refusal(const QString& description)
{
    return RuntimeError::refusal(err::DatabaseEngine, description);
}

QString connectionMessage(PGconn* connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).simplified();
}

// What to do when the certificate of a server off this computer, checked
// because the address asked for nothing else, could not be verified (or the
// server offers no encryption); empty for any other failure.
QString certificateAdvice(const QString& uri, const QString& message)
{
    if (!ServerAddress::wantsVerifiedEncryption(uri))
        return {};
    const bool aboutEncryption = message.contains(QLatin1String("certificate"), Qt::CaseInsensitive)
        || message.contains(QLatin1String("SSL"), Qt::CaseInsensitive)
        || message.contains(QLatin1String("root.crt"), Qt::CaseInsensitive);
    if (!aboutEncryption)
        return {};
    return QStringLiteral(" Hourvane encrypts the connection to a server that is not on this computer and checks "
                          "the server's certificate and name (sslmode=verify-full), which failed here. Put the "
                          "certificate of the authority that signed the server's certificate in "
                          "~/.postgresql/root.crt, or name it in the address (sslrootcert=FILE), and connect by the "
                          "name the certificate carries; or, only on a network you trust, ask for less in the "
                          "address (sslmode=require encrypts without the check, sslmode=disable does not encrypt).");
}

PostgresSession::Waits& currentWaits()
{
    static PostgresSession::Waits waits;
    return waits;
}

// A wait in whole seconds, for the messages ("1 second", "30 seconds").
QString seconds(int milliseconds)
{
    const int whole = std::max(1, (milliseconds + 999) / 1000);
    return whole == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(whole);
}

enum class Ready { Yes, TimedOut, Failed };

// Waits until the socket can be read (or, with `writing`, written) or the
// deadline passes.
Ready waitOn(int socket, bool writing, const QDeadlineTimer& deadline)
{
    if (socket < 0)
        return Ready::Failed;
    pollfd watched{socket, static_cast<short>(writing ? POLLIN | POLLOUT : POLLIN), 0};
    for (;;) {
        const qint64 left = std::max<qint64>(0, deadline.remainingTime());
        const int found = ::poll(&watched, 1, static_cast<int>(std::min<qint64>(left, INT_MAX)));
        if (found > 0)
            return Ready::Yes;
        if (found == 0)
            return Ready::TimedOut;
        if (errno != EINTR)
            return Ready::Failed;
    }
}

// Connects without blocking, polling libpq's socket until the connection is
// made, fails, or `waitMs` has passed (then `timedOut` is set and the
// unfinished connection is returned, for the caller to drop).
ServerConnectionHandle connectWith(const QString& uri, const std::optional<QString>& password, int waitMs,
                                   bool& timedOut)
{
    const QByteArray dbname = uri.toUtf8();
    const QByteArray secret = password ? password->toUtf8() : QByteArray();
    const QByteArray connectTimeout = QByteArray::number(std::max(2, (waitMs + 999) / 1000));
    const QByteArray userTimeout = QByteArray::number(currentWaits().answerMs);
    // Later keywords win: the address's own settings override the defaults
    // before it, and a typed password is added after it. Keepalives find a
    // network that went away while the connection was idle; tcp_user_timeout
    // drops a connection whose sent data nobody acknowledges.
    std::vector<const char*> keywords = {"connect_timeout", "fallback_application_name", "keepalives",
                                         "keepalives_idle", "keepalives_interval", "keepalives_count",
                                         "tcp_user_timeout"};
    std::vector<const char*> values = {connectTimeout.constData(), "Hourvane", "1", "30", "10", "3",
                                       userTimeout.constData()};
    // Off this computer the wire is encrypted and the server's certificate
    // and name checked, unless the address asks for something else.
    if (ServerAddress::wantsVerifiedEncryption(uri)) {
        keywords.push_back("sslmode");
        values.push_back("verify-full");
    }
    keywords.push_back("dbname");
    values.push_back(dbname.constData());
    if (password) {
        keywords.push_back("password");
        values.push_back(secret.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    ServerConnectionHandle connection(PQconnectStartParams(keywords.data(), values.data(), 1));
    timedOut = false;
    if (!connection || PQstatus(connection.get()) == CONNECTION_BAD)
        return connection;
    const QDeadlineTimer deadline(waitMs);
    PostgresPollingStatusType polling = PGRES_POLLING_WRITING;
    while (polling != PGRES_POLLING_OK && polling != PGRES_POLLING_FAILED) {
        // The socket may change as libpq tries the next host.
        const Ready ready = waitOn(PQsocket(connection.get()), polling == PGRES_POLLING_WRITING, deadline);
        if (ready == Ready::TimedOut) {
            timedOut = true;
            return connection;
        }
        polling = PQconnectPoll(connection.get());
    }
    return connection;
}

struct CancelFreer {
    void operator()(PGcancel* cancel) const noexcept { PQfreeCancel(cancel); }
};

bool isError(const PGresult* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY;
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

PostgresSession::PostgresSession(const QString& uri, bool requireSchema, const EngineOptions& options)
    : m_uri(uri.trimmed()), m_address(ServerAddress::withoutPassword(uri.trimmed())),
      m_lockTimeoutMs(options.lockTimeoutMs),
      m_journal(std::make_unique<PostgresJournal>(*this))
{
    const QString problem = ServerAddress::problem(m_uri);
    if (!problem.isEmpty())
        throw engineError(problem);
    connect(m_uri);
    setUp();
    if (requireSchema) {
        ServerSchema::check(*this);
        m_loginReadOnlyReason = ServerRights::readOnlyReason(*this);
    }
    loadCatalog();
}

PostgresSession::~PostgresSession()
{
    // A cancel request under way ends before the session does. The server's
    // main process answers it even while the process serving the session is
    // stuck, so the wait is short unless the network itself is gone.
    if (m_cancelThread.joinable())
        m_cancelThread.join();
}

bool PostgresSession::requestCancel(const QDeadlineTimer& deadline)
{
    // One request at a time: a server that has not answered the last one
    // would not answer another.
    if (m_cancelThread.joinable()) {
        if (m_cancelAnswer.valid() && m_cancelAnswer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            return false;
        m_cancelThread.join();
    }
    std::unique_ptr<PGcancel, CancelFreer> cancel(PQgetCancel(m_connection.get()));
    if (!cancel)
        return false;
    std::promise<bool> taken;
    m_cancelAnswer = taken.get_future();
    m_cancelThread = std::thread([cancel = std::move(cancel), taken = std::move(taken)]() mutable {
        char error[256];
        taken.set_value(PQcancel(cancel.get(), error, sizeof error) == 1);
    });
    const auto left = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
    return m_cancelAnswer.wait_for(left) == std::future_status::ready && m_cancelAnswer.get();
}

void PostgresSession::setPasswordProvider(PasswordProvider provider)
{
    passwordProvider() = std::move(provider);
}

void PostgresSession::forgetPasswords()
{
    knownPasswords().clear();
}

void PostgresSession::setWaits(const Waits& waits)
{
    currentWaits() = waits;
}

PostgresSession::Waits PostgresSession::waits()
{
    return currentWaits();
}

namespace {

std::atomic<bool>& plainTextAllowed()
{
    static std::atomic<bool> allowed{false};
    return allowed;
}

}  // namespace

void PostgresSession::allowPlainTextBeyondThisComputer(bool allowed)
{
    plainTextAllowed() = allowed;
}

void PostgresSession::connect(const QString& uri, int connectMs)
{
    // Hours and passwords do not cross a network in plain text by a setting
    // left in an address: the user asks for it outright.
    if (!plainTextAllowed() && ServerAddress::refusesEncryptionBeyondThisComputer(uri))
        throw engineError(QStringLiteral("The address '%1' turns encryption off (sslmode=disable) for a server that "
                                         "is not on this computer, so hours and passwords would cross the network "
                                         "as plain text. Ask for encryption in the address (sslmode=verify-full, "
                                         "or sslmode=require), or, only on a network you trust, start Hourvane "
                                         "with --allow-unencrypted.")
                              .arg(m_address));
    const int waitMs = connectMs > 0 ? connectMs : currentWaits().connectMs;
    std::optional<QString> password;
    if (knownPasswords().contains(m_address))
        password = knownPasswords().value(m_address);
    bool timedOut = false;
    ServerConnectionHandle connection = connectWith(uri, password, waitMs, timedOut);
    if (!timedOut && PQstatus(connection.get()) != CONNECTION_OK && PQconnectionNeedsPassword(connection.get())) {
        if (!passwordProvider())
            throw engineError(QStringLiteral("The database server for '%1' asks for a password, and none is known. "
                                             "Give it in a password file (~/.pgpass or PGPASSFILE).")
                                  .arg(m_address));
        password = passwordProvider()(m_address);
        if (!password)
            throw engineError(QStringLiteral("The database server for '%1' asks for a password; none was given, "
                                             "so Hourvane has not connected.")
                                  .arg(m_address));
        connection = connectWith(uri, password, waitMs, timedOut);
    }
    if (timedOut)
        throw engineError(QStringLiteral("Cannot connect to the database server for '%1': it has not answered "
                                         "within %2. Hourvane tries again at the next step.")
                              .arg(m_address, seconds(waitMs)));
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        if (password)
            knownPasswords().remove(m_address);
        const QString message = connectionMessage(connection.get());
        throw engineError(QStringLiteral("Cannot connect to the database server for '%1': %2%3")
                              .arg(m_address, message, certificateAdvice(uri, message)));
    }
    if (password)
        knownPasswords().insert(m_address, *password);
    // The server's notices are not the user's business: nothing on stderr.
    PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
    // Every wait is the program's own, on the socket, with a deadline.
    PQsetnonblocking(connection.get(), 1);
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
    // The server stops a statement when the program would stop waiting for it.
    const QByteArray settings =
        "SET standard_conforming_strings = on; SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; "
        "SET IntervalStyle = 'postgres'; SET extra_float_digits = 3; SET TimeZone = 'UTC'; "
        "SET default_transaction_isolation = 'serializable'; SET lock_timeout = "
        + QByteArray::number(m_lockTimeoutMs)
        + "; SET statement_timeout = " + QByteArray::number(currentWaits().answerMs);
    const ServerResultHandle result = exchange([&](PGconn* c) { return PQsendQuery(c, settings.constData()); });
    if (isError(result.get()))
        throw failure(result.get());
    // A backslash in typed text must never be read as an escape.
    const char* conforming = PQparameterStatus(m_connection.get(), "standard_conforming_strings");
    if (!conforming || qstrcmp(conforming, "on") != 0)
        throw engineError(QStringLiteral("The database server for '%1' does not keep standard_conforming_strings "
                                         "on; Hourvane does not write to it.")
                              .arg(m_address));
    // Every change to the tables is told to the programs listening; the
    // transactions that ended before now are no concern of this connection.
    const ServerResultHandle listening = exchange([](PGconn* c) {
        return PQsendQuery(c, "LISTEN hourvane_changes; SELECT current_schema(), "
                              "txid_snapshot_xmin(txid_current_snapshot())");
    });
    if (PQresultStatus(listening.get()) == PGRES_TUPLES_OK && PQntuples(listening.get()) == 1) {
        m_schema = QByteArray(PQgetvalue(listening.get(), 0, 0));
        m_noticeFloor = QByteArray(PQgetvalue(listening.get(), 0, 1)).toLongLong();
        m_noticesBelieved.clear();
    }
    const ServerResultHandle readOnly =
        exchange([](PGconn* c) { return PQsendQuery(c, "SHOW transaction_read_only"); });
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
        "AND c.relkind IN ('r', 'v') "
        // The journal's names are not the program's: its "id" and
        // "description" must not stand for "ID" and "Description".
        "AND c.relname NOT IN ('hourvane_journal', 'hourvane_undone', 'hourvane_changes', 'hourvane_journal_net', "
        "'hourvane_change_rows', 'hourvane_change_net') "
        "ORDER BY c.oid, a.attnum");
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

QString PostgresSession::serverHost() const
{
    return ServerAddress::hostName(m_uri);
}

bool PostgresSession::plainTextBeyondThisComputer() const
{
    return m_connection && PQsslInUse(m_connection.get()) == 0 && ServerAddress::reachesBeyondThisComputer(m_uri);
}

void PostgresSession::ensureConnected(int connectMs)
{
    // While a copy streams its rows the connection takes nothing else.
    if (PQtransactionStatus(m_connection.get()) == PQTRANS_ACTIVE)
        throw engineError(QStringLiteral("A copy of rows is still under way on the connection to '%1'; nothing "
                                         "else can be sent until it ends.")
                              .arg(m_address));
    // A transaction that went with its connection is not carried on as single
    // statements on a new one: every step is refused until it is ended.
    if (m_inTransaction && !serverTransactionOpen())
        throw transactionLost();
    if (PQstatus(m_connection.get()) == CONNECTION_OK)
        return;
    // Once per step: the server may have restarted, or the network come back.
    m_connection.reset();
    m_prepared.clear();
    // What others did meanwhile went unheard.
    m_changedElsewhere = true;
    connect(m_uri, connectMs);
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
        return refusal(QStringLiteral("Another person changed the same data at the same time, so the database "
                                      "server refused this step and nothing of it was written (%1). Try again.")
                           .arg(message));
    if (state == "55P03")
        return refusal(QStringLiteral("Another person's work keeps this data locked for longer than Hourvane "
                                      "waits, so nothing of this step was written (%1). Try again.")
                           .arg(message));
    if (state == "42501")
        return refusal(QStringLiteral("The database server refused this step, as the login '%1' may not do it (%2). "
                                      "Nothing of it was written. Whoever owns Hourvane's tables can give the login "
                                      "its rights (hourvane --grant-access %1 editor).")
                           .arg(QString::fromUtf8(PQuser(connection)), message));
    if (state == "57014")
        return engineError(QStringLiteral("The database server for '%1' did not finish this step within %2, "
                                          "so it was stopped and nothing of it was written (%3). Try again.")
                               .arg(m_address, seconds(currentWaits().answerMs), message));
    return engineError(message);
}

RuntimeError PostgresSession::unanswered(bool committing) const
{
    const QString silence = QStringLiteral("The database server for '%1' has not answered for %2, so Hourvane "
                                           "stopped waiting")
                                .arg(m_address, seconds(currentWaits().answerMs));
    if (committing)
        return engineError(silence
                           + QStringLiteral(". Whether this step was written is not known until the server answers "
                                            "again: look before you do it again."));
    return engineError(silence + QStringLiteral(": nothing of this step was written. Hourvane connects again at the "
                                                "next step."));
}

RuntimeError PostgresSession::givenUp(bool committing)
{
    // A server that is only slow answers a cancel, and the connection stays;
    // one that does not is dropped, so that what the step began is undone.
    const int waitMs = currentWaits().answerMs;
    const QDeadlineTimer grace(std::min(currentWaits().cancelMs, waitMs));
    if (!requestCancel(grace) || !drain(grace)) {
        m_connection.reset();
        m_prepared.clear();
    }
    m_trouble = Trouble::Unanswered;
    return unanswered(committing);
}

RuntimeError PostgresSession::broken(PGresult* result)
{
    m_trouble = PQstatus(m_connection.get()) == CONNECTION_OK ? Trouble::Refused : Trouble::Dropped;
    return failure(result);
}

void PostgresSession::awaitServer(bool writing, QDeadlineTimer& deadline, bool committing)
{
    PGconn* connection = m_connection.get();
    const Ready ready = waitOn(PQsocket(connection), writing, deadline);
    if (ready == Ready::TimedOut)
        throw givenUp(committing);
    if (ready == Ready::Failed || !PQconsumeInput(connection))
        throw broken(nullptr);
    deadline = QDeadlineTimer(currentWaits().answerMs);
}

ServerResultHandle PostgresSession::exchange(const std::function<int(PGconn*)>& send, bool committing)
{
    m_trouble = Trouble::None;
    PGconn* connection = m_connection.get();
    if (!connection || !send(connection))
        throw broken(nullptr);
    // The deadline is for silence: it starts again whenever the server answers.
    QDeadlineTimer deadline(currentWaits().answerMs);
    int flushed;
    while ((flushed = PQflush(connection)) == 1)
        awaitServer(true, deadline, committing);
    if (flushed < 0)
        throw broken(nullptr);
    ServerResultHandle kept;
    for (;;) {
        while (PQisBusy(connection))
            awaitServer(false, deadline, committing);
        ServerResultHandle result(PQgetResult(connection));
        if (!result)
            break;
        // The server waits for the rows of a copy: the caller sends them.
        if (PQresultStatus(result.get()) == PGRES_COPY_IN)
            return result;
        if (!kept || !isError(kept.get()))
            kept = std::move(result);
    }
    m_lastState = kept && isError(kept.get()) ? QByteArray(PQresultErrorField(kept.get(), PG_DIAG_SQLSTATE))
                                              : QByteArray();
    if (!kept || isError(kept.get())) {
        if (PQstatus(connection) != CONNECTION_OK)
            m_trouble = Trouble::Dropped;
        else
            m_trouble = Trouble::Refused;
    }
    return kept;
}

bool PostgresSession::drain(const QDeadlineTimer& deadline)
{
    PGconn* connection = m_connection.get();
    for (;;) {
        while (PQisBusy(connection)) {
            if (waitOn(PQsocket(connection), false, deadline) != Ready::Yes || !PQconsumeInput(connection))
                return false;
        }
        const ServerResultHandle result(PQgetResult(connection));
        if (!result)
            return PQstatus(connection) == CONNECTION_OK;
        // A copy still waits for rows: it ends as a failure on the server,
        // which then answers like any other step.
        if (PQresultStatus(result.get()) == PGRES_COPY_IN && !failCopy(deadline))
            return false;
    }
}

bool PostgresSession::failCopy(const QDeadlineTimer& deadline)
{
    PGconn* connection = m_connection.get();
    if (PQputCopyEnd(connection, "the copy was given up") != 1)
        return false;
    int flushed;
    while ((flushed = PQflush(connection)) == 1) {
        if (waitOn(PQsocket(connection), true, deadline) != Ready::Yes || !PQconsumeInput(connection))
            return false;
    }
    return flushed == 0;
}

ServerResultHandle PostgresSession::run(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values)
{
    ensureConnected();
    std::vector<const char*> pointers;
    for (const std::optional<QByteArray>& value : values)
        pointers.push_back(value ? value->constData() : nullptr);
    ServerResultHandle result = exchange([&](PGconn* c) {
        return PQsendQueryParams(c, sql.constData(), static_cast<int>(values.size()), nullptr, pointers.data(), nullptr,
                                 nullptr, 0);
    });
    if (isError(result.get()))
        throw failure(result.get());
    return result;
}

void PostgresSession::prepareNamed(const QByteArray& name, const QByteArray& sql)
{
    ensureConnected();
    const ServerResultHandle result =
        exchange([&](PGconn* c) { return PQsendPrepare(c, name.constData(), sql.constData(), 0, nullptr); });
    if (isError(result.get()))
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
    ServerResultHandle result = exchange([&](PGconn* c) {
        return PQsendQueryPrepared(c, name.constData(), static_cast<int>(values.size()), pointers.data(), nullptr,
                                   nullptr, 0);
    });
    if (isError(result.get()))
        throw failure(result.get());
    return result;
}

void PostgresSession::release(const QByteArray& name)
{
    if (!m_prepared.remove(name) || PQstatus(m_connection.get()) != CONNECTION_OK
        || PQtransactionStatus(m_connection.get()) == PQTRANS_INERROR)
        return;
    try {
        exchange([&](PGconn* c) { return PQsendQuery(c, ("DEALLOCATE " + name).constData()); });
    } catch (const RuntimeError&) {
        // The statement goes with the connection in any case.
    }
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
    if (!readOnlyReason().isEmpty())
        throw refusal(readOnlyReason());
    if (highest <= 0)
        return;
    // Moved by the server's own function: the numbering is the owner's.
    run("SELECT hourvane_reserve_ids($1, $2)", {table.toUtf8(), QByteArray::number(highest)});
}

void PostgresSession::keepEntriesWithoutRecords()
{
    run("SET LOCAL hourvane.keep_orphans = 'on'");
}

ChangeJournal& PostgresSession::journal()
{
    return *m_journal;
}

void PostgresSession::describeChange(const QString& description)
{
    if (!m_inTransaction)
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    // Read by the journal's trigger when the transaction's first row makes
    // the change's record.
    run("SELECT set_config('hourvane.description', $1, true)", {description.toUtf8()});
}

void PostgresSession::beginCopy(const QByteArray& sql)
{
    if (!readOnlyReason().isEmpty())
        throw refusal(readOnlyReason());
    if (!m_inTransaction)
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    ensureConnected();
    run("SAVEPOINT hourvane_copy");
    const ServerResultHandle result = exchange([&](PGconn* c) { return PQsendQuery(c, sql.constData()); });
    if (PQresultStatus(result.get()) != PGRES_COPY_IN) {
        const RuntimeError refused = failure(result.get());
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_copy");
        throw refused;
    }
}

void PostgresSession::putCopy(const std::function<int(PGconn*)>& put)
{
    QDeadlineTimer deadline(currentWaits().answerMs);
    for (;;) {
        const int taken = put(m_connection.get());
        if (taken < 0 && PQstatus(m_connection.get()) == CONNECTION_OK) {
            // The server ended the copy early, with its reason.
            const ServerResultHandle result = exchange([](PGconn*) { return 1; });
            throw failure(result.get());
        }
        if (taken < 0)
            throw broken(nullptr);
        if (taken == 1)
            break;
        awaitServer(true, deadline, false);
        if (PQflush(m_connection.get()) < 0)
            throw broken(nullptr);
    }
    // libpq sends what it holds once its buffer fills; the rest goes here.
    int flushed;
    while ((flushed = PQflush(m_connection.get())) == 1)
        awaitServer(true, deadline, false);
    if (flushed < 0)
        throw broken(nullptr);
}

void PostgresSession::sendCopyData(const QByteArray& rows)
{
    if (rows.isEmpty())
        return;
    try {
        putCopy([&](PGconn* c) { return PQputCopyData(c, rows.constData(), static_cast<int>(rows.size())); });
    } catch (const RuntimeError&) {
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_copy");
        throw;
    }
}

long PostgresSession::endCopy()
{
    ServerResultHandle result;
    try {
        putCopy([](PGconn* c) { return PQputCopyEnd(c, nullptr); });
        result = exchange([](PGconn*) { return 1; });
    } catch (const RuntimeError&) {
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_copy");
        throw;
    }
    if (isError(result.get())) {
        const RuntimeError refused = failure(result.get());
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_copy");
        throw refused;
    }
    const long rows = QByteArray(PQcmdTuples(result.get())).toLong();
    run("RELEASE SAVEPOINT hourvane_copy");
    return rows;
}

void PostgresSession::abandonCopy(const char* reason) noexcept
{
    try {
        if (PQstatus(m_connection.get()) != CONNECTION_OK)
            return;
        putCopy([&](PGconn* c) { return PQputCopyEnd(c, reason); });
        exchange([](PGconn*) { return 1; });
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_copy");
    } catch (...) {
        // A connection that fails here is dropped, and the server undoes the copy with it.
    }
}

void PostgresSession::runScript(const QByteArray& sql)
{
    ensureConnected();
    const ServerResultHandle result = exchange([&](PGconn* c) { return PQsendQuery(c, sql.constData()); });
    if (isError(result.get()))
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
    const bool select = m_dialect->shape(sql).verb.compare(u"select", Qt::CaseInsensitive) == 0;
    if (!reading && !select && !readOnlyReason().isEmpty())
        throw refusal(readOnlyReason());
    const QByteArray text = m_dialect->translate(sql).toUtf8();
    if (!inTransaction())
        return runOutsideTransaction(text, select);
    ensureConnected();
    keepBackslashesText();
    // A failed statement inside a transaction is undone alone, and the
    // transaction goes on, as on the local file.
    run("SAVEPOINT hourvane_step");
    try {
        ServerResultHandle result = run(text);
        run("RELEASE SAVEPOINT hourvane_step");
        return result;
    } catch (const RuntimeError&) {
        sendQuietly("ROLLBACK TO SAVEPOINT hourvane_step");
        throw;
    }
}

ServerResultHandle PostgresSession::read(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values)
{
    if (m_inTransaction)
        return run(sql, values);
    // A snapshot of its own that takes part in nobody's serializable
    // conflicts: a read never makes another's save fail, and never fails
    // for one.
    run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    ServerResultHandle result;
    try {
        result = run(sql, values);
    } catch (const RuntimeError&) {
        sendQuietly("ROLLBACK");
        throw;
    }
    run("COMMIT");
    return result;
}

bool PostgresSession::concurrencyRefused() const
{
    return m_trouble == Trouble::Refused && (m_lastState == "40001" || m_lastState == "40P01");
}

void PostgresSession::pauseBeforeTryingAgain(int attempt)
{
    // Jitter, growing with each attempt, so that two sessions that collided
    // do not collide again at once.
    const int ceilingMs = kRetryBaseMs << std::min(attempt, 4);
    std::this_thread::sleep_for(
        std::chrono::milliseconds(ceilingMs / 2 + QRandomGenerator::global()->bounded(ceilingMs / 2 + 1)));
}

ServerResultHandle PostgresSession::runOutsideTransaction(const QByteArray& text, bool select)
{
    int refusals = 0;
    bool connectedAgain = false;
    for (;;) {
        m_trouble = Trouble::None;
        bool committing = false;
        bool refusedForOthers = false;
        try {
            ensureConnected();
            keepBackslashesText();
            if (select)
                return read(text);
            // The commit is sent only once the write has answered: a write
            // given up on is never done later, when a stopped server resumes,
            // and one whose connection dropped has done nothing.
            run("BEGIN");
            ServerResultHandle result;
            try {
                result = run(text);
            } catch (const RuntimeError&) {
                refusedForOthers = concurrencyRefused();
                sendQuietly("ROLLBACK");
                throw;
            }
            committing = true;
            finishCommit();
            return result;
        } catch (const RuntimeError&) {
            // The whole transaction is this one statement: one the server
            // refused for another's work at the same time (a commit refused
            // so wrote nothing either) is sent again, a few times, before
            // the user hears of it.
            if ((refusedForOthers || concurrencyRefused()) && ++refusals < kConcurrencyAttempts) {
                pauseBeforeTryingAgain(refusals);
                continue;
            }
            // A connection found gone (a server restarted since the last
            // step) is made again, and the step sent again, once.
            if (connectedAgain || committing || m_trouble != Trouble::Dropped)
                throw;
            connectedAgain = true;
        }
    }
}

void PostgresSession::keepBackslashesText()
{
    // Whatever a statement before may have set, a backslash is never an escape.
    const char* conforming = PQparameterStatus(m_connection.get(), "standard_conforming_strings");
    if (!conforming || qstrcmp(conforming, "on") != 0)
        setUp();
}

void PostgresSession::sendQuietly(const char* sql)
{
    if (PQstatus(m_connection.get()) != CONNECTION_OK)
        return;  // the server undoes what a dropped connection began
    try {
        exchange([&](PGconn* c) { return PQsendQuery(c, sql); });
    } catch (const RuntimeError&) {
        // Reported already by the step that failed.
    }
}

void PostgresSession::finishCommit()
{
    const ServerResultHandle result = exchange([](PGconn* c) { return PQsendQuery(c, "COMMIT"); }, true);
    if (m_trouble == Trouble::Dropped)
        throw engineError(QStringLiteral("The connection to the database server for '%1' was lost while this step "
                                         "was being written (%2). Whether it was written is not known until the "
                                         "server answers again: look before you do it again.")
                              .arg(m_address, connectionMessage(m_connection.get())));
    if (isError(result.get()))
        throw failure(result.get());
    // A transaction the server had already failed ends in a rollback.
    if (qstrcmp(PQcmdStatus(result.get()), "COMMIT") != 0)
        throw engineError(QStringLiteral("The database server undid the whole transaction; nothing of it was "
                                         "written."));
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

std::unique_ptr<EngineStatement> PostgresSession::prepare(const QString& sql)
{
    return std::make_unique<PostgresStatement>(*this, sql);
}

std::unique_ptr<RowCopy> PostgresSession::copyRows(const QString& table, const QStringList& columns)
{
    return std::make_unique<PostgresRowCopy>(*this, table, columns);
}

bool PostgresSession::changedElsewhere()
{
    PGconn* connection = m_connection.get();
    // Nothing is read in the middle of a step (a copy under way).
    if (PQstatus(connection) == CONNECTION_OK && PQtransactionStatus(connection) == PQTRANS_ACTIVE)
        return std::exchange(m_changedElsewhere, false);
    // A connection that broke (a server restarted) is made again here too,
    // so that the notices are heard again without waiting for a step.
    if (PQstatus(connection) == CONNECTION_OK && !PQconsumeInput(connection) && PQstatus(connection) == CONNECTION_OK)
        return std::exchange(m_changedElsewhere, false);
    if (PQstatus(connection) != CONNECTION_OK)
        listenAgain();
    bool changed = std::exchange(m_changedElsewhere, false);
    connection = m_connection.get();
    if (PQstatus(connection) != CONNECTION_OK)
        return changed;
    while (PGnotify* notice = PQnotifies(connection)) {
        if (notice->be_pid != PQbackendPID(connection)) {
            const std::optional<SealedNotice> sealed = sealedNotice(QByteArray(notice->extra));
            // Anyone may send a notice: one without the server's seal, one of
            // a transaction that ended before this connection or one already
            // believed costs nothing.
            if (sealed && sealed->schema == m_schema && sealed->txid >= m_noticeFloor
                && !m_noticesBelieved.contains(sealed->txid))
                m_noticesToCheck.insert(sealed->txid, sealed->seal);
        }
        PQfreemem(notice);
    }
    // The seals are checked by the server (one small read a notice),
    // between the program's own transactions.
    if (!m_noticesToCheck.isEmpty() && PQtransactionStatus(connection) == PQTRANS_IDLE) {
        const QMap<qint64, QByteArray> notices = std::exchange(m_noticesToCheck, {});
        for (auto notice = notices.begin(); notice != notices.end(); ++notice)
            changed = noticeTrue(notice.key(), notice.value()) || changed;
    }
    return changed;
}

void PostgresSession::listenAgain()
{
    if (m_inTransaction || !m_nextListen.hasExpired())
        return;
    try {
        // A short wait: the window waits on it.
        ensureConnected(std::min(currentWaits().connectMs, kListenConnectMs));
        m_listenPauseMs = 0;
    } catch (const RuntimeError&) {
        // Tried again after a pause that doubles, up to a bound.
        m_listenPauseMs = std::clamp(m_listenPauseMs * 2, kFirstListenPauseMs, kLongestListenPauseMs);
        m_nextListen.setRemainingTime(m_listenPauseMs);
    }
}

bool PostgresSession::noticeTrue(qint64 txid, const QByteArray& seal)
{
    try {
        const ServerResultHandle result =
            run("SELECT hourvane_notice_true($1, $2)", {QByteArray::number(txid), seal});
        if (qstrcmp(PQgetvalue(result.get(), 0, 0), "t") != 0)
            return false;
    } catch (const RuntimeError&) {
        // Unknown (a server that did not answer): a refill too many rather
        // than a change missed.
        return true;
    }
    // What was believed is kept for as long as a notice of it may come
    // again; past a bound, only the transactions that may still be running.
    if (m_noticesBelieved.size() >= kNoticesKept) {
        const qint64 floor = *std::min_element(m_noticesBelieved.begin(), m_noticesBelieved.end());
        m_noticesBelieved.remove(floor);
        m_noticeFloor = std::max(m_noticeFloor, floor + 1);
    }
    m_noticesBelieved.insert(txid);
    return true;
}

int PostgresSession::changeSocket() const
{
    return PQstatus(m_connection.get()) == CONNECTION_OK ? PQsocket(m_connection.get()) : -1;
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
    if (!readOnlyReason().isEmpty())
        throw refusal(readOnlyReason());
    for (int attempt = 1;; ++attempt) {
        m_trouble = Trouble::None;
        try {
            run("BEGIN ISOLATION LEVEL SERIALIZABLE");
            break;
        } catch (const RuntimeError&) {
            // Nothing was begun on a connection found gone: begin on a new one.
            if (attempt > 1 || m_trouble != Trouble::Dropped)
                throw;
        }
    }
    m_inTransaction = true;
}

void PostgresSession::commit()
{
    if (!m_inTransaction)
        throw engineError(QStringLiteral("No transaction is open on this connection."));
    m_inTransaction = false;
    if (!serverTransactionOpen())
        throw transactionLost();
    finishCommit();
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
