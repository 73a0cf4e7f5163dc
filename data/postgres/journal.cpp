#include "data/postgres/journal.h"

#include "core/runtime_error.h"
#include "data/postgres/session.h"

namespace hv::data {

namespace {

QString textAt(const PGresult* result, int row, int column)
{
    return QString::fromUtf8(PQgetvalue(result, row, column));
}

const QByteArray kWhen = "to_char(made_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"')";

QByteArray truth(bool value)
{
    return value ? QByteArray("true") : QByteArray("false");
}

}  // namespace

PostgresJournal::PostgresJournal(PostgresSession& session) : ChangeJournal(session), m_session(session) {}

PostgresJournal::~PostgresJournal() = default;

bool PostgresJournal::exists()
{
    if (!m_exists) {
        const ServerResultHandle result = m_session.run(
            "SELECT count(*) FROM pg_class WHERE relnamespace = (SELECT oid FROM pg_namespace WHERE nspname = "
            "current_schema()) AND relname IN ('hourvane_journal', 'hourvane_undone')");
        m_exists = QByteArray(PQgetvalue(result.get(), 0, 0)).toInt() == 2;
    }
    return *m_exists;
}

int PostgresJournal::historyDays(const QByteArray& setting)
{
    bool valid = false;
    const int days = setting.trimmed().toInt(&valid);
    return valid && days > 0 ? days : kHistoryDays;
}

void PostgresJournal::trim()
{
    if (!exists() || !m_session.readOnlyReason().isEmpty() || m_session.inTransaction())
        return;
    // The team's history is the owner's to drop, never an editor's or a
    // reader's: only a login that owns the journal (or a superuser) drops
    // the changes older than the days the server keeps.
    const ServerResultHandle owner = m_session.run(
        "SELECT pg_has_role(current_user, c.relowner, 'USAGE'), current_setting('hourvane.history_days', true) "
        "FROM pg_class c WHERE c.oid = to_regclass('hourvane_journal')");
    if (PQntuples(owner.get()) != 1 || PQgetvalue(owner.get(), 0, 0)[0] != 't')
        return;
    const int days = historyDays(QByteArray(PQgetvalue(owner.get(), 0, 1)));
    // Read committed: the drop of old changes takes part in no one's
    // serializable conflicts, and touches only rows no one else writes. A
    // change's rows share the time it was made at.
    m_session.run("BEGIN ISOLATION LEVEL READ COMMITTED");
    try {
        m_session.run("WITH gone AS (DELETE FROM hourvane_journal WHERE made_at < now() - make_interval(days => $1) "
                      "RETURNING change) DELETE FROM hourvane_undone WHERE change IN (SELECT change FROM gone)",
                      {QByteArray::number(days)});
        m_session.run("COMMIT");
    } catch (const RuntimeError&) {
        try {
            m_session.run("ROLLBACK");
        } catch (const RuntimeError&) {
            // The connection went with the failure; the server undid it.
        }
        throw;
    }
}

std::vector<JournalChange> PostgresJournal::changes(const QByteArray& where,
                                                    const std::vector<std::optional<QByteArray>>& values)
{
    const ServerResultHandle result = m_session.read(
        "SELECT id, " + kWhen + ", made_by, coalesce(description, ''), undone FROM hourvane_changes " + where, values);
    std::vector<JournalChange> found;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        JournalChange change;
        change.id = QByteArray(PQgetvalue(result.get(), row, 0)).toLongLong();
        change.madeAt = QDateTime::fromString(textAt(result.get(), row, 1), Qt::ISODate);
        change.madeBy = textAt(result.get(), row, 2);
        change.description = textAt(result.get(), row, 3);
        change.undone = qstrcmp(PQgetvalue(result.get(), row, 4), "t") == 0;
        found.push_back(change);
    }
    return found;
}

std::vector<JournalChange> PostgresJournal::stored(int count)
{
    return changes("ORDER BY id DESC LIMIT $1", {QByteArray::number(count)});
}

std::optional<JournalChange> PostgresJournal::storedChange(qint64 id)
{
    std::vector<JournalChange> found = changes("WHERE id = $1", {QByteArray::number(id)});
    if (found.empty())
        return std::nullopt;
    return found.front();
}

