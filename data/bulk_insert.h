#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>

namespace hv::data {

class Connection;
class EngineStatement;
class RowCopy;
class ValueBinding;

// Rows added to one of the program's tables in bulk, for the program's own
// bulk work (the import of old files): through the engine's own bulk path
// where it has one (the COPY protocol on a server), else one prepared insert
// per row (a local file, where that is the fastest way). Values are bound by
// position, counted from 1 in the order of the columns, and stay bound until
// the next row. Runs inside a transaction, whose rollback undoes it whole.
// On a server the rows are written only once finish() returns: a copy
// refused there, or given up (destroyed before finish()), leaves the
// transaction as it was before the copy. One still open when its connection
// closes is given up with it; every call after that raises the "connection
// cannot be used" error.
class BulkInsert {
public:
    // Whether add() must say which ID each row received. The engine's bulk
    // path cannot, so rows whose IDs are needed go one insert at a time.
    enum class Ids { NotNeeded, Needed };

    // Raises a RuntimeError with the engine's message (no such table or
    // column, a database that takes no writes, the connection closed).
    BulkInsert(Connection& connection, const QString& table, const QStringList& columns,
               Ids ids = Ids::NotNeeded);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    void bindNull(int position);
    void bindInteger(int position, qint64 value);
    void bindNumber(int position, double value);
    // Text as UTF-8 bytes.
    void bindText(int position, QByteArrayView utf8);
    void bindText(int position, const QString& text);

    // Adds a row of the values bound; with Ids::Needed, returns the ID the
    // row received (otherwise 0).
    qint64 add();
    // Writes what is left; raises the engine's message, and then nothing
    // of the bulk insert is kept.
    void finish();

private:
    friend class Connection;

    // Lets the engine's copy or statement go, before its connection closes.
    void release();
    // What the values are bound to; raises the "connection cannot be used"
    // error once released.
    ValueBinding& values() const;

    Connection* m_connection;
    std::unique_ptr<RowCopy> m_copy;
    std::unique_ptr<EngineStatement> m_insert;
    bool m_idsNeeded;
};

}  // namespace hv::data
