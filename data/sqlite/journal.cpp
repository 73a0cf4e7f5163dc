#include "data/sqlite/journal.h"

#include "core/utf8_text.h"
#include "data/sqlite/session.h"

#include <QStringList>

namespace hv::data {

namespace {

const char* const kTables[] = {"Employees", "Work Codes", "Work Hours"};

QString textAt(sqlite3_stmt* statement, int column)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text::textFromUtf8(bytes, sqlite3_column_bytes(statement, column));
}

QByteArray quotedName(const QString& name)
{
    QString text = name;
    return (u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"').toUtf8();
}

// The drop of what no one can reach any more: the changes past the newest
// kKept, and undone ones older than a change made after them.
QByteArray trimSql()
{
    return "DELETE FROM hourvane_changes WHERE open = 0 AND (id <= (SELECT id FROM hourvane_changes "
           "ORDER BY id DESC LIMIT 1 OFFSET "
        + QByteArray::number(ChangeJournal::kKept)
        + ") OR (undone = 1 AND id < (SELECT max(id) FROM hourvane_changes WHERE open = 0 AND undone = 0)))";
}

}  // namespace

SqliteJournal::SqliteJournal(SqliteSession& session) : ChangeJournal(session), m_session(session) {}

SqliteJournal::~SqliteJournal() = default;

QString SqliteJournal::systemUser()
{
    for (const char* name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    return {};
}

sqlite3_stmt* SqliteJournal::statement(const QByteArray& sql)
{
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v3(m_session.m_db.get(), sql.constData(), static_cast<int>(sql.size()),
                                          SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
        StatementHandle handle(raw);
        if (rc != SQLITE_OK)
            throw m_session.failure(rc);
        found = m_statements.emplace(sql, std::move(handle)).first;
    }
    sqlite3_stmt* statement = found->second.get();
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

void SqliteJournal::runToEnd(sqlite3_stmt* statement)
{
    while (step(statement)) {
    }
}

bool SqliteJournal::step(sqlite3_stmt* statement)
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(statement);
        return false;
    }
    const RuntimeError error = m_session.failure(rc);
    sqlite3_reset(statement);
    throw error;
}

bool SqliteJournal::exists()
{
    if (!m_exists) {
        sqlite3_stmt* found =
            statement("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('hourvane_changes', "
                      "'hourvane_change_rows')");
        m_exists = step(found) && sqlite3_column_int(found, 0) == 2;
        sqlite3_reset(found);
    }
    return *m_exists;
}

const QStringList& SqliteJournal::columnsOf(const QString& table)
{
    auto found = m_columns.find(table);
    if (found != m_columns.end())
        return *found;
    QStringList columns;
    sqlite3_stmt* read = statement("SELECT name FROM pragma_table_info(?1) ORDER BY cid");
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(read, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (step(read)) {
        const QString column = textAt(read, 0);
        if (column != u"ID")
            columns << column;
    }
    return *m_columns.insert(table, columns);
}

void SqliteJournal::settleOpen()
{
    if (exists())
        runToEnd(statement("UPDATE hourvane_changes SET open = 0 WHERE id = (SELECT max(id) FROM hourvane_changes) "
                           "AND open = 1"));
}

void SqliteJournal::close(const QString& description)
{
    if (!exists())
        return;
    sqlite3_stmt* closing = statement("UPDATE hourvane_changes SET open = 0, made_by = ?1, description = ?2 "
                                      "WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1");
    const QByteArray user = systemUser().toUtf8();
    const QByteArray text = description.toUtf8();
    if (!user.isEmpty())
        sqlite3_bind_text(closing, 1, user.constData(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
    if (!text.isEmpty())
        sqlite3_bind_text(closing, 2, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    runToEnd(closing);
}

void SqliteJournal::trim()
{
    if (!exists() || !m_session.readOnlyReason().isEmpty() || m_session.inTransaction())
        return;
    // Nothing is locked when there is nothing to drop.
    sqlite3_stmt* count = statement("SELECT count(*) > " + QByteArray::number(kKept)
                                    + " OR EXISTS (SELECT 1 FROM hourvane_changes WHERE undone = 1) FROM hourvane_changes");
    const bool dropping = step(count) && sqlite3_column_int(count, 0) != 0;
    sqlite3_reset(count);
    if (!dropping)
        return;
    m_session.begin();
    try {
        runToEnd(statement(trimSql()));
        m_session.commit();
    } catch (...) {
        m_session.rollback();
        throw;
    }
}

std::vector<JournalChange> SqliteJournal::changesFrom(sqlite3_stmt* read)
{
    std::vector<JournalChange> changes;
    while (step(read)) {
        JournalChange change;
        change.id = sqlite3_column_int64(read, 0);
        change.madeAt = QDateTime::fromString(textAt(read, 1), Qt::ISODate);
        change.madeBy = textAt(read, 2);
        change.description = textAt(read, 3);
        change.undone = sqlite3_column_int(read, 4) != 0;
        changes.push_back(change);
    }
    return changes;
}

std::vector<JournalChange> SqliteJournal::stored(int count)
{
    sqlite3_stmt* read = statement("SELECT id, made_at, made_by, description, undone FROM hourvane_changes "
                                   "ORDER BY id DESC LIMIT ?1");
    sqlite3_bind_int(read, 1, count);
    return changesFrom(read);
}

std::optional<JournalChange> SqliteJournal::storedChange(qint64 id)
{
    sqlite3_stmt* read =
        statement("SELECT id, made_at, made_by, description, undone FROM hourvane_changes WHERE id = ?1");
    sqlite3_bind_int64(read, 1, id);
    std::vector<JournalChange> found = changesFrom(read);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

qint64 SqliteJournal::target(bool forward)
{
    // Undo: the newest change not undone (one another program left open is
    // complete: its transaction committed). Redo: the undone change just
    // after it, the one undone last, unless a change was made since.
    sqlite3_stmt* read = statement(
        forward ? QByteArray("SELECT min(id) FROM hourvane_changes WHERE undone = 1 AND id > "
                             "coalesce((SELECT max(id) FROM hourvane_changes WHERE undone = 0), 0)")
                : QByteArray("SELECT max(id) FROM hourvane_changes WHERE undone = 0"));
    const qint64 id = step(read) ? sqlite3_column_int64(read, 0) : 0;
    sqlite3_reset(read);
    return id;
}

std::vector<ChangeTouch> SqliteJournal::touches(const std::vector<qint64>& changes)
{
    // The bare columns beside min(row_id) are the first row's: its name.
    sqlite3_stmt* read = statement(
        "SELECT tbl, before, after, count(*), min(row_id), CASE WHEN after THEN a1 ELSE b1 END, "
        "CASE WHEN after THEN a2 ELSE b2 END, CASE WHEN after THEN a4 ELSE b4 END FROM hourvane_change_rows "
        "WHERE change = ?1 AND (before OR after) GROUP BY tbl, before, after");
    std::vector<ChangeTouch> found;
    for (const qint64 change : changes) {
        sqlite3_bind_int64(read, 1, change);
        while (step(read)) {
            ChangeTouch touch;
            touch.change = change;
            touch.table = textAt(read, 0);
            const bool before = sqlite3_column_int(read, 1) != 0;
            const bool after = sqlite3_column_int(read, 2) != 0;
            touch.kind = !before ? ChangeTouch::Added : (after ? ChangeTouch::Edited : ChangeTouch::Deleted);
            touch.count = sqlite3_column_int64(read, 3);
            touch.firstId = sqlite3_column_int64(read, 4);
            if (touch.table == u"Employees") {
                // As the stored query "Employees Extended" names an employee.
                const QString name = (textAt(read, 5) + u' ' + textAt(read, 6)).trimmed();
                touch.firstName = name.isEmpty() ? textAt(read, 7) : name;
            } else if (touch.table == u"Work Codes") {
                touch.firstName = textAt(read, 5);
            }
            found.push_back(touch);
        }
    }
    return found;
}

std::optional<ReplayConflict> SqliteJournal::conflict(qint64 change, bool forward)
{
    // The state the replay starts from: after the change for an undo, before
    // it for a redo.
    const QByteArray flag = forward ? "r.before" : "r.after";
    const char prefix = forward ? 'b' : 'a';
    for (const char* table : kTables) {
        const QString name = QString::fromLatin1(table);
        QByteArray same = "t.\"ID\" = r.row_id";
        const QStringList& columns = columnsOf(name);
        for (int i = 0; i < columns.size(); ++i)
            same += " AND t." + quotedName(columns[i]) + " IS r." + prefix + QByteArray::number(i + 1);
        const QByteArray tableName = quotedName(name);
        sqlite3_stmt* read = statement(
            "SELECT r.row_id FROM hourvane_change_rows r WHERE r.change = ?1 AND r.tbl = ?2 AND (r.before OR r.after) "
            "AND NOT CASE WHEN " + flag + " THEN EXISTS (SELECT 1 FROM " + tableName + " t WHERE " + same
            + ") ELSE NOT EXISTS (SELECT 1 FROM " + tableName + " t WHERE t.\"ID\" = r.row_id) END "
              "ORDER BY r.row_id LIMIT 1");
        sqlite3_bind_int64(read, 1, change);
        sqlite3_bind_text(read, 2, table, -1, SQLITE_STATIC);
        if (!step(read))
            continue;
        ReplayConflict found;
        found.table = name;
        found.rowId = sqlite3_column_int64(read, 0);
        sqlite3_reset(read);
        sqlite3_stmt* who = statement(
            "SELECT c.made_by, c.made_at FROM hourvane_change_rows r JOIN hourvane_changes c ON c.id = r.change "
            "WHERE r.tbl = ?1 AND r.row_id = ?2 AND r.change > ?3 AND c.undone = 0 "
            "ORDER BY r.change DESC LIMIT 1");
        sqlite3_bind_text(who, 1, table, -1, SQLITE_STATIC);
        sqlite3_bind_int64(who, 2, found.rowId);
        sqlite3_bind_int64(who, 3, change);
        if (step(who)) {
            found.known = true;
            found.madeBy = textAt(who, 0);
            found.madeAt = QDateTime::fromString(textAt(who, 1), Qt::ISODate);
            sqlite3_reset(who);
        }
        return found;
    }
    return std::nullopt;
}

void SqliteJournal::apply(qint64 change, bool forward)
{
    // Every row the change touched goes, and comes back as it stood before
    // the change (or after it), with its own ID.
    const QByteArray flag = forward ? "after" : "before";
    const char prefix = forward ? 'a' : 'b';
    for (const char* table : kTables) {
        const QString name = QString::fromLatin1(table);
        const QByteArray tableName = quotedName(name);
        sqlite3_stmt* remove =
            statement("DELETE FROM " + tableName + " WHERE \"ID\" IN (SELECT row_id FROM hourvane_change_rows "
                                                   "WHERE change = ?1 AND tbl = ?2 AND (before OR after))");
        sqlite3_bind_int64(remove, 1, change);
        sqlite3_bind_text(remove, 2, table, -1, SQLITE_STATIC);
        runToEnd(remove);
        QByteArray targets = "\"ID\"";
        QByteArray values = "row_id";
        const QStringList& columns = columnsOf(name);
        for (int i = 0; i < columns.size(); ++i) {
            targets += ", " + quotedName(columns[i]);
            values += ", " + QByteArray(1, prefix) + QByteArray::number(i + 1);
        }
        sqlite3_stmt* restore = statement("INSERT INTO " + tableName + " (" + targets + ") SELECT " + values
                                          + " FROM hourvane_change_rows WHERE change = ?1 AND tbl = ?2 AND " + flag
                                          + " ORDER BY row_id");
        sqlite3_bind_int64(restore, 1, change);
        sqlite3_bind_text(restore, 2, table, -1, SQLITE_STATIC);
        runToEnd(restore);
    }
    // The replay's own writes opened a change of their own: it goes.
    runToEnd(statement("DELETE FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1"));
    sqlite3_stmt* mark = statement("UPDATE hourvane_changes SET undone = ?2 WHERE id = ?1");
    sqlite3_bind_int64(mark, 1, change);
    sqlite3_bind_int(mark, 2, forward ? 0 : 1);
    runToEnd(mark);
}

}  // namespace hv::data
