#pragma once

#include "data/engine.h"
#include "data/engine_options.h"
#include "data/postgres/handles.h"
#include "core/runtime_error.h"
#include "data/sql_dialect.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace hv::data {

// One session with a PostgreSQL server's database: what a Connection holds
// when its connection string is a server address. Every session runs with
// standard_conforming_strings on (a backslash in a literal is a backslash),
// ISO dates, the program's lock time-out, and every transaction that writes
// SERIALIZABLE, so that work of two people at once that could not have
// happened one after the other is refused by the server rather than
// half-kept. A read outside a transaction has a read-only snapshot of its own
// (REPEATABLE READ READ ONLY), which neither fails for others' writes nor
// makes them fail.
//
// A session whose connection drops connects again, once, within the same
// step when that is safe: a read, or a write outside a transaction, whose own
// transaction never reached its commit, is sent again on the new connection;
// any other step is reported with the server's or the network's message and
// the next step connects again. A statement the server refuses under
// concurrency (a serialization failure, a deadlock, a lock time-out) is
// reported in plain words and leaves nothing written; a write that is a
// transaction of its own is first sent again a few times, after a short
// pause with jitter, when the server refused it for a serialization failure
// or a deadlock.
//
// No wait on the server is unbounded (waits()): connecting gives up after
// connectMs; a statement whose answer goes silent for answerMs (the server's
// own statement_timeout is the same) is cancelled, and when the cancel is not
// answered within cancelMs either the connection is dropped, so that the
// server undoes what the step began. A write outside a transaction is sent
// inside one of its own whose commit follows only once the write has
// answered, so a step given up never takes effect later, when a stopped
// server resumes; only a commit itself left unanswered is reported as not
// known to have been written. TCP keepalives find a dead network while idle.
class PostgresJournal;
class PostgresRowCopy;

class PostgresSession final : public Engine {
public:
    // How long the session waits on the server, in milliseconds (by default
    // the usual time-outs of a database component: 15 s to connect, 30 s for
    // a command).
    struct Waits {
        int connectMs = 15000;
        int answerMs = 30000;
        int cancelMs = 5000;
    };

    // Asked when the server wants a password the address does not give; the
    // argument is the address without a password. Nothing means the user
    // gave none.
    using PasswordProvider = std::function<std::optional<QString>(const QString& address)>;

    // Connects and sets the session up. With `requireSchema`, the database
    // must hold the program's tables and stored queries of a version this
    // program knows; otherwise (for creating them) nothing is checked.
    // Raises a RuntimeError whose description says what is wrong. Of the
    // `options`, the server takes the lock time-out; it keeps its own backups
    // and reports damage itself.
    explicit PostgresSession(const QString& uri, bool requireSchema = true, const EngineOptions& options = {});
    ~PostgresSession() override;

    // The program's statements, in its own dialect: one select, insert,
    // update or delete each (anything else is refused before it is sent).
    long execute(const QString& sql) override;
    std::unique_ptr<RowCursor> query(const QString& sql) override;
    // A statement of the program's own, prepared on the server (PostgresStatement).
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    // The COPY protocol (PostgresRowCopy).
    std::unique_ptr<RowCopy> copyRows(const QString& table, const QStringList& columns) override;

    // The session listens for the tables' notifications (notify.sql) of this
    // schema; another session's commit, or a connection made again (which
    // may have missed some), counts as a change; a connection that broke is
    // made again here, not only at the next step. Anyone may send a notice,
    // so one counts only when the server finds its seal (notify.sql) its own,
    // once for each transaction.
    bool changedElsewhere() override;
    int changeSocket() const override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    const SqlDialect& dialect() const override { return *m_dialect; }
    // The address without a password, and the host it names.
    QString address() const { return m_address; }
    QString dataSource() const override { return m_address; }
    QString serverHost() const override;
    bool plainTextBeyondThisComputer() const override;
    // Whether an address that turns encryption off for a server beyond this
    // computer may connect (--allow-unencrypted); refused by default.
    static void allowPlainTextBeyondThisComputer(bool allowed);
    // Why writes are refused (a server or database that takes none, or a
    // login that may only read); empty while they are taken. It is settled
    // when the session connects.
    QString readOnlyReason() const override
    {
        return m_readOnlyReason.isEmpty() ? m_loginReadOnlyReason : m_readOnlyReason;
    }
    // The server keeps its own pages: nothing here is found damaged or checked.
    bool isDamaged() const override { return false; }
    bool checkedFully() const override { return false; }

