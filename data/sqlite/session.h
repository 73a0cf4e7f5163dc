#pragma once

#include "data/engine.h"
#include "data/sqlite/file_check.h"
#include "data/sqlite/handles.h"
#include "core/runtime_error.h"

#include <functional>
#include <memory>
#include <optional>

namespace hv::data {

class BackgroundPageCheck;
class Connection;
class SqliteJournal;

// A database file of this program open in SQLite: what a Connection holds
// when its connection string names a file. Nothing is written before the
// file is known to be ours; every write is on disk when its call returns; a
// file found damaged, at the open or later, is kept open read-only.
class SqliteSession final : public Engine {
public:
    // Opens the file at `path` as Connection::Open() describes, checking its
    // pages as deep as `check` asks, when `timing` says. `turnedReadOnly` is
    // called when damage met after the open turns the session read-only (a
    // file that opens read-only says so through readOnlyReason() alone).
    // `options` give the lock time-out, the backup made before an upgrade and
    // the advice, when given, on what the user can do about a damaged file,
    // which follows what was found.
    SqliteSession(const QString& path, PageCheck check, CheckTiming timing, std::function<void()> turnedReadOnly,
                  EngineOptions options = {});
    ~SqliteSession() override;

    long execute(const QString& sql) override;
    std::unique_ptr<RowCursor> query(const QString& sql) override;
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    // A prepared insert is the file's fastest way: nothing here.
    std::unique_ptr<RowCopy> copyRows(const QString& table, const QStringList& columns) override;
    // Another connection's commit moves the file's data_version on.
    bool changedElsewhere() override;
    int changeSocket() const override { return -1; }
    const SqlDialect& dialect() const override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    ChangeJournal& journal() override;
    void describeChange(const QString& description) override;

    // Runs `write` (a step of a statement that writes) as one change: inside
    // the present transaction, or else in a transaction of its own that the
    // journal closes before it commits.
    void asChange(const std::function<void()>& write);

    qint64 highestIdEver(const QString& table) override;
    void reserveIdsUpTo(const QString& table, qint64 highest) override;
    // The local file never checks an entry's employee or work code.
    void keepEntriesWithoutRecords() override {}

    QString readOnlyReason() const override { return m_readOnlyReason; }
    bool isDamaged() const override { return m_damaged; }
    bool checkedFully() const override { return m_checkedFully && !m_damaged; }
    bool settlePageCheck(bool wait) override;
    QString dataSource() const override { return m_path; }
    QString serverHost() const override { return {}; }

    // For tests and tools that must reach the file past the program's
    // statements (a pragma, a limit on its size): the engine handle of
    // `connection`'s open file. Raises the "connection cannot be used" error
    // when the connection is closed or reaches a server. The program's own
    // code never uses it.
    static sqlite3* handleOf(const Connection& connection);

private:
    friend class SqliteJournal;

    // Brings a file of an older version of the tables up to this one (the
    // journal of changes in its present form), once, after the backup
    // Connection asks for.
    void upgrade();
    // The statement text translated and compiled, refused when it is not one
    // select, insert, update or delete, or anything but blanks follows it.
    StatementHandle compile(const QString& sql);
    // The error to raise for an engine result code: the engine's message, the
    // lock message, or (turning the session read-only) the damage message.
    RuntimeError failure(int resultCode);
    void becomeDamaged(const QString& finding);
    // Makes the engine itself refuse every change, whatever reaches it.
    void refuseWrites(const QString& reason);
    // A text about the damaged file followed by the advice, when there is one.
    QString withAdvice(const QString& text) const;
    // What a read-only session of a damaged file says about every write.
    QString readOnlyDamageText(const QString& finding) const;
    // Raises readOnlyReason() when writes are refused, which a page check
    // still running decides first.
    void requireWritable();
    // Raises the "no transaction" error outside one.
    void requireTransaction() const;
    // Runs a statement of the session's own; raises failure() when refused.
    void run(const char* sql);

    DatabaseHandle m_db;
    std::unique_ptr<SqlDialect> m_dialect;
    QString m_path;
    // Set while a statement of the program is being compiled, so that the
    // authorizer applies to it and not to the session's own queries.
    bool m_guardActive = false;
    QString m_readOnlyReason;
    bool m_damaged = false;
    // The open's check compared every page and index and found them sound.
    bool m_checkedFully = false;
    // The page check that runs beside the program, until its verdict is in:
    // its depth until the first question about it starts it.
    std::optional<PageCheck> m_pageCheckToRun;
    std::unique_ptr<BackgroundPageCheck> m_pageCheck;
    std::function<void()> m_turnedReadOnly;
    EngineOptions m_options;
    std::unique_ptr<SqliteJournal> m_journal;
    // What the present transaction is, for the journal (empty: what it did).
    QString m_description;
    // The file's data_version when last asked.
    std::optional<qint64> m_dataVersion;
};

}  // namespace hv::data
