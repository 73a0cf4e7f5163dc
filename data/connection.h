#pragma once

#include "core/runtime_error.h"
#include "data/engine_options.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace hv::data {

class BulkInsert;
class ChangeJournal;
class Engine;
class PreparedStatement;
class Recordset;
class SqlDialect;

// One open database, reached with a connection string and whole SQL
// statements in the program's SQL dialect; the stand-in for the platform's
// database connection object. The database is a local file, or a database on
// a PostgreSQL server when the connection string is a server address (a libpq
// connection URI, "postgresql://host/database?...", or keyword/value text
// libpq reads; see ServerAddress); the program's statements, the values read
// back and the failures raised are the same for both. The engine is chosen
// once, at Open, and everything else goes through it (Engine). No wait on a
// server is unbounded (PostgresSession::waits()).
class Connection {
public:
    enum State { StateClosed = 0, StateOpen = 1 };

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the file named by the string's "data source" (keys are matched
    // without regard to case, a value may be enclosed in double quotes, with
    // a double quote inside written twice; other keys are accepted and
    // ignored). The file must be a database of this program, as
    // DatabaseFileCheck::inspect() decides from its own bytes before the
    // engine opens it, and hold the program's tables and stored queries; a
    // missing file ("Could not find file '<path>'."), a folder, pipe or
    // device, a file that is not a database (an empty file too), another
    // program's database, or a database with unfinished changes that cannot
    // be undone raises a RuntimeError with a description that names the file,
    // the connection stays closed and the file is left byte for byte as it
    // was: nothing is written before the file is known to be ours.
    //
    // The pages are then checked (`check`: Quick costs about a sixth of
    // reading the whole list, Full half of it or more). A damaged file is opened read-only (see
    // isReadOnly()) rather than refused, so that what can still be read is
    // shown. With `timing` Beside, the pages of a file that needs no upgrade
    // are checked while the program goes on, from the first of
    // pageCheckDone(), waitForPageCheck() and the first write on; the
    // verdict is taken in by whichever comes when it is ready. Until then no
    // write is made, the journal's old changes included. Opening waits as long for a lock as a statement does
    // (lockTimeout()); a lock that outlasts it raises "... is in use by
    // another program ...". Raises "Operation is not allowed when the object
    // is open." when already open.
    //
    // A server address connects to the server instead (`check` does not
    // apply): the database must hold the program's tables in a version this
    // program knows; an address that cannot be read, a server that cannot be
    // reached or refuses the login, and a database without the program's
    // tables raise a RuntimeError that says so, and nothing is written.
    // The engine is handed the settings below (engineOptions()) as they stand
    // at the open; a later change of them concerns later opens only.
    void Open(const QString& connectionString, PageCheck check = PageCheck::Quick,
              CheckTiming timing = CheckTiming::AtOpen);

    // The page check an open left running beside the program: true once its
    // verdict is in (at once when none runs), taken in now if it is ready;
    // a damaged file turns the connection read-only then, and the
    // read-only handler is told. waitForPageCheck() waits for it.
    bool pageCheckDone();
    void waitForPageCheck();

    // Runs one complete statement (insert, update or delete). Raises a
    // RuntimeError carrying the engine's message when the statement is
    // refused (readOnlyReason() for any change while the connection is
    // read-only); a refused statement writes nothing. Text after the end of
    // the statement is refused ("Characters found after end of SQL
    // statement."), so one call never runs two statements. Statements that
    // change the structure of the database (create, drop, alter), pragmas,
    // attach and transactions are refused. Every write is on disk when the
    // call returns. recordsAffected, when given, receives the number of rows
    // the statement changed.
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

    // Closes the connection and every recordset and prepared statement still
    // open on it, and releases the file; raises "Operation is not allowed
    // when the object is closed." when it is not open.
    void Close();

    // StateClosed or StateOpen.
    int state() const;

    // True when the open connection takes no writes, because the file is
    // damaged (found by the open's check, or by any later engine error that
    // says the file is damaged or cannot be read back) or because the system
    // lets it be read only. Reads go on; every write and every transaction
    // raises readOnlyReason() and changes nothing. It stays so until Close.
    bool isReadOnly() const;
    bool isDamaged() const;
    // True when the open checked the whole file (PageCheck::Full) and found
    // it sound, and no damage was met since: a copy made now is sound too.
    bool checkedFully() const;
    // What is wrong and that nothing will be written, followed for a damaged
    // file by the advice (setDamageAdvice). Empty while writes are taken.
    QString readOnlyReason() const;

    // Called each time the connection turns read-only: at an open that finds
    // the file damaged or unwritable, and when damage is met later on.
    void setReadOnlyHandler(std::function<void()> handler);

