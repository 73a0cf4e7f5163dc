#include "data/sqlite/session.h"

#include "data/connection.h"
#include "data/row_copy.h"
#include "data/sql_dialect.h"
#include "data/sqlite/background_page_check.h"
#include "data/sqlite/cursor.h"
#include "data/sqlite/failure_text.h"
#include "data/sqlite/format.h"
#include "data/sqlite/journal.h"
#include "data/sqlite/sql_functions.h"
#include "data/sqlite/statement.h"

#include <QFile>

namespace hv::data {

// The texts of journal.sql, journal_from_2.sql and report_views.sql,
// compiled in (journal_text.cpp is made from them at build time).
extern const char* const kSqliteJournalText;
extern const char* const kSqliteJournalFrom2Text;
extern const char* const kSqliteReportViewsText;
extern const char* const kSqliteTermsText;

namespace {

RuntimeError engineError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

RuntimeError engineError(sqlite3* db)
{
    return engineError(engineFailureText(db));
}


// Statements handed to Execute or a recordset may read and change rows, never
// the structure of the database, its settings or the transaction state.
int authorizeStatement(void* guardActive, int action, const char*, const char*, const char*, const char*)
{
    if (!*static_cast<bool*>(guardActive))
        return SQLITE_OK;
    switch (action) {
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
    case SQLITE_ALTER_TABLE:
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_REINDEX:
    case SQLITE_ANALYZE:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

bool onlyBlanks(const char* text)
{
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != '\f' && *text != '\v')
            return false;
    }
    return true;
}

// The declared columns of a table or view (none when `db` holds no such one).
TableColumns declaredColumns(sqlite3* db, const QString& table)
{
    TableColumns columns;
    columns.tableName = table;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?1)", -1, &raw, nullptr) != SQLITE_OK)
        return columns;
    const StatementHandle statement(raw);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(raw, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        const QString column = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1)));
        columns.names << column;
        columns.kindByLowerName.insert(column.toLower(), columnKindOf(type));
    }
    return columns;
}

// Why a file of version `from` must be brought up to date, as the messages
// about it say.
QString upgradeNeed(const QString& path, int from)
{
    QString gains;
    if (from < format::kJournalVersion)
        gains = QStringLiteral("it gains a journal of changes, for Undo, and an index of the dates, for reports");
    else if (from < format::kOneTableJournalVersion)
        gains = QStringLiteral("its journal of changes, for Undo, takes a form that costs each write less, and it "
                               "gains an index of the dates, for reports");
    else if (from < 4)
        gains = QStringLiteral("it gains an index of the dates, for reports");
    if (from < format::kTermsVersion)
        gains += (gains.isEmpty() ? QStringLiteral("it gains") : QStringLiteral(", and it gains"))
            + QStringLiteral(" a table of contracted hours and of people and work codes no longer active");
    return QStringLiteral("The database '%1' must be brought up to date for this version of Hourvane (%2)")
        .arg(path, gains);
}

int userVersion(sqlite3* db)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &raw, nullptr) != SQLITE_OK)
        return 0;
    const StatementHandle statement(raw);
    return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : 0;
}

}  // namespace

