#pragma once

#include "data/change_journal.h"
#include "data/sqlite/handles.h"

#include <QHash>
#include <QStringList>
#include <map>

namespace hv::data {

class SqliteSession;

// The journal of a local file (journal.sql): the triggers record each row's
// images by position in hourvane_change_rows under the change that is open,
// and the session closes that change, with the system's user and the
// description, just before each commit (close()). A replay writes the rows
// back with their IDs, and removes the journal its own writes made.
class SqliteJournal : public ChangeJournal {
public:
    explicit SqliteJournal(SqliteSession& session);
    ~SqliteJournal() override;

    bool exists() override;
    void trim() override;

    // Closes a change another program's writes left open, so that the
    // session's next change is a record of its own.
    void settleOpen();
    // Closes the open change, if the transaction made one, with who made it
    // and `description` (empty: made from what it did).
    void close(const QString& description);
    // The journal's tables were just made (an upgrade).
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
    // The statement for `sql`, compiled once and kept; reset, bindings cleared.
    sqlite3_stmt* statement(const QByteArray& sql);
    // Runs a write to its end; raises the session's failure.
    void runToEnd(sqlite3_stmt* statement);
    // Steps a read: true on a row; raises the session's failure.
    bool step(sqlite3_stmt* statement);
    // The columns of `table` after "ID", in the file's order (the order the
    // triggers write them in).
    const QStringList& columnsOf(const QString& table);
    std::vector<JournalChange> changesFrom(sqlite3_stmt* statement);

    SqliteSession& m_session;
    std::map<QByteArray, StatementHandle> m_statements;
    QHash<QString, QStringList> m_columns;
    std::optional<bool> m_exists;
};

}  // namespace hv::data