qint64 PostgresJournal::target(bool forward)
{
    // The login's own changes: Undo takes back its newest one not undone,
    // Redo the one it undid last (the oldest undone), unless it made a change
    // since.
    const ServerResultHandle result = m_session.read(
        forward ? QByteArray("WITH mine AS (SELECT id, undone FROM hourvane_changes WHERE made_by = session_user) "
                             "SELECT min(u.change) FROM hourvane_undone u JOIN mine ON mine.id = u.change "
                             "WHERE u.mark >= (SELECT max(id) FROM mine)")
                : QByteArray("SELECT id FROM hourvane_changes WHERE made_by = session_user AND NOT undone "
                             "ORDER BY id DESC LIMIT 1"));
    if (PQntuples(result.get()) == 0 || PQgetisnull(result.get(), 0, 0))
        return 0;
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

std::vector<ChangeTouch> PostgresJournal::touches(const std::vector<qint64>& changes)
{
    QByteArray ids = "{";
    for (const qint64 id : changes)
        ids += (ids.size() > 1 ? "," : "") + QByteArray::number(id);
    ids += '}';
    // The name of a row as the change left it, or as it was when it went.
    const ServerResultHandle result = m_session.read(
        "SELECT change, tbl, has_before, has_after, count(*), min(row_id), "
        "(array_agg(first_name ORDER BY row_id))[1], (array_agg(last_name ORDER BY row_id))[1], "
        "(array_agg(company ORDER BY row_id))[1], (array_agg(code ORDER BY row_id))[1] "
        "FROM (SELECT change, tbl, row_id, "
        "coalesce((employee_before).\"ID\", (code_before).\"ID\", (entry_before).\"ID\") IS NOT NULL AS has_before, "
        "coalesce((employee_after).\"ID\", (code_after).\"ID\", (entry_after).\"ID\") IS NOT NULL AS has_after, "
        "CASE WHEN (employee_after).\"ID\" IS NOT NULL THEN (employee_after).\"First Name\" "
        "ELSE (employee_before).\"First Name\" END AS first_name, "
        "CASE WHEN (employee_after).\"ID\" IS NOT NULL THEN (employee_after).\"Last Name\" "
        "ELSE (employee_before).\"Last Name\" END AS last_name, "
        "CASE WHEN (employee_after).\"ID\" IS NOT NULL THEN (employee_after).\"Company\" "
        "ELSE (employee_before).\"Company\" END AS company, "
        "CASE WHEN (code_after).\"ID\" IS NOT NULL THEN (code_after).\"Description\" "
        "ELSE (code_before).\"Description\" END AS code "
        "FROM hourvane_journal_net WHERE change = ANY($1::bigint[])) n "
        "WHERE has_before OR has_after GROUP BY change, tbl, has_before, has_after",
        {ids});
    std::vector<ChangeTouch> found;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        ChangeTouch touch;
        touch.change = QByteArray(PQgetvalue(result.get(), row, 0)).toLongLong();
        touch.table = textAt(result.get(), row, 1);
        const bool before = qstrcmp(PQgetvalue(result.get(), row, 2), "t") == 0;
        const bool after = qstrcmp(PQgetvalue(result.get(), row, 3), "t") == 0;
        touch.kind = !before ? ChangeTouch::Added : (after ? ChangeTouch::Edited : ChangeTouch::Deleted);
        touch.count = QByteArray(PQgetvalue(result.get(), row, 4)).toLongLong();
        touch.firstId = QByteArray(PQgetvalue(result.get(), row, 5)).toLongLong();
        if (touch.table == u"Employees") {
            const QString name = (textAt(result.get(), row, 6) + u' ' + textAt(result.get(), row, 7)).trimmed();
            touch.firstName = name.isEmpty() ? textAt(result.get(), row, 8) : name;
        } else if (touch.table == u"Work Codes") {
            touch.firstName = textAt(result.get(), row, 9);
        }
        found.push_back(touch);
    }
    return found;
}

std::optional<ReplayConflict> PostgresJournal::conflict(qint64 change, bool forward)
{
    // The three tables first, then the program's terms.
    ServerResultHandle result = m_session.run(
        "SELECT tbl, row_id, made_by, " + kWhen + " FROM hourvane_replay_conflict($1, $2)",
        {QByteArray::number(change), truth(forward)});
    if (PQntuples(result.get()) == 0)
        result = m_session.run("SELECT tbl, row_id, made_by, " + kWhen + " FROM hourvane_terms_replay_conflict($1, $2)",
                               {QByteArray::number(change), truth(forward)});
    if (PQntuples(result.get()) == 0)
        return std::nullopt;
    ReplayConflict found;
    found.table = textAt(result.get(), 0, 0);
    found.rowId = QByteArray(PQgetvalue(result.get(), 0, 1)).toLongLong();
    found.known = !PQgetisnull(result.get(), 0, 2);
    if (found.known) {
        found.madeBy = textAt(result.get(), 0, 2);
        found.madeAt = QDateTime::fromString(textAt(result.get(), 0, 3), Qt::ISODate);
    }
    return found;
}

void PostgresJournal::apply(qint64 change, bool forward)
{
    // The terms first, when the change touched them: hourvane_replay marks
    // the change undone or not.
    const ServerResultHandle terms = m_session.run(
        "SELECT 1 FROM hourvane_journal WHERE change = $1 AND tbl = 'hourvane_terms' LIMIT 1",
        {QByteArray::number(change)});
    if (PQntuples(terms.get()) > 0)
        m_session.run("SELECT hourvane_terms_replay($1, $2)", {QByteArray::number(change), truth(forward)});
    m_session.run("SELECT hourvane_replay($1, $2)", {QByteArray::number(change), truth(forward)});
}

}  // namespace hv::data
