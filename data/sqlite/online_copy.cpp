#include "data/sqlite/online_copy.h"

#include "data/sqlite/file_check.h"
#include "core/durable_file.h"
#include "core/file_kind.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>

namespace hv::data {

namespace {

// How long the copy waits for a writer of the source to finish.
constexpr int kBusyTimeoutMs = 5000;

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
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : engineMessage(db, rc);
}

DatabaseHandle openDatabase(const QString& path, int flags)
{
    DatabaseHandle db;
    const int rc = openHandle(QFile::encodeName(path).constData(), flags, db);
    sqlite3* raw = db.get();
    if (rc != SQLITE_OK)
        throw (flags & SQLITE_OPEN_READONLY) ? readError(engineMessage(raw, rc)) : writeError(engineMessage(raw, rc));
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
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

// Copies every page of the source into `to` in one step, which holds the
// source's read lock throughout, so the copy is one snapshot.
void copyPages(sqlite3* from, sqlite3* to)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw writeError(engineMessage(to, SQLITE_ERROR));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        // A failure to read is the source's, any other the copy's.
        const int rc = stepped != SQLITE_DONE ? stepped : finished;
        const bool reading = sqlite3_errcode(from) != SQLITE_OK || rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT
            || rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
        throw reading ? readError(QString::fromUtf8(sqlite3_errstr(rc))) : writeError(writeReason(to, rc));
    }
}

// Writes every page of the source into the new file at `target` through
// the engine, in one step that reads the source as one snapshot, a few
// pages in memory at a time whatever the size of the file. The copy gets
// its name only once it is whole, so it needs no journal of its own, and it
// is synced once, at the end.
void writeCopy(const QString& source, const QString& target)
{
    const DatabaseHandle from = openDatabase(source, SQLITE_OPEN_READONLY);
    const DatabaseHandle to = openDatabase(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_exec(to.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    copyPages(from.get(), to.get());
}

}  // namespace

void OnlineCopy::copy(const QString& source, const QString& destination)
{
    requireFile(source);
    if (QFileInfo::exists(destination))
        throw writeError(QStringLiteral("'%1' already exists").arg(destination));

    const QString partial = fs::DurableFile::partialPath(destination);
    QFile::remove(partial);
    try {
        writeCopy(source, partial);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    // A file that appeared at the destination meanwhile is never replaced.
    fs::DurableFile::commit(partial, destination, fs::DurableFile::Policy::NeverReplace);
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
