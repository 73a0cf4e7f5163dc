#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace hv::data {

class ChangeJournal;
class Connection;
class EngineStatement;
class RowCopy;
class RowCursor;
class SqlDialect;

// One open database as the engine that holds it sees it: what a Connection
// calls, whichever engine reaches the database (SqliteSession for a local
// file, PostgresSession for a server). An engine is open from construction to
// destruction; destroying it inside a transaction undoes the transaction.
// Every failure is a RuntimeError whose description is what the user reads,
// worded the same by both engines where they fail alike.
class Engine {
public:
    virtual ~Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Runs one complete select, insert, update or delete written in the
    // program's SQL dialect (anything else, and text after its end, is
    // refused before it runs); returns the number of rows it changed (none
    // for a select). A change while readOnlyReason() is set is refused with
    // that reason, and a refused statement writes nothing.
    virtual long execute(const QString& sql) = 0;

    // The rows of one select in the program's SQL dialect, refused as
    // execute() refuses and also when the statement would change data.
    virtual std::unique_ptr<RowCursor> query(const QString& sql) = 0;

    // A statement of the program's own (the engine's SQL with a ? for each
    // value), compiled once to be run many times; see PreparedStatement.
    virtual std::unique_ptr<EngineStatement> prepare(const QString& sql) = 0;

    // Rows streamed into `table` (its `columns` in order) by the engine's own
    // bulk path, inside the present transaction; nothing when the engine has
    // none faster than a prepared insert per row. Refused with
    // readOnlyReason() while it is set.
    virtual std::unique_ptr<RowCopy> copyRows(const QString& table, const QStringList& columns) = 0;

    // How the program's SQL dialect is written for this engine.
    virtual const SqlDialect& dialect() const = 0;

    // Begins a transaction: later writes are kept until commit() or
    // rollback(). Transactions do not nest. Refused with readOnlyReason()
    // while it is set.
    virtual void begin() = 0;
    // Writes everything done since begin() at once; refused outside a
    // transaction. A transaction that cannot be written (the database turned
    // read-only, the server undid it) is undone whole and the reason raised.
    virtual void commit() = 0;
    // Undoes everything done since begin(); refused outside a transaction.
    virtual void rollback() = 0;
    // True between begin() and commit() or rollback().
    virtual bool inTransaction() const = 0;

    // The highest ID `table` holds or has ever given out (the program's bulk
    // work numbers its own rows past it).
    virtual qint64 highestIdEver(const QString& table) = 0;
    // Raises the numbering of `table` so that no later row gets an ID up to
    // `highest`; refused with readOnlyReason() while it is set.
    virtual void reserveIdsUpTo(const QString& table, qint64 highest) = 0;
    // Lets the entries written in the present transaction point at employees
    // or work codes that do not exist (the import keeps such entries).
    virtual void keepEntriesWithoutRecords() = 0;

    // The journal of changes the database keeps (see ChangeJournal).
    virtual ChangeJournal& journal() = 0;
    // Tells the journal what the present transaction is, in words a user
    // reads ("Import old.mdb"); a transaction not described is described by
    // what it did. Refused outside a transaction.
    virtual void describeChange(const QString& description) = 0;

    // Why writes are refused; empty while they are taken. An engine that
    // turns read-only after it opened (damage met on the way) tells whoever
    // asked to be told when it was made.
    virtual QString readOnlyReason() const = 0;
    // True once the database was found damaged; it then stays read-only.
    virtual bool isDamaged() const = 0;
    // True when the whole database was checked at opening and found sound,
    // and no damage was met since.
    virtual bool checkedFully() const = 0;
    // Takes in the verdict of a page check that runs beside the program,
    // waiting for it when `wait`: a damaged file turns read-only. False
    // while it is still running; true at once when none runs.
    virtual bool settlePageCheck(bool /*wait*/) { return true; }

    // True when the database was changed by anyone else (another connection,
    // another program, another login) since the last call, or since the
    // open; the engine's own changes do not count. Asks without waiting.
    virtual bool changedElsewhere() = 0;
    // A socket that turns readable when the server tells of a change (then
    // changedElsewhere() says whether there was one); -1 when there is none
    // now and changes are found only by asking.
    virtual int changeSocket() const = 0;

    // The database file's path, or the server address without its password.
    virtual QString dataSource() const = 0;
    // The host the server address names ("on this computer" for a local
    // socket); empty for a local file, which is how the two are told apart.
    virtual QString serverHost() const = 0;
    // True while the connection crosses a network without encryption.
    virtual bool plainTextBeyondThisComputer() const { return false; }

protected:
    Engine() = default;
};

// The engine behind an open connection, for an engine's own calls on the
// connection it serves; raises Connection::unusable() when it is closed.
Engine& engineOf(const Connection& connection);

}  // namespace hv::data
