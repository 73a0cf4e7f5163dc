#pragma once

#include <QString>
#include <memory>

namespace hv::data {

class EngineStatement;
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

    // How the program's SQL dialect is written for this engine.
    virtual const SqlDialect& dialect() const = 0;

    // One transaction at a time: begin() inside one, and commit() or
    // rollback() outside one, raise a RuntimeError. begin() and commit() are
    // refused with readOnlyReason() while it is set; a commit so refused
    // undoes the transaction.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // For the program's bulk work: the highest ID `table` holds or ever gave
    // out; raising its numbering so that no later row gets an ID up to
    // `highest` (refused while writes are); and letting entries written in
    // the present transaction point at records that do not exist.
    virtual qint64 highestIdEver(const QString& table) = 0;
    virtual void reserveIdsUpTo(const QString& table, qint64 highest) = 0;
    virtual void keepEntriesWithoutRecords() = 0;

    // Why writes are refused; empty while they are taken. An engine that
    // turns read-only after it opened (damage met on the way) says so to
    // whoever asked to be told when it was made.
    virtual QString readOnlyReason() const = 0;
    // True once the database was found damaged; it then stays read-only.
    virtual bool isDamaged() const = 0;
    // True when the whole database was checked at opening and found sound,
    // and no damage was met since.
    virtual bool checkedFully() const = 0;

    // The database file's path, or the server address without its password.
    virtual QString dataSource() const = 0;
    // The host the server address names ("this computer" for a local
    // socket); empty for a local file, which is how the two are told apart.
    virtual QString serverHost() const = 0;

protected:
    Engine() = default;
};

}  // namespace hv::data
