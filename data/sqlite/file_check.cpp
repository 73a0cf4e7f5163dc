#include "data/sqlite/file_check.h"

#include "data/sqlite/format.h"
#include "core/read_only_file.h"
#include "data/sqlite/handles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace hv::data {

namespace {

constexpr int kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // and its terminating NUL: 16 bytes
// The first bytes of a rollback journal that still holds changes to undo.
constexpr std::array<unsigned char, 8> kJournalMagic = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};

DatabaseFileVerdict verdict(DatabaseFileVerdict::Kind kind, const QString& reason)
{
    return {kind, reason};
}

quint32 bigEndian32(const unsigned char* bytes)
{
    return (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | quint32(bytes[3]);
}

// What the 100-byte header says; Sound when it is this program's database
// in a layout this version reads.
DatabaseFileVerdict judgeHeader(const unsigned char* header, const QString& path)
{
    using V = DatabaseFileVerdict;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return verdict(V::NotADatabase,
                       QStringLiteral("Unrecognized database format '%1': the file is not a Hourvane database.").arg(path));
    const qint32 applicationId = static_cast<qint32>(bigEndian32(header + 68));
    if (applicationId != format::kApplicationId)
        return verdict(V::OtherProgram,
                       QStringLiteral("The file '%1' is a database of another program, not of Hourvane.").arg(path));

    const unsigned pageSize = (unsigned(header[16]) << 8) | header[17];
    const bool pageSizeValid = pageSize == 1 || (pageSize >= 512 && pageSize <= 32768 && (pageSize & (pageSize - 1)) == 0);
    if (!pageSizeValid || header[21] != 64 || header[22] != 32 || header[23] != 32)
        return verdict(V::Damaged, QStringLiteral("The database '%1' is damaged (its header is not valid).").arg(path));
    if (header[19] > 2)
        return verdict(V::NewerVersion,
                       QStringLiteral("The database '%1' is in a newer file format than this version of Hourvane "
                                      "can read.")
                           .arg(path));
    const qint32 userVersion = static_cast<qint32>(bigEndian32(header + 60));
    // Every file this program made carries a version of its layout from 1 up.
    if (userVersion < 1)
        return verdict(V::Damaged, QStringLiteral("The database '%1' is damaged (its header gives %2 as the "
                                                  "version of its tables, which Hourvane never writes).")
                                       .arg(path)
                                       .arg(userVersion));
    if (userVersion > format::kUserVersion)
        return verdict(V::NewerVersion,
                       QStringLiteral("The database '%1' was made by a newer version of Hourvane; open it with "
                                      "that version.")
                           .arg(path));
    return {};
}

// A rollback journal beside the file that still holds changes to undo,
// where the file or its folder cannot be written: undoing them is
// impossible, and reading the file without undoing them would show half a
// change. A journal that is no file at all (a pipe, say) stands in the way too.
DatabaseFileVerdict judgeJournal(const QString& path)
{
    const QString journal = path + QStringLiteral("-journal");
    const DatabaseFileVerdict companions = DatabaseFileCheck::inspectCompanions(path);
    if (!companions.isSound())
        return companions;
    fs::ReadOnlyFile file(journal);
    const QByteArray start = file.readStart(static_cast<qint64>(kJournalMagic.size()));
    if (start.size() != static_cast<qsizetype>(kJournalMagic.size())
        || std::memcmp(start.constData(), kJournalMagic.data(), kJournalMagic.size()) != 0)
        return {};
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray nativeFolder = QFile::encodeName(folder);
    const QByteArray nativePath = QFile::encodeName(path);
    // Judged for the ids the program runs with.
    QString blocked;
    if (::faccessat(AT_FDCWD, nativeFolder.constData(), W_OK, AT_EACCESS) != 0)
        blocked = QStringLiteral("the folder '%1' cannot be written").arg(folder);
    else if (::faccessat(AT_FDCWD, nativePath.constData(), W_OK, AT_EACCESS) != 0)
        blocked = QStringLiteral("the file cannot be written");
    if (blocked.isEmpty())
        return {};
    return verdict(DatabaseFileVerdict::UnfinishedChanges,
                   QStringLiteral("The database '%1' holds changes that were never finished, kept in '%2'. They must "
                                  "be undone before the file can be read, but %3. Allow writing there (or copy the "
                                  "folder somewhere you can write), then start Hourvane again.")
                       .arg(path, journal, blocked));
}

// The lower-case names of the file's tables and views; the engine's result
// code (SQLITE_OK when the whole list was read).
int readNames(sqlite3* db, QSet<QString>& tables, QSet<QString>& views)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT type, name FROM sqlite_schema WHERE type IN ('table', 'view')", -1, &raw,
                                nullptr);
    StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        return rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1))).toLower();
        (type == u"view" ? views : tables).insert(name);
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

