#pragma once

#include "data/change_journal.h"
#include "data/sqlite/handles.h"
#include "data/sqlite/row_image.h"

#include <QHash>
#include <QStringList>
#include <map>
#include <vector>

namespace hv::data {

class SqliteSession;

// The journal of a local file (journal.sql): each row a write touches is
// appended with its images by position to hourvane_journal, and the last
// event of a change holds the change's record (who, when, what), written just
// before the commit (close()). The program's own writes are seen by the
// engine's update hook as they are made and written out at the commit, with
// no trigger to compile into each statement; other programs' writes (and the
// program's, where the engine has no such hook) are recorded by the file's
// triggers. Each change's record names the one before it, so the changes are
// walked from the newest without an index. A replay writes the rows back with
// their IDs, and is not itself recorded.
class SqliteJournal : public ChangeJournal {
public:
    explicit SqliteJournal(SqliteSession& session);
    ~SqliteJournal() override;

    bool exists() override;
    void trim() override;

    // Records the program's own writes on `db` with the engine's update hook
    // and leaves the journal's triggers unfired on it, where the engine has
    // the hook and setUpdateHookUsed() allows it. A file that holds triggers
    // of its own (another program's rules) keeps every trigger firing, and
    // the journal's record the program's writes too.
    void watch(sqlite3* db);
    // Whether sessions opened from now on record their own writes with the
    // update hook (the default, where the engine has one) or through the
    // file's triggers, as without one. For the tests and the benchmark.
    static void setUpdateHookUsed(bool used);

    // At the start of a transaction: finds the newest change, and makes the
    // events another program's writes left after it a change of their own,
    // so that the session's next change is a record of its own.
    void settleOpen();
    // A point in what the transaction has recorded, and the return to it when
    // the statement run since failed (the engine took back what it did).
    std::size_t mark() const { return m_pending.size(); }
    void dropSince(std::size_t mark);
    // After a statement: writes out what the transaction has recorded when it
    // has grown large (an import), so that memory holds at most that much.
    void writeOutIfLarge();
    // Forgets what the transaction recorded: it was rolled back.
    void forgetPending();
    // Ends the change the transaction made, if it made one, with who made it
    // and `description` (empty: made from what it did).
    void close(const QString& description);
    // The journal's table was just made (an upgrade).
    void forgetExistence() { m_exists.reset(); }

    // The system's user, who makes the changes to a local file.
    static QString systemUser();

protected:
    std::vector<JournalChange> stored(int count) override;
    qint64 target(bool forward) override;
    std::optional<JournalChange> storedChange(qint64 id) override;
    std::vector<ChangeTouch> touches(const std::vector<qint64>& changes) override;
    std::optional<ReplayConflict> conflict(qint64 change, bool forward) override;
    void apply(qint64 change, bool forward) override;

private:
    // A change's record, on its last event.
    struct ChangeRow {
        JournalChange change;
        qint64 prev = 0;
        // The newest change when it was undone (0: it is not).
        qint64 undoneAt = 0;
    };
    // A row the program's transaction touched, as the update hook saw it:
    // whether it existed before and after, and its columns after "ID" then.
    struct RowEvent {
        const char* table = nullptr;
        qint64 rowId = 0;
        bool before = false;
        bool after = false;
        RowImage beforeImage;
        RowImage afterImage;
    };

    static void onUpdate(void* journal, sqlite3* db, int operation, const char* database, const char* table,
                         sqlite3_int64 oldRowId, sqlite3_int64 newRowId);
    // Uses the update hook or the triggers as the file's triggers now ask
    // (checked again when another program has changed the file's tables).
    void followTriggers();
    // Writes the events the update hook saw, the last with the change's
    // record (who made it and what it was, empty: Null) when `withRecord`.
    void writePending(bool withRecord, const QByteArray& user = {}, const QByteArray& description = {});

    // The statement for `sql`, compiled once and kept; reset, bindings cleared.
    sqlite3_stmt* statement(const QByteArray& sql);
    // Runs a write to its end; raises the session's failure.
    void runToEnd(sqlite3_stmt* statement);
    // Steps a read: true on a row; raises the session's failure.
    bool step(sqlite3_stmt* statement);
    // The columns of `table` after "ID", in the file's order (the order the
    // triggers write them in).
    const QStringList& columnsOf(const QString& table);

    // The newest change (0: none), and the record of change `id`.
    qint64 newestChange();
    std::optional<ChangeRow> changeRow(qint64 id);
    // The changes from the newest back, at most `count` of them.
    std::vector<ChangeRow> chain(int count);
    // The rows of `table` change `change` touched, once each, as they stood
    // before the change (before, b1...) and after it (after, a1...); its
    // parameters are ?1 and ?2, the last events of the change before and of
    // the change, and ?3, the table.
    QByteArray netRows(const QString& table);

    SqliteSession& m_session;
    std::map<QByteArray, StatementHandle> m_statements;
    QHash<QString, QStringList> m_columns;
    std::optional<bool> m_exists;
    // The newest change when the transaction began (settleOpen()).
    qint64 m_newest = 0;
    // Whether the update hook records the program's writes, and does now (a
    // replay is not recorded); what it saw in the present transaction; and
    // where "ID" stands among each table's columns.
    sqlite3* m_watched = nullptr;
    qint64 m_schemaVersion = -1;
    bool m_hooked = false;
    bool m_recording = true;
    std::vector<RowEvent> m_pending;
    // Whether the transaction's events were written out before its end.
    bool m_writtenOut = false;
    int m_idColumn[4] = {};
    // Set when the hook could not keep what it saw (no memory left): the
    // transaction is then refused at its commit.
    bool m_incomplete = false;
};

}  // namespace hv::data
