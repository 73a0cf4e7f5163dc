#include "data/sqlite/journal.h"

#include "core/runtime_error.h"
#include "core/utf8_text.h"
#include "data/sqlite/session.h"

#include <QScopeGuard>
#include <QStringList>
#include <iterator>

namespace hv::data {

namespace {

// The journaled tables: the three, and the program's own terms.
const char* const kTables[] = {"Employees", "Work Codes", "Work Hours", "hourvane_terms"};
constexpr int kTableCount = static_cast<int>(std::size(kTables));

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

// The time a change is recorded at, as the journal keeps it.
const QByteArray kNow = "strftime('%Y-%m-%dT%H:%M:%SZ', 'now')";

// The most columns after "ID" a table has (Employees), and so the image
// columns of the journal: b1 to b16, a1 to a16.
constexpr int kImageColumns = 16;

// One row event as the update hook saw it, by position: ?5 is b1, ?21 is a1;
// the last of a change holds its record (?37 to ?41).
const QByteArray kEventInsert =
    "INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, "
    "b13, b14, b15, b16, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, made_at, made_by, "
    "description, undone, prev) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
    "?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34, ?35, ?36, ?37, ?38, ?39, "
    "?40, ?41)";
constexpr int kRecordParameter = 37;

// Binds `text` to `parameter` of `statement`, an empty text as Null.
void bindText(sqlite3_stmt* statement, int parameter, const QByteArray& text)
{
    if (!text.isEmpty())
        sqlite3_bind_text(statement, parameter, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool s_updateHookUsed = true;

// How many row events the update hook keeps in memory before they are
// written out, between two statements of a transaction.
constexpr std::size_t kKeptInMemory = 4096;

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
            statement("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'hourvane_journal'");
        m_exists = step(found) && sqlite3_column_int(found, 0) == 1;
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

void SqliteJournal::setUpdateHookUsed(bool used)
{
    s_updateHookUsed = used;
}

void SqliteJournal::watch(sqlite3* db)
{
#ifdef HOURVANE_SQLITE_UPDATE_HOOK
    if (!s_updateHookUsed || !exists())
        return;
    try {
        for (int i = 0; i < kTableCount; ++i) {
            sqlite3_stmt* read = statement("SELECT cid FROM pragma_table_info(?1) WHERE name = 'ID'");
            sqlite3_bind_text(read, 1, kTables[i], -1, SQLITE_STATIC);
            if (!step(read))
                return;
            m_idColumn[i] = sqlite3_column_int(read, 0);
            sqlite3_reset(read);
            if (columnsOf(QString::fromLatin1(kTables[i])).size() > kImageColumns)
                return;
        }
    } catch (const RuntimeError&) {
        // The file's triggers record the writes, as without the hook.
        return;
    }
    m_watched = db;
    followTriggers();
#else
    Q_UNUSED(db);
#endif
}

void SqliteJournal::followTriggers()
{
#ifdef HOURVANE_SQLITE_UPDATE_HOOK
    if (!m_watched)
        return;
    sqlite3_stmt* version = statement("PRAGMA schema_version");
    const qint64 schema = step(version) ? sqlite3_column_int64(version, 0) : 0;
    sqlite3_reset(version);
    if (schema == m_schemaVersion)
        return;
    m_schemaVersion = schema;
    // The journal's own triggers, by name; any other is someone's rule about
    // the tables that the program's writes must meet, so all of them fire.
    QByteArray own;
    for (const char* table : kTables) {
        for (const char* what : {"added", "edited", "renumbered", "deleted"})
            own += QByteArray(own.isEmpty() ? "" : ", ") + "'" + table + ' ' + what + " (journal)'";
    }
    sqlite3_stmt* others =
        statement("SELECT count(*) FROM sqlite_schema WHERE type = 'trigger' AND name NOT IN (" + own + ")");
    const bool foreign = step(others) && sqlite3_column_int(others, 0) > 0;
    sqlite3_reset(others);
    int enabled = 1;
    sqlite3_db_config(m_watched, SQLITE_DBCONFIG_ENABLE_TRIGGER, foreign ? 1 : 0, &enabled);
    m_hooked = enabled == 0;
    sqlite3_preupdate_hook(m_watched, m_hooked ? &SqliteJournal::onUpdate : nullptr, m_hooked ? this : nullptr);
#endif
}

void SqliteJournal::onUpdate(void* journal, sqlite3* db, int operation, const char* database, const char* table,
                             sqlite3_int64 oldRowId, sqlite3_int64 newRowId)
{
#ifdef HOURVANE_SQLITE_UPDATE_HOOK
    auto* self = static_cast<SqliteJournal*>(journal);
    if (!self->m_recording || qstrcmp(database, "main") != 0)
        return;
    int which = 0;
    while (which < kTableCount && qstrcmp(table, kTables[which]) != 0)
        ++which;
    if (which == kTableCount)
        return;
    // The engine's own values live as long as this call: they are copied.
    const int count = sqlite3_preupdate_count(db);
    const auto image = [&](bool old) {
        RowImage values;
        for (int i = 0; i < count; ++i) {
            if (i == self->m_idColumn[which])
                continue;
            sqlite3_value* value = nullptr;
            if ((old ? sqlite3_preupdate_old(db, i, &value) : sqlite3_preupdate_new(db, i, &value)) != SQLITE_OK
                || !value)
                throw std::bad_alloc();
            values.append(value);
        }
        return values;
    };
    try {
        const char* name = kTables[which];
        if (operation == SQLITE_INSERT) {
            self->m_pending.push_back({name, newRowId, false, true, {}, image(false)});
        } else if (operation == SQLITE_DELETE) {
            self->m_pending.push_back({name, oldRowId, true, false, image(true), {}});
        } else if (oldRowId == newRowId) {
            self->m_pending.push_back({name, newRowId, true, true, image(true), image(false)});
        } else {
            // A new "ID": the row goes under the old one and comes under the new.
            self->m_pending.push_back({name, oldRowId, true, false, image(true), {}});
            self->m_pending.push_back({name, newRowId, false, true, {}, image(false)});
        }
    } catch (...) {
        self->m_incomplete = true;
    }
#else
    Q_UNUSED(journal);
    Q_UNUSED(db);
    Q_UNUSED(operation);
    Q_UNUSED(database);
    Q_UNUSED(table);
    Q_UNUSED(oldRowId);
    Q_UNUSED(newRowId);
#endif
}

void SqliteJournal::dropSince(std::size_t mark)
{
    if (mark < m_pending.size())
        m_pending.erase(m_pending.begin() + static_cast<std::ptrdiff_t>(mark), m_pending.end());
}

void SqliteJournal::forgetPending()
{
    m_pending.clear();
    m_incomplete = false;
    m_writtenOut = false;
}

void SqliteJournal::writeOutIfLarge()
{
    if (m_pending.size() >= kKeptInMemory && !m_incomplete)
        writePending(false);
}

void SqliteJournal::writePending(bool withRecord, const QByteArray& user, const QByteArray& description)
{
    if (m_pending.empty())
        return;
    const QByteArray now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8();
    sqlite3_stmt* write = statement(kEventInsert);
    for (std::size_t e = 0; e < m_pending.size(); ++e) {
        const RowEvent& event = m_pending[e];
        sqlite3_bind_text(write, 1, event.table, -1, SQLITE_STATIC);
        sqlite3_bind_int64(write, 2, event.rowId);
        sqlite3_bind_int(write, 3, event.before ? 1 : 0);
        sqlite3_bind_int(write, 4, event.after ? 1 : 0);
        event.beforeImage.bindTo(write, 5);
        event.afterImage.bindTo(write, 5 + kImageColumns);
        if (withRecord && e + 1 == m_pending.size()) {
            bindText(write, kRecordParameter, now);
            bindText(write, kRecordParameter + 1, user);
            bindText(write, kRecordParameter + 2, description);
            sqlite3_bind_int(write, kRecordParameter + 3, 0);
            sqlite3_bind_int64(write, kRecordParameter + 4, m_newest);
        }
        runToEnd(write);
        sqlite3_clear_bindings(write);
    }
    m_pending.clear();
    m_writtenOut = true;
}

qint64 SqliteJournal::newestChange()
{
    // Only events another program left behind stand after it.
    sqlite3_stmt* read =
        statement("SELECT seq FROM hourvane_journal WHERE made_at IS NOT NULL ORDER BY seq DESC LIMIT 1");
    const qint64 seq = step(read) ? sqlite3_column_int64(read, 0) : 0;
    sqlite3_reset(read);
    return seq;
}

std::optional<SqliteJournal::ChangeRow> SqliteJournal::changeRow(qint64 id)
{
    sqlite3_stmt* read = statement("SELECT seq, made_at, made_by, description, undone, prev FROM hourvane_journal "
                                   "WHERE seq = ?1 AND made_at IS NOT NULL");
    sqlite3_bind_int64(read, 1, id);
    if (!step(read))
        return std::nullopt;
    ChangeRow row;
    row.change.id = sqlite3_column_int64(read, 0);
    row.change.madeAt = QDateTime::fromString(textAt(read, 1), Qt::ISODate);
    row.change.madeBy = textAt(read, 2);
    row.change.description = textAt(read, 3);
    row.undoneAt = sqlite3_column_int64(read, 4);
    row.change.undone = row.undoneAt != 0;
    row.prev = sqlite3_column_int64(read, 5);
    sqlite3_reset(read);
    return row;
}

std::vector<SqliteJournal::ChangeRow> SqliteJournal::chain(int count)
{
    std::vector<ChangeRow> rows;
    qint64 id = newestChange();
    while (id > 0 && static_cast<int>(rows.size()) < count) {
        std::optional<ChangeRow> row = changeRow(id);
        // The oldest kept change may name one already dropped.
        if (!row)
            break;
        id = row->prev;
        rows.push_back(std::move(*row));
    }
    return rows;
}

QByteArray SqliteJournal::netRows(const QString& table)
{
    // A row's first event holds it as it was before the change, its last
    // event as the change left it.
    QByteArray images;
    const int count = static_cast<int>(columnsOf(table).size());
    for (int i = 1; i <= count; ++i) {
        const QByteArray n = QByteArray::number(i);
        images += ", f.b" + n + " AS b" + n + ", l.a" + n + " AS a" + n;
    }
    return "(SELECT n.row_id AS row_id, f.before AS before, l.after AS after" + images
        + " FROM (SELECT row_id, min(seq) AS first, max(seq) AS last FROM hourvane_journal "
          "WHERE seq > ?1 AND seq <= ?2 AND tbl = ?3 GROUP BY row_id) n "
          "JOIN hourvane_journal f ON f.seq = n.first JOIN hourvane_journal l ON l.seq = n.last)";
}

void SqliteJournal::settleOpen()
{
    forgetPending();
    m_newest = 0;
    if (!exists())
        return;
    followTriggers();
    sqlite3_stmt* last =
        statement("SELECT seq, made_at IS NOT NULL FROM hourvane_journal ORDER BY seq DESC LIMIT 1");
    if (!step(last))
        return;
    const qint64 seq = sqlite3_column_int64(last, 0);
    const bool ended = sqlite3_column_int(last, 1) != 0;
    sqlite3_reset(last);
    // Another program's events end in a change with no one's name, and the
    // time it is found at.
    if (!ended) {
        sqlite3_stmt* ending =
            statement("UPDATE hourvane_journal SET made_at = " + kNow + ", undone = 0, prev = ?1 WHERE seq = ?2");
        sqlite3_bind_int64(ending, 1, newestChange());
        sqlite3_bind_int64(ending, 2, seq);
        runToEnd(ending);
    }
    m_newest = seq;
}

void SqliteJournal::close(const QString& description)
{
    if (!exists()) {
        forgetPending();
        return;
    }
    if (m_incomplete) {
        forgetPending();
        throw RuntimeError(err::DatabaseEngine, QStringLiteral("The journal of changes could not keep this change (the "
                                                               "memory ran out); nothing of it was written."));
    }
    const QByteArray user = systemUser().toUtf8();
    const QByteArray text = description.toUtf8();
    if (m_hooked) {
        if (!m_pending.empty()) {
            writePending(true, user, text);
            return;
        }
        if (!m_writtenOut)
            return;
    }
    // The transaction's last event, if it wrote any (the triggers', or the
    // update hook's written out before), takes the record.
    sqlite3_stmt* ending = statement("UPDATE hourvane_journal SET made_at = " + kNow
                                     + ", made_by = ?1, description = ?2, undone = 0, prev = ?3 "
                                       "WHERE seq = (SELECT max(seq) FROM hourvane_journal) AND seq > ?3");
    bindText(ending, 1, user);
    bindText(ending, 2, text);
    sqlite3_bind_int64(ending, 3, m_newest);
    runToEnd(ending);
}

void SqliteJournal::trim()
{
    if (!exists() || !m_session.readOnlyReason().isEmpty() || m_session.inTransaction())
        return;
    // What no one can reach any more: the changes past the newest kKept, and
    // undone ones a change made since has put out of Redo's reach. Each
    // dropped change goes with its events; the change after it then begins
    // where it began.
    const auto drop = [this](bool write) {
        const std::vector<ChangeRow> rows = chain(kKept + 1);
        const qint64 newest = rows.empty() ? 0 : rows.front().change.id;
        bool dropping = false;
        qint64 newerKept = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ChangeRow& row = rows[i];
            if (i == static_cast<std::size_t>(kKept)) {
                dropping = true;
                if (write) {
                    sqlite3_stmt* old = statement("DELETE FROM hourvane_journal WHERE seq <= ?1");
                    sqlite3_bind_int64(old, 1, row.change.id);
                    runToEnd(old);
                }
                break;
            }
            if (!row.change.undone || row.undoneAt >= newest) {
                newerKept = row.change.id;
                continue;
            }
            dropping = true;
            if (!write)
                continue;
            sqlite3_stmt* gone = statement("DELETE FROM hourvane_journal WHERE seq > ?1 AND seq <= ?2");
            sqlite3_bind_int64(gone, 1, row.prev);
            sqlite3_bind_int64(gone, 2, row.change.id);
            runToEnd(gone);
            sqlite3_stmt* relink = statement("UPDATE hourvane_journal SET prev = ?1 WHERE seq = ?2");
            sqlite3_bind_int64(relink, 1, row.prev);
            sqlite3_bind_int64(relink, 2, newerKept);
            runToEnd(relink);
        }
        return dropping;
    };
    // Nothing is locked when there is nothing to drop.
    if (!drop(false))
        return;
    m_session.begin();
    try {
        drop(true);
        m_session.commit();
    } catch (...) {
        m_session.rollback();
        throw;
    }
}

std::vector<JournalChange> SqliteJournal::stored(int count)
{
    std::vector<JournalChange> changes;
    for (ChangeRow& row : chain(count))
        changes.push_back(std::move(row.change));
    return changes;
}

std::optional<JournalChange> SqliteJournal::storedChange(qint64 id)
{
    std::optional<ChangeRow> row = changeRow(id);
    if (!row)
        return std::nullopt;
    return row->change;
}

qint64 SqliteJournal::target(bool forward)
{
    // Undo: the newest change not undone (one made of another program's
    // events is complete: its transaction committed). Redo: of the undone
    // changes above it, the one undone last (the oldest), as long as no
    // change was made since it was undone.
    const qint64 newest = newestChange();
    qint64 redoable = 0;
    for (qint64 id = newest; id > 0;) {
        const std::optional<ChangeRow> row = changeRow(id);
        if (!row || !row->change.undone)
            return forward ? redoable : (row ? row->change.id : 0);
        if (row->undoneAt >= newest)
            redoable = row->change.id;
        id = row->prev;
    }
    return forward ? redoable : 0;
}

std::vector<ChangeTouch> SqliteJournal::touches(const std::vector<qint64>& changes)
{
    // The bare columns beside min(row_id) are the first row's: its name.
    sqlite3_stmt* read = statement(
        "SELECT n.tbl, f.before, l.after, count(*), min(n.row_id), CASE WHEN l.after THEN l.a1 ELSE f.b1 END, "
        "CASE WHEN l.after THEN l.a2 ELSE f.b2 END, CASE WHEN l.after THEN l.a4 ELSE f.b4 END "
        "FROM (SELECT tbl, row_id, min(seq) AS first, max(seq) AS last FROM hourvane_journal "
        "WHERE seq > ?1 AND seq <= ?2 GROUP BY tbl, row_id) n "
        "JOIN hourvane_journal f ON f.seq = n.first JOIN hourvane_journal l ON l.seq = n.last "
        "WHERE f.before OR l.after GROUP BY n.tbl, f.before, l.after");
    std::vector<ChangeTouch> found;
    for (const qint64 change : changes) {
        const std::optional<ChangeRow> row = changeRow(change);
        if (!row)
            continue;
        sqlite3_bind_int64(read, 1, row->prev);
        sqlite3_bind_int64(read, 2, change);
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
    const std::optional<ChangeRow> changed = changeRow(change);
    if (!changed)
        return std::nullopt;
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
            "SELECT r.row_id FROM " + netRows(name) + " r WHERE (r.before OR r.after) AND NOT CASE WHEN " + flag
            + " THEN EXISTS (SELECT 1 FROM " + tableName + " t WHERE " + same + ") ELSE NOT EXISTS (SELECT 1 FROM "
            + tableName + " t WHERE t.\"ID\" = r.row_id) END ORDER BY r.row_id LIMIT 1");
        sqlite3_bind_int64(read, 1, changed->prev);
        sqlite3_bind_int64(read, 2, change);
        sqlite3_bind_text(read, 3, table, -1, SQLITE_STATIC);
        if (!step(read))
            continue;
        ReplayConflict found;
        found.table = name;
        found.rowId = sqlite3_column_int64(read, 0);
        sqlite3_reset(read);
        // The newest later event of the row in a change not undone; its
        // change's record is on the first event from it on that has one.
        sqlite3_stmt* who = statement(
            "SELECT c.made_by, c.made_at FROM hourvane_journal e JOIN hourvane_journal c ON c.seq = "
            "(SELECT x.seq FROM hourvane_journal x WHERE x.made_at IS NOT NULL AND x.seq >= e.seq ORDER BY x.seq "
            "LIMIT 1) "
            "WHERE e.tbl = ?1 AND e.row_id = ?2 AND e.seq > ?3 AND c.undone = 0 ORDER BY e.seq DESC LIMIT 1");
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
    const std::optional<ChangeRow> changed = changeRow(change);
    if (!changed)
        return;
    m_recording = false;
    const auto recordAgain = qScopeGuard([this] { m_recording = true; });
    // Every row the change touched goes, and comes back as it stood before
    // the change (or after it), with its own ID.
    const QByteArray flag = forward ? "after" : "before";
    const char prefix = forward ? 'a' : 'b';
    for (const char* table : kTables) {
        const QString name = QString::fromLatin1(table);
        const QByteArray tableName = quotedName(name);
        const QByteArray rows = netRows(name);
        sqlite3_stmt* remove = statement("DELETE FROM " + tableName + " WHERE \"ID\" IN (SELECT row_id FROM " + rows
                                         + " WHERE before OR after)");
        QByteArray targets = "\"ID\"";
        QByteArray values = "row_id";
        const QStringList& columns = columnsOf(name);
        for (int i = 0; i < columns.size(); ++i) {
            targets += ", " + quotedName(columns[i]);
            values += ", " + QByteArray(1, prefix) + QByteArray::number(i + 1);
        }
        sqlite3_stmt* restore = statement("INSERT INTO " + tableName + " (" + targets + ") SELECT " + values + " FROM "
                                          + rows + " WHERE " + flag + " ORDER BY row_id");
        for (sqlite3_stmt* write : {remove, restore}) {
            sqlite3_bind_int64(write, 1, changed->prev);
            sqlite3_bind_int64(write, 2, change);
            sqlite3_bind_text(write, 3, table, -1, SQLITE_STATIC);
            runToEnd(write);
        }
    }
    // The file's triggers recorded the replay's writes after the newest
    // change (where they record the program's writes): those events go.
    sqlite3_stmt* own = statement("DELETE FROM hourvane_journal WHERE seq > ?1");
    sqlite3_bind_int64(own, 1, m_newest);
    runToEnd(own);
    // An undone change keeps the newest change of that moment: one made
    // later puts it out of Redo's reach.
    sqlite3_stmt* mark = statement("UPDATE hourvane_journal SET undone = ?2 WHERE seq = ?1");
    sqlite3_bind_int64(mark, 1, change);
    sqlite3_bind_int64(mark, 2, forward ? 0 : m_newest);
    runToEnd(mark);
}

}  // namespace hv::data