    // The program's own SQL (its schema, its copies), sent as written with
    // the values as parameters (nullopt for Null); raises the server's message.
    ServerResultHandle run(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values = {});
    // The highest ID the table holds or has ever given out, and raising its
    // numbering to at least `highest`.
    qint64 highestIdEver(const QString& table) override;
    void reserveIdsUpTo(const QString& table, qint64 highest) override;
    // For the present transaction: entries may point at employees and work
    // codes that do not exist.
    void keepEntriesWithoutRecords() override;

    ChangeJournal& journal() override;
    void describeChange(const QString& description) override;

    // A read of the program's own SQL, as run() does; outside a transaction
    // in a read-only snapshot (REPEATABLE READ), which neither fails for
    // another's writes nor makes them fail.
    ServerResultHandle read(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values = {});

    // Several statements of the program's own, run as one transaction.
    void runScript(const QByteArray& sql);

    // The server asks for passwords through this; a password that let a
    // session in is kept in memory for the rest of the run, for the same address.
    static void setPasswordProvider(PasswordProvider provider);

    // The refusal of a text that holds a NUL, which the server cannot store.
    static RuntimeError nulRefused();
    static void forgetPasswords();

    // One setting for every session; a new session, or one connecting again,
    // takes it up.
    static void setWaits(const Waits& waits);
    static Waits waits();

private:
    friend class PostgresStatement;
    friend class PostgresRowCopy;

    // A statement of the program's own compiled once under `name` (its values
    // written $1, $2, ...), and run with new values; raises the server's message.
    void prepareNamed(const QByteArray& name, const QByteArray& sql);
    ServerResultHandle runPrepared(const QByteArray& name, const std::vector<std::optional<QByteArray>>& values);
    void release(const QByteArray& name);

    // How the last exchange with the server went wrong, if it did.
    enum class Trouble { None, Refused, Dropped, Unanswered };

    // Connects, waiting connectMs (waits() when not positive).
    void connect(const QString& uri, int connectMs = 0);
    void setUp();
    void loadCatalog();
    void ensureConnected(int connectMs = 0);
    // Connects again for the notices after a connection broke, outside a
    // transaction, at most once a pause that grows while the server cannot
    // be reached.
    void listenAgain();
    static constexpr int kListenConnectMs = 3000;
    static constexpr int kFirstListenPauseMs = 500;
    static constexpr int kLongestListenPauseMs = 15000;
    bool serverTransactionOpen() const;
    RuntimeError transactionLost() const;
    // Whether the server finds the seal of a notice of transaction `txid`
    // its own (true too when it cannot tell); keeps what it believed.
    bool noticeTrue(qint64 txid, const QByteArray& seal);
    RuntimeError failure(PGresult* result) const;
    // Sends with `send` and waits for the whole answer, no wait longer than
    // waits(); the first error result, or else the last result. A connection
    // that breaks raises failure(); a server that stays silent is given up
    // (cancelled, or dropped) and raises unanswered().
    ServerResultHandle exchange(const std::function<int(PGconn*)>& send, bool committing = false);
    // Waits for the server's next bytes (or, `writing`, room for ours) until
    // `deadline`, which starts again when they come; a silent server is given
    // up (givenUp()), a broken connection raises broken().
    void awaitServer(bool writing, QDeadlineTimer& deadline, bool committing);
    RuntimeError givenUp(bool committing);
    // Asks the server to cancel what the connection runs, waiting for its
    // answer until `deadline`; true when the server took the request.
    bool requestCancel(const QDeadlineTimer& deadline);
    RuntimeError broken(PGresult* result);