DatabaseFileVerdict DatabaseFileCheck::inspect(const QString& path)
{
    using V = DatabaseFileVerdict;
    // Judged before it is opened, and opened without waiting: a pipe or a
    // device is never read.
    fs::ReadOnlyFile file(path);
    const fs::FileKind& kind = file.kind();
    switch (kind.kind()) {
    case fs::FileKind::BrokenLink:
        return verdict(V::BrokenLink, QStringLiteral("'%1' is a link to '%2', which does not exist.")
                                          .arg(path, QFileInfo(path).symLinkTarget()));
    case fs::FileKind::Missing: return verdict(V::Missing, QStringLiteral("Could not find file '%1'.").arg(path));
    case fs::FileKind::Unreachable:
        return verdict(V::Unreadable,
                       QStringLiteral("The file '%1' cannot be reached (%2).").arg(path, file.errorString()));
    case fs::FileKind::Folder: return verdict(V::Folder, QStringLiteral("'%1' is a folder, not a database file.").arg(path));
    case fs::FileKind::File: break;
    default:
        return verdict(V::NotAFile, QStringLiteral("'%1' is %2, not a database file.").arg(path, kind.name()));
    }
    if (!file.isOpen())
        return verdict(V::Unreadable,
                       QStringLiteral("The file '%1' cannot be read (%2).").arg(path, file.errorString()));
    if (file.size() == 0)
        return verdict(V::Empty, QStringLiteral("The file '%1' is empty: it is not a Hourvane database.").arg(path));

    const QByteArray header = file.readStart(kHeaderSize);
    if (file.error() != 0)
        return verdict(V::Unreadable,
                       QStringLiteral("The file '%1' cannot be read (%2).").arg(path, file.errorString()));
    if (header.size() < kHeaderSize)
        return verdict(V::NotADatabase,
                       QStringLiteral("Unrecognized database format '%1': the file is not a Hourvane database.").arg(path));
    const DatabaseFileVerdict fromHeader = judgeHeader(reinterpret_cast<const unsigned char*>(header.constData()), path);
    if (!fromHeader.isSound())
        return fromHeader;
    return judgeJournal(path);
}

DatabaseFileVerdict DatabaseFileCheck::inspectCompanions(const QString& path)
{
    for (const QString& companion : {path + QStringLiteral("-journal"), path + QStringLiteral("-wal")}) {
        const fs::FileKind kind = fs::FileKind::of(companion);
        if (kind.exists() && !kind.isFile() && !kind.name().isEmpty())
            return verdict(DatabaseFileVerdict::NotAFile,
                           QStringLiteral("The database '%1' cannot be opened: '%2' beside it, where its journal "
                                          "belongs, is %3. Move it away, then try again.")
                               .arg(path, companion, kind.name()));
    }
    return {};
}

namespace {

// A handle that can only read the file, waiting for locks as a connection
// does; a verdict instead when it cannot be had.
DatabaseHandle openForReading(const QString& path, int lockTimeoutMs, DatabaseFileVerdict& failure)
{
    DatabaseHandle db;
    const int rc = openHandle(QFile::encodeName(path).constData(), SQLITE_OPEN_READONLY, db);
    sqlite3* raw = db.get();
    if (rc != SQLITE_OK) {
        failure = DatabaseFileCheck::engineVerdict(raw, rc, path);
        return nullptr;
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, lockTimeoutMs);
    return db;
}

}  // namespace

