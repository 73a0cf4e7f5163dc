#pragma once

#include "data/postgres_handles.h"
#include "data/runtime_error.h"
#include "data/sql_dialect.h"

#include <QByteArray>
#include <QPair>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace hv::data {

class RowCursor;

// One session with a PostgreSQL server's database: what a Connection holds
// when its connection string is a server address. Every session runs with
// standard_conforming_strings on (a backslash in a literal is a backslash),
// ISO dates, the program's lock time-out, and every transaction SERIALIZABLE,
// so that work of two people at once that could not have happened one after
// the other is refused by the server rather than half-kept.
//
// A session whose connection drops reports the failing step with the server's
// or the network's message; the next step connects again, once. A statement
// the server refuses under concurrency (a serialization failure, a deadlock, a
// lock time-out) is reported in plain words and leaves nothing written.
class PostgresSession {
public:
    // Asked when the server wants a password the address does not give; the
    // argument is the address without a password. Nothing means the user
    // gave none.
    using PasswordProvider = std::function<std::optional<QString>(const QString& address)>;

    // Connects and sets the session up. With `requireSchema`, the database
    // must hold the program's tables and stored queries of a version this
    // program knows; otherwise (for creating them) nothing is checked.
    // Raises a RuntimeError whose description says what is wrong.
    explicit PostgresSession(const QString& uri, bool requireSchema = true);
    ~PostgresSession();
    PostgresSession(const PostgresSession&) = delete;
    PostgresSession& operator=(const PostgresSession&) = delete;

    // The program's statements, in its own dialect: one select, insert,
    // update or delete each (anything else is refused before it is sent).
    long execute(const QString& sql);
    std::unique_ptr<RowCursor> query(const QString& sql);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    const SqlDialect& dialect() const { return *m_dialect; }
    // The address without a password, and the host it names.
    QString address() const { return m_address; }
    QString hostName() const;
    // Why writes are refused (a server or database that takes none); empty
    // while they are taken.
    QString readOnlyReason() const { return m_readOnlyReason; }

    // The program's own SQL (its schema, its copies), sent as written with
    // the values as parameters (nullopt for Null); raises the server's message.
    ServerResultHandle run(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values = {});
    // A statement of the program's own compiled once under `name` (its values
    // written $1, $2, ...), and run with new values; raises the server's message.
    void prepare(const QByteArray& name, const QByteArray& sql);
    ServerResultHandle runPrepared(const QByteArray& name, const std::vector<std::optional<QByteArray>>& values);
    void release(const QByteArray& name);

    // The highest ID the table holds or has ever given out, and raising its
    // numbering to at least `highest`.
    qint64 highestIdEver(const QString& table);
    void reserveIdsUpTo(const QString& table, qint64 highest);

    // Several statements of the program's own, run as one transaction.
    void runScript(const QByteArray& sql);

    // The server asks for passwords through this; a password that let a
    // session in is kept in memory for the rest of the run, for the same address.
    static void setPasswordProvider(PasswordProvider provider);

    // The refusal of a text that holds a NUL, which the server cannot store.
    static RuntimeError nulRefused();
    static void forgetPasswords();

private:
    void connect(const QString& uri);
    void setUp();
    void loadCatalog();
    void ensureConnected();
    bool serverTransactionOpen() const;
    RuntimeError transactionLost() const;
    RuntimeError failure(PGresult* result) const;
    // Runs a program statement; in a transaction a failed one is undone alone.
    ServerResultHandle runStatement(const QString& sql, bool reading);

    // The statements prepared on the present connection (a new connection
    // after a drop has none of them).
    QSet<QByteArray> m_prepared;
    ServerConnectionHandle m_connection;
    // Begun and not yet ended by the program (the server's may have gone
    // with a lost connection).
    bool m_inTransaction = false;
    QString m_uri;
    QString m_address;
    QString m_readOnlyReason;
    std::unique_ptr<SqlDialect> m_dialect;
    QSet<QPair<Oid, int>> m_yesNoColumns;
};

}  // namespace hv::data