    // How long an open or a statement waits for a lock that another program
    // holds (5000 ms unless set); one setting for every connection.
    static void setLockTimeout(int milliseconds);
    static int lockTimeout();

    // Called with the file's path before a database of an older version of
    // the program's tables is brought up to this one, which happens once, at
    // the open: the program makes a backup of the file there. A failure
    // (a RuntimeError) leaves the file as it was, opened read-only with the
    // reason. Servers keep their own backups. One setting for every connection.
    static void setUpgradeBackup(std::function<void(const QString& databasePath)> backUp);

    // Asked, with the file's path, for what the user can do about a damaged
    // database file (where a sound backup of it is), which then follows what
    // the engine found in the reason a damaged connection gives; without it
    // the reason ends with what was found. Read when a connection opens. One
    // setting for every connection.
    static void setDamageAdvice(std::function<QString(const QString& databasePath)> advice);

    // The three settings above as they stand now: what an engine is made with.
    static EngineOptions engineOptions();

    // The journal of changes the open database keeps: the recent changes,
    // Undo and Redo (ChangeJournal). Raises the "connection cannot be used"
    // error when closed.
    ChangeJournal& journal();

    // A value for a connection string: enclosed in double quotes, a double
    // quote inside written twice, so that ';', '=', quotes and blanks at the
    // ends of a path all survive.
    static QString quoted(const QString& value);

    // The path of the open database file, or the server address without its
    // password (empty when closed).
    QString dataSource() const;

    // True when anyone else (another copy of the program on the same file,
    // another login on the server) changed the database since the last
    // call; asks without waiting, and false while closed. changeSocket(): a
    // that turns readable when the server tells of a change, -1 when there is
    // none and changes are found only by asking.
    bool changedElsewhere();
    int changeSocket() const;

    // True while the connection reaches a database on a server; the host
    // name the address names ("on this computer" for a local socket).
    bool isServer() const;
    QString serverHost() const;
    // True while the connection to a server crosses a network unencrypted.
    bool plainTextBeyondThisComputer() const;

    // Asked for the password when a server wants one that its address and
    // libpq's own ways (password file, certificate, Kerberos) do not give; the
    // argument is the address, the answer nothing when the user gives none.
    // A password that let a connection in is kept in memory for the run only.
    // Whether a server address that turns encryption off (sslmode=disable)
    // may connect beyond this computer; refused unless the user asks.
    static void allowPlainTextBeyondThisComputer(bool allowed);

    static void setPasswordProvider(std::function<std::optional<QString>(const QString& address)> provider);

    // For the program's own bulk work (the import of old files, the copy):
    // the highest ID a table holds or has ever given out, raising the table's
    // numbering so that no later row gets an ID up to `highest`, and letting
    // the entries written in the present transaction point at employees or
    // work codes that do not exist (the import keeps such entries as found).
    qint64 highestIdEver(const QString& table);
    void reserveIdsUpTo(const QString& table, qint64 highest);
    void keepEntriesWithoutRecords();

    // The dialect of the open connection's engine. Raises the "connection
    // cannot be used" error when closed.
    const SqlDialect& dialect() const;

    // The "connection cannot be used" error, raised when a closed connection
    // is used.
    static RuntimeError unusable();

private:
    friend class BulkInsert;
    friend class PreparedStatement;
    friend class Recordset;
    friend class Transaction;
    friend Engine& engineOf(const Connection& connection);

    // The engine of the open connection; raises unusable() when closed.
    Engine& engine() const;
    // Tells the read-only handler, if one is set.
    void turnedReadOnly() const;
    // What follows the verdict of the page check: the journal drops the
    // changes past those it keeps, when the file takes writes.
    void afterPageCheck();
    // Recordsets and prepared statements open on this connection, closed
    // with it.
    void attach(Recordset* recordset);
    void detach(Recordset* recordset);
    void attach(PreparedStatement* statement);
    void detach(PreparedStatement* statement);
    void attach(BulkInsert* insert);
    void detach(BulkInsert* insert);

    std::unique_ptr<Engine> m_engine;
    bool m_trimAfterCheck = false;
    std::vector<Recordset*> m_recordsets;
    std::vector<PreparedStatement*> m_statements;
    std::vector<BulkInsert*> m_bulkInserts;
    std::function<void()> m_readOnlyHandler;
};

// A transaction for one block of code: begun on construction, undone on
// destruction unless commit() was called, so an exception between the two
// writes nothing. It is one change in the journal, which `description`
// names in words a user reads (without one, by what it did).
class Transaction {
public:
    explicit Transaction(Connection& connection, const QString& description = QString());
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

}  // namespace hv::data