SqliteSession::SqliteSession(const QString& path, PageCheck check, CheckTiming timing,
                             std::function<void()> turnedReadOnly, EngineOptions options)
    : m_path(path), m_turnedReadOnly(std::move(turnedReadOnly)), m_options(std::move(options))
{
    // Decided from the file's own bytes: the engine never sees (and never
    // rolls back the journal of) a file that is not ours.
    const DatabaseFileVerdict found = DatabaseFileCheck::inspect(path);
    if (found.kind == DatabaseFileVerdict::Damaged)
        throw engineError(withAdvice(found.reason + QStringLiteral("\nIt cannot be opened.")));
    if (!found.isSound())
        throw engineError(found.reason);

    const int rc = openHandle(QFile::encodeName(path).constData(), SQLITE_OPEN_READWRITE, m_db);
    sqlite3* raw = m_db.get();
    if (rc != SQLITE_OK)
        throw engineError(QStringLiteral("Could not open the database file '%1' (%2).")
                              .arg(path, raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString()));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, m_options.lockTimeoutMs);

    // The first read takes the file's lock (and undoes what an interrupted
    // write of this program left in the journal).
    DatabaseFileVerdict verdict = DatabaseFileCheck::checkSchema(raw, path);
    // A file to be brought up to date is known sound first.
    const bool checkBeside = timing == CheckTiming::Beside && verdict.isSound()
        && userVersion(raw) >= format::kUserVersion;
    if (verdict.isSound() && !checkBeside)
        verdict = DatabaseFileCheck::checkPages(path, check, m_options.lockTimeoutMs);
    if (!verdict.isSound() && verdict.kind != DatabaseFileVerdict::Damaged)
        throw engineError(verdict.reason);

    // A write reported done must survive a crash or a power cut: sync fully,
    // with the rollback journal (the engine's default).
    sqlite3_exec(raw, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sortOnHelperThreads(raw);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    // A bracketed name is a name: one the database does not know is refused,
    // never read as a text in double quotes (which would, say, make a
    // misspelt column in a where clause match nothing and delete nothing).
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if (registerSqlFunctions(raw) != SQLITE_OK)
        throw engineError(raw);
    sqlite3_set_authorizer(raw, authorizeStatement, &m_guardActive);

    m_dialect = std::make_unique<SqlDialect>([raw](const QString& table) { return declaredColumns(raw, table); });
    m_checkedFully = !checkBeside && check == PageCheck::Full && verdict.isSound();
    if (verdict.kind == DatabaseFileVerdict::Damaged) {
        m_damaged = true;
        refuseWrites(readOnlyDamageText(verdict.reason));
    } else if (sqlite3_db_readonly(raw, "main") == 1) {
        refuseWrites(
            QStringLiteral("The database '%1' cannot be written: the system lets Hourvane read it only. What it "
                           "holds is shown, and nothing will be written to it. Allow writing to the file and its "
                           "folder, then start Hourvane again.")
                .arg(path));
    }
    m_journal = std::make_unique<SqliteJournal>(*this);
    if (m_readOnlyReason.isEmpty() && userVersion(raw) < format::kUserVersion)
        upgrade();
    if (m_readOnlyReason.isEmpty())
        m_journal->watch(raw);
    changedElsewhere();  // what others change from now on
    if (checkBeside)
        m_pageCheckToRun = check;
}

bool SqliteSession::settlePageCheck(bool wait)
{
    // The check starts at the first question about it, so that it takes
    // nothing from the opening itself.
    if (m_pageCheckToRun)
        m_pageCheck = std::make_unique<BackgroundPageCheck>(m_path, *std::exchange(m_pageCheckToRun, std::nullopt),
                                                            m_options.lockTimeoutMs);
    if (!m_pageCheck)
        return true;
    if (!wait && !m_pageCheck->ready())
        return false;
    const std::unique_ptr<BackgroundPageCheck> check = std::move(m_pageCheck);
    const DatabaseFileVerdict verdict = check->verdict();
    if (verdict.kind == DatabaseFileVerdict::Damaged)
        becomeDamaged(verdict.reason);
    else if (verdict.isSound())
        m_checkedFully = check->depth() == PageCheck::Full;
    // Any other verdict (a lock held throughout) leaves the file unchecked,
    // as a check that never ran would.
    return true;
}

SqliteSession::~SqliteSession() = default;

void SqliteSession::upgrade()
{
    sqlite3* db = m_db.get();
    const int from = userVersion(db);
    // A copy of the file as it was comes first; without one the file is not
    // changed, and is shown read-only (an older Hourvane still opens it).
    if (const auto& backUp = m_options.upgradeBackup) {
        try {
            backUp(m_path);
        } catch (const RuntimeError& error) {
            refuseWrites(upgradeNeed(m_path, from)
                         + QStringLiteral(", and a backup of it is made first, which failed: %1\nWhat it holds is "
                                          "shown, and nothing will be written to it.")
                               .arg(error.description()));
            return;
        }
    }
    run("BEGIN IMMEDIATE");
    try {
        // Another copy of the program may have done it meanwhile.
        const int found = userVersion(db);
        if (found < format::kUserVersion) {
            if (found < format::kOneTableJournalVersion) {
                run(kSqliteJournalText);
                // The journal of version 2 is carried over, change by change.
                if (found >= format::kJournalVersion)
                    run(kSqliteJournalFrom2Text);
            }
            // The report queries of each version, with the index they select by.
            run(kSqliteReportViewsText);
            // The table of terms, with its journal's triggers.
            if (found < format::kTermsVersion)
                run(kSqliteTermsText);
            run(("PRAGMA user_version = " + QByteArray::number(format::kUserVersion)).constData());
        }
        run("COMMIT");
    } catch (const RuntimeError& failure) {
        const int code = sqlite3_errcode(db) & 0xff;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        // A lock held too long fails the open as any lock does; anything else
        // (a full disk) leaves the file as it was, shown read-only.
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED || !m_readOnlyReason.isEmpty())
            throw;
        refuseWrites(upgradeNeed(m_path, from)
                     + QStringLiteral(", which failed: %1\nNothing was changed; what it holds is shown, and nothing "
                                      "will be written to it.")
                           .arg(failure.description()));
        return;
    }
    m_journal->forgetExistence();
}

