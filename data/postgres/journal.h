#pragma once

#include "data/change_journal.h"

#include <optional>

namespace hv::data {

class PostgresSession;

// The journal of a database on a server (journal.sql): the trigger records
// each row's images in the table's own row type under the change its
// transaction began, with the login that made it; Undo and Redo reach the
// changes of the login they run under, and the server's own functions find
// conflicts and replay a change in one transaction, refusing one that is
// not the login's own.
class PostgresJournal : public ChangeJournal {
public:
    explicit PostgresJournal(PostgresSession& session);
    ~PostgresJournal() override;

    // How many days of changes a server keeps unless its setting
    // hourvane.history_days (of the database or the owner's login) says
    // otherwise.
    static constexpr int kHistoryDays = 90;
    // The days the setting's text keeps: kHistoryDays for none, or for a
    // text that is not a whole number of days above 0.
    static int historyDays(const QByteArray& setting);

    bool exists() override;
    // On a server the history is kept by age, not by count, and dropped
    // only by the owner's sessions.
    void trim() override;
    // The journal's tables were just made (an upgrade).
    void forgetExistence() { m_exists.reset(); }

protected:
    std::vector<JournalChange> stored(int count) override;
    qint64 target(bool forward) override;
    std::optional<JournalChange> storedChange(qint64 id) override;
    std::vector<ChangeTouch> touches(const std::vector<qint64>& changes) override;
    std::optional<ReplayConflict> conflict(qint64 change, bool forward) override;
    void apply(qint64 change, bool forward) override;

private:
    std::vector<JournalChange> changes(const QByteArray& where, const std::vector<std::optional<QByteArray>>& values);

    PostgresSession& m_session;
    std::optional<bool> m_exists;
};

}  // namespace hv::data
