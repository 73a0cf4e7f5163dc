#pragma once

#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace hv::data {

class Recordset;
class SqlDialect;
struct StatementFinalizer;

// One open database file, reached with a connection string and whole SQL
// statements in the program's SQL dialect; the stand-in for the platform's
// database connection object.
class Connection {
public:
    enum State { StateClosed = 0, StateOpen = 1 };

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the file named by the string's "data source" (keys are matched
    // without regard to case, a value may be enclosed in double quotes; other
    // keys are accepted and ignored). The file must exist and hold the
    // program's tables and stored queries; a missing file ("Could not find
    // file '<path>'."), a file that is not a database (an empty file too), or
    // a database of another program raises a RuntimeError with a description
    // that names the file, the connection stays closed and the file is left
    // byte for byte as it was: nothing is written before the file is known to
    // be ours. While another program holds the file locked, statements wait
    // up to five seconds for it. Raises "Operation is not allowed when the
    // object is open." when already open.
    void Open(const QString& connectionString);

    // Runs one complete statement (insert, update or delete). Raises a
    // RuntimeError carrying the engine's message when the statement is refused;
    // a refused statement writes nothing. Text after the end of the statement
    // is refused ("Characters found after end of SQL statement."), so one call
    // never runs two statements. Statements that change the structure of the
    // database (create, drop, alter), pragmas, attach and transactions are
    // refused. Every write is on disk when the call returns.
    // recordsAffected, when given, receives the number of rows the statement
    // changed.
    void Execute(const QString& sql, long* recordsAffected = nullptr);

    // Writes that must happen together: after BeginTrans, statements are kept
    // until CommitTrans writes them all at once or RollbackTrans undoes them
    // all. Transactions do not nest: BeginTrans inside one, or CommitTrans and
    // RollbackTrans outside one, raise a RuntimeError. Closing the connection
    // inside a transaction undoes it.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool inTransaction() const;

    // Closes the connection and every recordset still open on it, and releases
    // the file; raises "Operation is not allowed when the object is closed."
    // when it is not open.
    void Close();

    // StateClosed or StateOpen.
    int state() const;

    // The path of the open database file (empty when closed).
    QString dataSource() const;

    // For Recordset: the engine handle and dialect of the open connection.
    // Raises the "connection cannot be used" error when closed.
    sqlite3* handle() const;
    const SqlDialect& dialect() const;

private:
    friend class Recordset;

    // The statement text translated and compiled, refused when anything but
    // blanks follows the end of the first statement.
    std::unique_ptr<sqlite3_stmt, StatementFinalizer> prepare(const QString& sql) const;
    // Recordsets open on this connection, closed with it.
    void attach(Recordset* recordset);
    void detach(Recordset* recordset);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A transaction for one block of code: begun on construction, undone on
// destruction unless commit() was called, so an exception between the two
// writes nothing.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

}  // namespace hv::data