ChangeJournal& SqliteSession::journal()
{
    return *m_journal;
}

void SqliteSession::describeChange(const QString& description)
{
    requireTransaction();
    m_description = description;
}

void SqliteSession::asChange(const std::function<void()>& write)
{
    if (inTransaction()) {
        // A statement that fails is undone alone, and so is its record.
        const std::size_t mark = m_journal->mark();
        try {
            write();
        } catch (...) {
            m_journal->dropSince(mark);
            throw;
        }
        m_journal->writeOutIfLarge();
        return;
    }
    begin();
    try {
        write();
        commit();
    } catch (...) {
        if (inTransaction())
            sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

sqlite3* SqliteSession::handleOf(const Connection& connection)
{
    auto* session = dynamic_cast<SqliteSession*>(&engineOf(connection));
    if (!session)
        throw Connection::unusable();
    return session->m_db.get();
}

QString SqliteSession::withAdvice(const QString& text) const
{
    return m_options.damageAdvice ? text + QStringLiteral("\n\n") + m_options.damageAdvice(m_path) : text;
}

QString SqliteSession::readOnlyDamageText(const QString& finding) const
{
    return withAdvice(finding + QStringLiteral("\nHourvane has opened it read-only: what can still be read is shown, "
                                               "and nothing will be written to it."));
}

void SqliteSession::refuseWrites(const QString& reason)
{
    m_readOnlyReason = reason;
    sqlite3_exec(m_db.get(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
}

RuntimeError SqliteSession::failure(int resultCode)
{
    sqlite3* db = m_db.get();
    const DatabaseFileVerdict verdict = DatabaseFileCheck::engineVerdict(db, resultCode, m_path);
    if (verdict.kind == DatabaseFileVerdict::Damaged) {
        becomeDamaged(verdict.reason);
        return engineError(m_readOnlyReason);
    }
    if (verdict.kind == DatabaseFileVerdict::Locked)
        return engineError(verdict.reason);
    return engineError(db);
}

void SqliteSession::becomeDamaged(const QString& finding)
{
    if (m_damaged)
        return;
    const bool wasReadOnly = !m_readOnlyReason.isEmpty();
    m_damaged = true;
    refuseWrites(readOnlyDamageText(finding));
    if (!wasReadOnly && m_turnedReadOnly)
        m_turnedReadOnly();
}

void SqliteSession::requireWritable()
{
    settlePageCheck(true);
    if (!m_readOnlyReason.isEmpty())
        throw engineError(m_readOnlyReason);
}

StatementHandle SqliteSession::compile(const QString& sql)
{
    const QByteArray utf8 = m_dialect->translate(sql).toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    m_guardActive = true;
    const int rc = sqlite3_prepare_v3(m_db.get(), utf8.constData(), static_cast<int>(utf8.size()), 0, &raw, &tail);
    m_guardActive = false;
    StatementHandle statement(raw);
    if ((rc & 0xff) == SQLITE_AUTH)
        throw engineError(QStringLiteral("Only select, insert, update and delete statements can be run: '%1'.")
                              .arg(sql));
    if (rc != SQLITE_OK)
        throw failure(rc);
    if (!statement)
        throw engineError(QStringLiteral(
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'SELECT', or 'UPDATE'."));
    if (tail && !onlyBlanks(tail))
        throw engineError(QStringLiteral("Characters found after end of SQL statement."));
    return statement;
}

long SqliteSession::execute(const QString& sql)
{
    const StatementHandle statement = compile(sql);
    const bool reading = sqlite3_stmt_readonly(statement.get());
    const auto stepAll = [&] {
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            throw failure(rc);
    };
    if (reading) {
        stepAll();
        return 0;
    }
    requireWritable();
    long changed = 0;
    asChange([&] {
        stepAll();
        // Counted before the journal's own writes.
        changed = static_cast<long>(sqlite3_changes64(m_db.get()));
    });
    return changed;
}

std::unique_ptr<RowCursor> SqliteSession::query(const QString& sql)
{
    StatementHandle statement = compile(sql);
    if (!sqlite3_stmt_readonly(statement.get()))
        throw engineError(QStringLiteral("A recordset only reads data; '%1' would change it.").arg(sql));
    return std::make_unique<SqliteCursor>(std::move(statement), [this](int rc) { return failure(rc); });
}

std::unique_ptr<EngineStatement> SqliteSession::prepare(const QString& sql)
{
    return std::make_unique<SqliteStatement>(*this, m_db.get(), sql);
}

std::unique_ptr<RowCopy> SqliteSession::copyRows(const QString&, const QStringList&)
{
    return nullptr;
}

bool SqliteSession::changedElsewhere()
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), "PRAGMA data_version", -1, &raw, nullptr) != SQLITE_OK)
        return false;
    const StatementHandle statement(raw);
    // A file that cannot be read now (locked) is asked again next time.
    if (sqlite3_step(raw) != SQLITE_ROW)
        return false;
    const qint64 version = sqlite3_column_int64(raw, 0);
    const bool changed = m_dataVersion && *m_dataVersion != version;
    m_dataVersion = version;
    return changed;
}

const SqlDialect& SqliteSession::dialect() const
{
    return *m_dialect;
}

void SqliteSession::run(const char* sql)
{
    const int rc = sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw failure(rc);
}

void SqliteSession::requireTransaction() const
{
    if (!inTransaction())
        throw engineError(QStringLiteral("No transaction is open on this connection."));
}

void SqliteSession::begin()
{
    if (inTransaction())
        throw engineError(QStringLiteral("A transaction is already open on this connection."));
    requireWritable();
    // Takes the write lock now, so a second program waits here, not half-way.
    run("BEGIN IMMEDIATE");
    m_description.clear();
    try {
        m_journal->settleOpen();
    } catch (const RuntimeError&) {
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteSession::commit()
{
    requireTransaction();
    // A file found damaged since begin() takes none of the transaction.
    if (!m_readOnlyReason.isEmpty()) {
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        requireWritable();
    }
    try {
        m_journal->close(m_description);
    } catch (const RuntimeError&) {
        // Nothing of a change goes in without its record.
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_description.clear();
    run("COMMIT");
}

void SqliteSession::rollback()
{
    requireTransaction();
    m_description.clear();
    m_journal->forgetPending();
    run("ROLLBACK");
}

bool SqliteSession::inTransaction() const
{
    return !sqlite3_get_autocommit(m_db.get());
}

qint64 SqliteSession::highestIdEver(const QString& table)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
                           "coalesce((SELECT max(\"ID\") FROM \""
        + table.toUtf8().replace('"', "\"\"") + "\"), 0))";
    const int rc = sqlite3_prepare_v2(m_db.get(), sql.constData(), -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        throw failure(rc);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(raw, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const int step = sqlite3_step(raw);
    if (step != SQLITE_ROW)
        throw failure(step);
    return sqlite3_column_int64(raw, 0);
}

void SqliteSession::reserveIdsUpTo(const QString& table, qint64 highest)
{
    requireWritable();
    const QByteArray name = table.toUtf8();
    for (const char* sql : {"INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 "
                            "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?1)",
                            "UPDATE sqlite_sequence SET seq = ?2 WHERE name = ?1 AND seq < ?2"}) {
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v2(m_db.get(), sql, -1, &raw, nullptr);
        const StatementHandle statement(raw);
        if (rc != SQLITE_OK)
            throw failure(rc);
        sqlite3_bind_text(raw, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, highest);
        const int step = sqlite3_step(raw);
        if (step != SQLITE_DONE)
            throw failure(step);
    }
}

}  // namespace hv::data