    // A copy of rows into a table (COPY ... FROM STDIN in the server's text
    // form), only inside a transaction and undone alone when it fails: begun
    // with its statement, fed with rows, and ended, which returns the number
    // of rows; one abandoned (or failed) writes nothing.
    void beginCopy(const QByteArray& sql);
    void sendCopyData(const QByteArray& rows);
    long endCopy();
    void abandonCopy(const char* reason) noexcept;
    // Hands the copy's bytes (or its end) to libpq, waiting for room.
    void putCopy(const std::function<int(PGconn*)>& put);
    // Reads the rest of the answer until `deadline`; false when it did not come.
    // A copy given up waits for no more rows: it is ended as a failure, so
    // that the server undoes it; false when that could not be sent by `deadline`.
    bool drain(const QDeadlineTimer& deadline);
    bool failCopy(const QDeadlineTimer& deadline);
    RuntimeError unanswered(bool committing) const;
    // Whether the last step was refused for a serialization failure or a
    // deadlock, and the pause (with jitter) before a statement is sent again.
    bool concurrencyRefused() const;
    static void pauseBeforeTryingAgain(int attempt);
    static constexpr int kConcurrencyAttempts = 5;
    static constexpr int kRetryBaseMs = 10;
    // Runs a program statement; in a transaction a failed one is undone alone.
    ServerResultHandle runStatement(const QString& sql, bool reading);
    // Outside a transaction: a read as it is, a write in a transaction of its
    // own; once more on a new connection when the one found had gone.
    ServerResultHandle runOutsideTransaction(const QByteArray& text, bool select);
    // Sets the session up again when a statement turned
    // standard_conforming_strings off.
    void keepBackslashesText();
    // Sends an ending (a rollback) whose failure adds nothing to the one reported.
    void sendQuietly(const char* sql);
    // Commits; a commit whose answer never came is reported as not known to
    // have been written.
    void finishCommit();

    // The statements prepared on the present connection (a new connection
    // after a drop has none of them).
    QSet<QByteArray> m_prepared;
    ServerConnectionHandle m_connection;
    // The last request to cancel a step, on a thread of its own (libpq's
    // request waits for the server without a limit), and its answer: true
    // when the server took it. Joined before the next request and when the
    // session ends.
    std::thread m_cancelThread;
    std::future<bool> m_cancelAnswer;
    // Begun and not yet ended by the program (the server's may have gone
    // with a lost connection).
    bool m_inTransaction = false;
    Trouble m_trouble = Trouble::None;
    // The SQLSTATE of the last step the server refused.
    QByteArray m_lastState;
    QString m_uri;
    QString m_address;
    // How long a statement waits for a lock another session holds.
    int m_lockTimeoutMs;
    // The server's own state, checked at every connection, and the login's
    // rights, checked at the open.
    QString m_readOnlyReason;
    QString m_loginReadOnlyReason;
    // The schema whose notifications concern this session, and whether a
    // change is known that changedElsewhere() has not told yet.
    QByteArray m_schema;
    bool m_changedElsewhere = false;
    // When the notices may be listened for again after a failed attempt.
    QDeadlineTimer m_nextListen{0};
    int m_listenPauseMs = 0;
    // The notices of changes: the oldest transaction whose notice concerns
    // this connection, the transactions already believed (at most
    // kNoticesKept), and the seals heard but not checked yet.
    static constexpr qsizetype kNoticesKept = 4096;
    qint64 m_noticeFloor = 0;
    QSet<qint64> m_noticesBelieved;
    QMap<qint64, QByteArray> m_noticesToCheck;
    std::unique_ptr<SqlDialect> m_dialect;
    QSet<QPair<Oid, int>> m_yesNoColumns;
    std::unique_ptr<PostgresJournal> m_journal;
};

}  // namespace hv::data
