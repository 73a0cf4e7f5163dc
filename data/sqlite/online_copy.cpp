#include "data/sqlite/online_copy.h"

#include "data/sqlite/file_check.h"
#include "core/durable_file.h"
#include "core/file_system.h"
#include "core/file_kind.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <utility>

namespace hv::data {

namespace {

// How long the copy waits for a writer of the source to finish, looking
// every little while whether it is to stop.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kBusyPollMs = 100;
// How many pages a step of the copy reads while it holds the source's read
// lock, some megabytes: between two steps a writer of the source goes on.
constexpr int kPagesAStep = 1024;
// How often a copy starts over because the source was written meanwhile
// before it copies the rest in one step, a writer then waiting for it.
constexpr int kStartsBeforeOneStep = 3;

RuntimeError readError(const QString& reason)
{
    return {err::DatabaseEngine, reason};
}

RuntimeError writeError(const QString& reason)
{
    return {err::PathFileAccess, reason};
}

QString engineMessage(sqlite3* db, int rc)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

// Why the engine could not write a file: the system's reason where the system
// refused (a full disk: "No space left on device"), else the engine's.
QString writeReason(sqlite3* db, int rc)
{
    const int error = db ? sqlite3_system_errno(db) : 0;
    return error != 0 ? fs::systemErrorText(error) : engineMessage(db, rc);
}

DatabaseHandle openDatabase(const QString& path, int flags, int busyTimeoutMs = kBusyTimeoutMs)
{
    DatabaseHandle db;
    const int rc = openHandle(QFile::encodeName(path).constData(), flags, db);
    sqlite3* raw = db.get();
    if (rc != SQLITE_OK)
        throw (flags & SQLITE_OPEN_READONLY) ? readError(engineMessage(raw, rc)) : writeError(engineMessage(raw, rc));
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    return db;
}

void requireFile(const QString& path)
{
    // Named by its kind, never opened: a pipe or a device is not waited on.
    const fs::FileKind kind = fs::FileKind::of(path);
    if (!kind.exists())
        throw RuntimeError(err::FileNotFound, kind.notADatabaseFileReason());
    if (!kind.isFile())
        throw readError(kind.notADatabaseFileReason());
    const DatabaseFileVerdict companions = DatabaseFileCheck::inspectCompanions(path);
    if (!companions.isSound())
        throw readError(companions.reason.chopped(1));  // its full stop: the caller ends the sentence
}

// The engine's copy from one handle to another, finished however it ends.
class PageCopy {
public:
    PageCopy(sqlite3* from, sqlite3* to) : m_from(from), m_to(to), m_backup(sqlite3_backup_init(to, "main", from, "main"))
    {
        if (!m_backup)
            throw writeError(engineMessage(to, SQLITE_ERROR));
    }
    ~PageCopy()
    {
        if (m_backup)
            sqlite3_backup_finish(m_backup);
    }
    PageCopy(const PageCopy&) = delete;
    PageCopy& operator=(const PageCopy&) = delete;

    // Copies the pages in steps, telling `steps` of each, until every page
    // of one snapshot of the source is copied.
    void run(const WorkSteps& steps)
    {
        QElapsedTimer waiting;
        int starts = 1;
        int left = -1;
        for (;;) {
            const int rc = sqlite3_backup_step(m_backup, starts > kStartsBeforeOneStep ? -1 : kPagesAStep);
            const int total = sqlite3_backup_pagecount(m_backup);
            if (rc == SQLITE_DONE) {
                stepDone(steps, total, total);
                break;
            }
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                // A writer holds the source: waited for, as long as a write would.
                if (!waiting.isValid())
                    waiting.start();
                if (waiting.elapsed() >= kBusyTimeoutMs)
                    fail(rc);
                stepDone(steps, std::max(0, total - std::max(0, left)), total);
                continue;
            }
            if (rc != SQLITE_OK)
                fail(rc);
            waiting.invalidate();
            // More pages left than before: a write to the source between two
            // steps, which the engine answers by starting over, so that the
            // copy is one snapshot whatever was written meanwhile.
            const int nowLeft = sqlite3_backup_remaining(m_backup);
            if (left >= 0 && nowLeft > left)
                ++starts;
            left = nowLeft;
            stepDone(steps, total - left, total);
        }
        const int rc = sqlite3_backup_finish(std::exchange(m_backup, nullptr));
        if (rc != SQLITE_OK)
            fail(rc);
    }

private:
    [[noreturn]] void fail(int rc)
    {
        // Finishing the copy leaves its error on the handles, with the
        // system's reason where the system refused.
        if (m_backup)
            sqlite3_backup_finish(std::exchange(m_backup, nullptr));
        // A failure to read is the source's, any other the copy's.
        const bool reading = sqlite3_errcode(m_from) != SQLITE_OK || rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT
            || rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
        throw reading ? readError(QString::fromUtf8(sqlite3_errstr(rc))) : writeError(writeReason(m_to, rc));
    }

    sqlite3* m_from;
    sqlite3* m_to;
    sqlite3_backup* m_backup;
};

// Writes every page of the source into the new file at `target` through
// the engine, a few pages in memory at a time whatever the size of the
// file. The copy gets its name only once it is whole, so it needs no
// journal of its own, and it is synced once, at the end.
void writeCopy(const QString& source, const QString& target, const WorkSteps& steps)
{
    const DatabaseHandle from = openDatabase(source, SQLITE_OPEN_READONLY, kBusyPollMs);
    const DatabaseHandle to = openDatabase(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_exec(to.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    PageCopy(from.get(), to.get()).run(steps);
}

}  // namespace

void OnlineCopy::copy(const QString& source, const QString& destination, const WorkSteps& steps)
{
    requireFile(source);
    if (QFileInfo::exists(destination))
        throw writeError(QStringLiteral("'%1' already exists").arg(destination));

    const QString partial = fs::DurableFile::partialPath(destination);
    QFile::remove(partial);
    try {
        writeCopy(source, partial, steps);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    // A file that appeared at the destination meanwhile is never replaced.
    fs::DurableFile::commit(partial, destination, fs::DurableFile::Policy::NeverReplace);
}

bool OnlineCopy::isBeingWritten(const QString& partial)
{
    // Through the engine, which keeps the locks of its other handles on the
    // file when this one closes.
    DatabaseHandle db;
    if (openHandle(QFile::encodeName(partial).constData(), SQLITE_OPEN_READWRITE, db) != SQLITE_OK)
        return false;
    const int rc = sqlite3_exec(db.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

void OnlineCopy::checkIntegrity(const QString& path)
{
    requireFile(path);
    const DatabaseHandle db = openDatabase(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check(10)", -1, &raw, nullptr);
    const StatementHandle statement(raw);
    QStringList problems;
    while (rc == SQLITE_OK && (rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const QString line = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        if (line != u"ok")
            problems << line;
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE)
        throw readError(engineMessage(db.get(), rc));
    if (!problems.isEmpty())
        throw readError(problems.join(QStringLiteral("; ")));
}

}  // namespace hv::data
