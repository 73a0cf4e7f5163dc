#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace hv::data {

class Engine;

// One change as the journal keeps it: one transaction of the program, what
// it was in words a user reads, when, by whom (the login on a server, the
// system's user for a local file) and whether it is undone now.
struct JournalChange {
    qint64 id = 0;
    QDateTime madeAt;
    QString madeBy;
    QString description;
    bool undone = false;
};

// A row of a change that does not stand as the replay expects: the row, and
// the newest later change that touched it (when the journal still knows one).
struct ReplayConflict {
    QString table;
    qint64 rowId = 0;
    QString madeBy;
    QDateTime madeAt;
    bool known = false;
};

// What one change did to one table, for its description: rows added,
// edited or deleted, how many, and the first of them with its name (an
// employee's, a work code's).
struct ChangeTouch {
    enum Kind { Added, Edited, Deleted };
    qint64 change = 0;
    QString table;
    Kind kind = Edited;
    qint64 count = 0;
    qint64 firstId = 0;
    QString firstName;
};

// The journal of changes kept in the database itself, written by the
// database's own triggers in the same transaction as every change to the
// three tables, whoever writes it: the recent changes, and Undo and Redo,
// each one transaction of its own that is not journaled as a change. Undo
// takes back the newest change not undone (on a server: the newest of this
// login), putting every row it touched back as it was, IDs included; Redo
// does again the change undone last, as long as no change was made after
// the undo. A replay that would overwrite a later change (another login's,
// or another program's) is refused, naming it. Each engine keeps the journal
// its own way (SqliteJournal, PostgresJournal); the steps and the words are
// here.
class ChangeJournal {
public:
    // How many changes a local file keeps at least; older ones are dropped.
    static constexpr int kKept = 100;

    virtual ~ChangeJournal() = default;
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // False for a database whose journal was never made (a file of an older
    // version that could not be upgraded because it is read-only or damaged).
    virtual bool exists() = 0;

    // The newest `count` changes, newest first.
    std::vector<JournalChange> recent(int count);
    // What Undo and Redo would take back or do again now, if anything.
    std::optional<JournalChange> nextUndo();
    std::optional<JournalChange> nextRedo();

    // Takes back nextUndo() (or does nextRedo() again) in one transaction of
    // its own and returns it; raises a RuntimeError that says why when there
    // is none, when the database takes no writes, or when a row the change
    // touched was changed after it. Refused inside a transaction. `named`,
    // when not 0, is the ID of the change the caller offered to replay: the
    // replay is refused, saying which change stands there now, when another
    // program has made, undone or redone a change since.
    JournalChange undo(qint64 named = 0);
    JournalChange redo(qint64 named = 0);

    // Drops the changes the journal no longer keeps (a local file's older
    // than the newest kKept, and the undone ones no Redo can reach any more;
    // a server's older than its days of history, in its owner's sessions
    // only); writes nothing when there are none.
    virtual void trim() = 0;

    // How an undo of `change` is refused because of `conflict`.
    static QString refusal(const JournalChange& change, const ReplayConflict& conflict, bool redo);
    // How a replay of `named` is refused because `next` (or nothing) is the
    // change Undo (Redo, when `redo`) would replay now.
    static QString staleRefusal(const QString& named, const std::optional<JournalChange>& next, bool redo);
    // A change's description made from what it did, for a change the
    // program gave none.
    static QString describe(const std::vector<ChangeTouch>& touches);
    // What a row of `table` is called in a sentence ("entry", "employee",
    // "work code").
    static QString rowNoun(const QString& table);

protected:
    // The journal of the database `engine` holds; its replays run in the
    // engine's transactions.
    explicit ChangeJournal(Engine& engine) : m_engine(engine) {}

    // The newest changes (at most `count`, newest first) or the ones named,
    // as stored: the description may be empty.
    virtual std::vector<JournalChange> stored(int count) = 0;
    // The change Undo (forward = false) or Redo (true) would replay; 0 when none.
    virtual qint64 target(bool forward) = 0;
    virtual std::optional<JournalChange> storedChange(qint64 id) = 0;
    // What each of `changes` did, for the descriptions.
    virtual std::vector<ChangeTouch> touches(const std::vector<qint64>& changes) = 0;
    // The first row of `change` that does not stand as the replay finds it.
    virtual std::optional<ReplayConflict> conflict(qint64 change, bool forward) = 0;
    // Replays `change` and marks it undone (or not), unjournaled.
    virtual void apply(qint64 change, bool forward) = 0;

private:
    std::optional<JournalChange> next(bool forward);
    JournalChange replay(bool forward, qint64 named);
    // Fills in the descriptions the program did not give.
    void describeAll(std::vector<JournalChange>& changes);

    Engine& m_engine;
};

}  // namespace hv::data