DatabaseFileVerdict DatabaseFileCheck::inspectThoroughly(const QString& path, int lockTimeoutMs)
{
    DatabaseFileVerdict result = inspect(path);
    if (!result.isSound())
        return result;
    const DatabaseHandle db = openForReading(path, lockTimeoutMs, result);
    if (!db)
        return result;
    result = checkSchema(db.get(), path);
    if (result.isSound())
        result = checkPages(path, PageCheck::Full, lockTimeoutMs);
    return result;
}

DatabaseFileVerdict DatabaseFileCheck::checkSchema(sqlite3* db, const QString& path)
{
    QSet<QString> tables;
    QSet<QString> views;
    const int rc = readNames(db, tables, views);
    if (rc != SQLITE_OK)
        return engineVerdict(db, rc, path);

    QStringList missing;
    for (const char* table : format::kTables) {
        if (!tables.contains(QString::fromLatin1(table).toLower()))
            missing << QStringLiteral("the table [%1]").arg(QLatin1String(table));
    }
    for (const char* query : format::kQueries) {
        if (!views.contains(QString::fromLatin1(query).toLower()))
            missing << QStringLiteral("the query [%1]").arg(QLatin1String(query));
    }
    // A file of version 1 gains the journal when the program opens it, and
    // one of version 2 has it in the form of then.
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &raw, nullptr) == SQLITE_OK) {
        const StatementHandle version(raw);
        const int userVersion = sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : 0;
        QStringList journal;
        if (userVersion >= format::kJournalVersion && userVersion < format::kOneTableJournalVersion) {
            for (const char* table : format::kVersion2JournalTables)
                journal << QString::fromLatin1(table);
        } else if (userVersion >= format::kOneTableJournalVersion) {
            journal << QString::fromLatin1(format::kJournalTable);
        }
        for (const QString& table : journal) {
            if (!tables.contains(table))
                missing << QStringLiteral("the table [%1]").arg(table);
        }
    }
    if (!missing.isEmpty())
        return verdict(DatabaseFileVerdict::Incomplete,
                       QStringLiteral("The file '%1' is not a Hourvane database: it lacks %2.")
                           .arg(path, missing.join(QStringLiteral(", "))));
    return {};
}

DatabaseFileVerdict DatabaseFileCheck::checkPages(const QString& path, PageCheck depth, int lockTimeoutMs,
                                                  std::atomic<bool>* stop)
{
    DatabaseFileVerdict failure;
    const DatabaseHandle handle = openForReading(path, lockTimeoutMs, failure);
    if (!handle)
        return failure;
    sqlite3* db = handle.get();
    if (stop) {
        // Asked every few thousand steps of the walk whether to stop.
        constexpr int kStepsBetweenQuestions = 10000;
        sqlite3_progress_handler(
            db, kStepsBetweenQuestions,
            [](void* flag) { return static_cast<std::atomic<bool>*>(flag)->load() ? 1 : 0; }, stop);
    }
    // One finding is enough to know, and stops the walk early.
    const char* sql = depth == PageCheck::Full ? "PRAGMA integrity_check(1)" : "PRAGMA quick_check(1)";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        return engineVerdict(db, rc, path);
    rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW)
        return engineVerdict(db, rc, path);
    const QString finding = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    if (finding == u"ok")
        return {};
    return verdict(DatabaseFileVerdict::Damaged,
                   QStringLiteral("The database '%1' is damaged (%2).").arg(path, finding.simplified()));
}

DatabaseFileVerdict DatabaseFileCheck::engineVerdict(sqlite3* db, int resultCode, const QString& path)
{
    using V = DatabaseFileVerdict;
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(resultCode));
    switch (resultCode & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
        return verdict(V::Damaged, QStringLiteral("The database '%1' is damaged (%2).").arg(path, message));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return verdict(V::Locked, QStringLiteral("The database '%1' is in use by another program, which keeps it "
                                                 "locked. Close that program, or wait until it has finished, and "
                                                 "try again.")
                                      .arg(path));
    default:
        break;
    }
    if (resultCode == SQLITE_READONLY_ROLLBACK)
        return verdict(V::UnfinishedChanges,
                       QStringLiteral("The database '%1' holds changes that were never finished, and they can only "
                                      "be undone by a program that may write to it.")
                           .arg(path));
    return verdict(V::EngineFailure, QStringLiteral("Could not read the database file '%1' (%2).").arg(path, message));
}

}  // namespace hv::data
