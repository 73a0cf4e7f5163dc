// Backups of the live database, their rotation over simulated dates, and the
// restore of a backup in place of the live database.
#include "databases/bench_database.h"
#include "fixtures/old_file_variants.h"
#include "support/page_damage.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/unprivileged.h"

#include "backup/backup_folder.h"
#include "backup/damage_advice.h"
#include "backup/database_backup.h"
#include "backup/database_restore.h"
#include "backup/database_use_lock.h"
#include "data/connection.h"
#include "data/sqlite/online_copy.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"
#include "backup/verified_backups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void touch(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// One copy at 09:00 on every day of each span in turn, the folder rotated
// after each as the program does (a span may lie ahead of the next one: the
// clock ran ahead, then was put right); then the copies of `extra` on the
// last day. The copy of the day `sound`, when given, is recorded as checked.
struct RotationCase {
    const char* name;
    QList<std::pair<const char*, const char*>> spans;
    QList<const char*> extra;  // times of further copies on the last day
    const char* now;
    QStringList kept;
    const char* sound = nullptr;
};

class BackupRotationTest : public ::testing::TestWithParam<RotationCase> {};

TEST_P(BackupRotationTest, KeepsTheLastDaysTheLastMonthsAndToday)
{
    const RotationCase& c = GetParam();
    QTemporaryDir folder;
    const QString last = QString::fromLatin1(c.spans.last().second);
    touch(folder.filePath(QStringLiteral("notes.txt")));
    touch(folder.filePath(QStringLiteral("dbData-old.mdb")));
    // A copy cut short long ago goes.
    touch(folder.filePath(QStringLiteral("dbData-2020-02-02-101010.mdb.partial")));
    const backup::BackupFolder backups(folder.path(), QStringLiteral("/somewhere/dbData.mdb"));
    const backup::VerifiedBackups verified(folder.path(), QStringLiteral("/somewhere/dbData.mdb"));
    const auto make = [&](const QDateTime& made) {
        const QString copy = backups.newCopyPath(made);
        touch(copy);
        if (c.sound && made.date() == QDate::fromString(QString::fromLatin1(c.sound), Qt::ISODate))
            verified.record(copy);
        backups.rotate(made);
    };
    for (const auto& [first, end] : c.spans) {
        for (QDate day = QDate::fromString(QString::fromLatin1(first), Qt::ISODate);
             day <= QDate::fromString(QString::fromLatin1(end), Qt::ISODate); day = day.addDays(1))
            make(QDateTime(day, QTime(9, 0)));
    }
    for (const char* time : c.extra)
        make(QDateTime(QDate::fromString(last, Qt::ISODate), QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss"))));
    backups.rotate(at(c.now));

    QStringList expected = c.kept;
    expected << QStringLiteral("dbData-old.mdb") << QStringLiteral("notes.txt");
    if (c.sound)
        expected << QStringLiteral("dbData.verified");
    expected.sort();
    EXPECT_EQ(namesIn(folder.path()), expected);
}

QStringList daily(const QDate& from, const QDate& to)
{
    QStringList names;
    for (QDate day = from; day <= to; day = day.addDays(1))
        names << QStringLiteral("dbData-%1-090000.mdb").arg(day.toString(Qt::ISODate));
    return names;
}

QStringList monthEnds(int year, int fromMonth, int toMonth)
{
    QStringList names;
    for (int month = fromMonth; month <= toMonth; ++month)
        names << QStringLiteral("dbData-%1-090000.mdb").arg(QDate(year, month, 1).addMonths(1).addDays(-1).toString(Qt::ISODate));
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Dates, BackupRotationTest,
    ::testing::Values(
        // Fifteen months of daily copies, and two more today within one second.
        RotationCase{"DailyUse", {{"2025-01-01", "2026-03-31"}}, {"15:00:00", "15:00:00"}, "2026-03-31 16:00:00",
                     daily(QDate(2026, 3, 18), QDate(2026, 3, 31)) + monthEnds(2025, 4, 12) + monthEnds(2026, 1, 2)
                         + QStringList{QStringLiteral("dbData-2026-03-31-150000.mdb"),
                                       QStringLiteral("dbData-2026-03-31-150000-2.mdb")}},
        // A year of copies, then a year and a half without the program.
        RotationCase{"LongUnused", {{"2024-01-01", "2024-12-31"}}, {}, "2026-06-01 08:00:00",
                     daily(QDate(2024, 12, 18), QDate(2024, 12, 31)) + monthEnds(2024, 1, 11)},
        // Three weeks with the clock a year ahead: those copies stay, and the
        // days since it was put right keep theirs.
        RotationCase{"ClockRanAhead",
                     {{"2026-03-01", "2026-03-10"}, {"2027-03-11", "2027-03-31"}, {"2026-03-11", "2026-03-31"}},
                     {}, "2026-03-31 16:00:00",
                     daily(QDate(2026, 3, 18), QDate(2026, 3, 31)) + daily(QDate(2027, 3, 18), QDate(2027, 3, 31))},
        // The newest copy known to be sound is kept, however old.
        RotationCase{"OldSoundCopy", {{"2026-01-01", "2026-02-09"}}, {}, "2026-02-09 16:00:00",
                     daily(QDate(2026, 1, 27), QDate(2026, 2, 9)) + daily(QDate(2026, 1, 2), QDate(2026, 1, 2)),
                     "2026-01-02"}),
    [](const auto& info) { return std::string(info.param.name); });

// A database of this program with a few rows, in a temporary data folder.
class BackupTest : public ::testing::Test {
protected:
    BackupTest() { addEmployee(QStringLiteral("Ann")); }

    void addEmployee(const QString& name)
    {
        data::Connection connection;
        connection.Open(m_database.connectionString());
        connection.Execute(QStringLiteral("insert into Employees ([First Name]) values ('%1')").arg(name));
    }

    static QStringList employees(const QString& path)
    {
        data::DatabaseHandle db;
        sqlite3* raw = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        db.reset(raw);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(raw, "SELECT \"First Name\" FROM \"Employees\" ORDER BY \"ID\"", -1, &statement, nullptr);
        const data::StatementHandle owner(statement);
        QStringList names;
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        return names;
    }

    QString backupsFolder() const { return m_database.folder() + QStringLiteral("/backups"); }
    QString live() const { return m_database.path(); }

    TemporaryDatabase m_database;
};

TEST_F(BackupTest, ACopyHoldsWhatWasCommittedAndLeavesTheLiveDatabaseAlone)
{
    // Another program is half-way through a change it has not committed.
    data::Connection writer;
    writer.Open(m_database.connectionString());
    writer.BeginTrans();
    writer.Execute(QStringLiteral("insert into Employees ([First Name]) values ('Uncommitted')"));
    const QByteArray before = bytesOf(live());

    const QString copy = backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-04 10:11:12"));
    EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("dbData-2026-05-04-101112.mdb"));
    EXPECT_EQ(employees(copy), QStringList{QStringLiteral("Ann")});
    EXPECT_NO_THROW(data::OnlineCopy::checkIntegrity(copy));
    EXPECT_NO_THROW(backup::DatabaseRestore::requireDatabaseOfOurs(copy));
    EXPECT_EQ(bytesOf(live()), before);
    writer.CommitTrans();
    // The copy was checked whole, and is recorded so.
    EXPECT_EQ(namesIn(backupsFolder()),
              QStringList({QStringLiteral("dbData-2026-05-04-101112.mdb"), QStringLiteral("dbData.verified")}));
    EXPECT_EQ(backup::VerifiedBackups(backupsFolder(), live()).newest(), copy);
}

// A database of some megabytes is copied a few at a time: a write between
// two of them goes through at once, and the copy holds the database as it
// stood after it, whole; stopped, the copy leaves nothing behind.
TEST_F(BackupTest, AWriteDuringTheCopyGoesOnAndTheCopyHoldsOneStateOfTheDatabase)
{
    bench::writeEntries(live(), 60000, 2, [](int code) { return code == 1; });
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(live()).constData(), &raw), SQLITE_OK);
    const data::DatabaseHandle writer(raw);
    int steps = 0;
    int written = -1;
    const QString copy = backup::DatabaseBackup::intoFolder(
        live(), backupsFolder(), at("2026-05-04 10:11:12"), backup::DatabaseBackup::Source::Unchecked,
        [&](qint64 done, qint64 total) {
            // No waiting: the copy holds no lock between its steps.
            if (++steps == 1 && done < total)
                written = sqlite3_exec(raw, "INSERT INTO \"Employees\" (\"First Name\") VALUES ('Written meanwhile')",
                                       nullptr, nullptr, nullptr);
            return true;
        });
    EXPECT_EQ(written, SQLITE_OK) << sqlite3_errmsg(raw);
    EXPECT_GT(steps, 2);
    EXPECT_EQ(employees(copy), employees(live()));
    EXPECT_TRUE(employees(copy).contains(QStringLiteral("Written meanwhile")));
    EXPECT_NO_THROW(data::OnlineCopy::checkIntegrity(copy));

    try {
        backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-05 10:00:00"),
                                           backup::DatabaseBackup::Source::Unchecked,
                                           [](qint64 done, qint64) { return done == 0; });
        ADD_FAILURE() << "the copy was not stopped";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::UserInterrupt);
    }
    EXPECT_EQ(namesIn(backupsFolder()),
              QStringList({QStringLiteral("dbData-2026-05-04-101112.mdb"), QStringLiteral("dbData.verified")}));
}

TEST_F(BackupTest, TheDailyCopyIsMadeOnceADay)
{
    EXPECT_TRUE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-04 08:00:00")).has_value());
    EXPECT_FALSE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-04 17:30:00")).has_value());
    EXPECT_TRUE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-05 07:59:00")).has_value());
    EXPECT_EQ(backup::BackupFolder(backupsFolder(), live()).copies().size(), 2);
}

// The copies an earlier run cut short go at the next daily copy, whatever
// their day; the one being written meanwhile and files of other names stay.
TEST_F(BackupTest, TheDailyCopyRemovesCopiesCutShortButNotOneBeingWrittenNorFilesOfOtherNames)
{
    bench::writeEntries(live(), 60000, 2, [](int code) { return code == 1; });
    QDir().mkpath(backupsFolder());
    const QStringList cutShort{QStringLiteral("dbData-2026-05-04-070000.mdb.partial"),
                               QStringLiteral("dbData-2026-05-01-070000-2.mdb.partial")};
    const QStringList others{QStringLiteral("other-2026-05-04-070000.mdb.partial"),
                             QStringLiteral("dbData-notes.mdb.partial"),
                             QStringLiteral("dbData-2026-05-04-070000-replaced.mdb.partial"),
                             QStringLiteral("dbData-2026-05-04-070000.mdb.partial.txt")};
    for (const QString& name : cutShort + others)
        touch(backupsFolder() + u'/' + name);
    // One cut short after its first pages, as a killed copy leaves it.
    QFile::copy(live(), backupsFolder() + QStringLiteral("/dbData-2026-05-03-070000.mdb.partial"));

    bool sawUnfinishedStep = false;
    QStringList whileWriting;
    const auto made = backup::DatabaseBackup::daily(
        live(), backupsFolder(), at("2026-05-04 08:00:00"), backup::DatabaseBackup::Source::CheckedSound,
        [&](qint64 done, qint64 total) {
            if (done < total && !sawUnfinishedStep) {
                sawUnfinishedStep = true;
                backup::BackupFolder(backupsFolder(), live()).removeUnfinished();
                whileWriting = namesIn(backupsFolder());
            }
            return true;
        });
    ASSERT_TRUE(made.has_value());
    ASSERT_TRUE(sawUnfinishedStep);
    QStringList expected = others + QStringList{QStringLiteral("dbData-2026-05-04-080000.mdb.partial")};
    expected.sort();
    EXPECT_EQ(whileWriting, expected);
    expected = others + QStringList{QStringLiteral("dbData-2026-05-04-080000.mdb"), QStringLiteral("dbData.verified")};
    expected.sort();
    EXPECT_EQ(namesIn(backupsFolder()), expected);
}

TEST_F(BackupTest, AFailedCopyNamesTheFolderAndLeavesNothingBehind)
{
    touch(backupsFolder());  // a file where the folder should be
    const QByteArray before = bytesOf(live());
    try {
        backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-04 10:00:00"));
        ADD_FAILURE() << "the copy did not fail";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().contains(backupsFolder())) << error.description().toStdString();
    }
    EXPECT_EQ(bytesOf(live()), before);
    EXPECT_EQ(namesIn(m_database.folder()), QStringList({QStringLiteral("backups"), QStringLiteral("dbData.mdb")}));
}

// Another user's lock file, in a folder that takes no writes, still locks:
// a restore's hold on it is seen as such, and shared use is taken after it.
TEST_F(BackupTest, AnotherUsersLockFileInAFolderThatTakesNoWritesStillLocks)
{
    backup::DatabaseUseLock restoring;
    ASSERT_TRUE(restoring.useAlone(live()));
    Unprivileged::makeReadOnly(live(), m_database.folder());
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        backup::DatabaseUseLock use;
        EXPECT_FALSE(use.shareUse(live()));
        EXPECT_TRUE(use.busy());
        restoring.release();
        EXPECT_TRUE(use.shareUse(live()));
    }
    Unprivileged::makeWritable(m_database.folder());
}

TEST_F(BackupTest, ARestorePutsTheBackupInPlaceAndBacksUpWhatItReplaces)
{
    const QString copy = backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-04 10:00:00"));
    addEmployee(QStringLiteral("Bob"));

    const QString replaced = backup::DatabaseRestore(live(), backupsFolder()).run(copy, at("2026-05-04 11:00:00"));
    EXPECT_EQ(employees(live()), QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(employees(replaced), QStringList({QStringLiteral("Ann"), QStringLiteral("Bob")}));
    EXPECT_EQ(employees(copy), QStringList{QStringLiteral("Ann")});
    EXPECT_FALSE(QFileInfo::exists(live() + QStringLiteral(".restoring")));
}

TEST_F(BackupTest, ARestoreIsRefusedWhileAnotherCopyUsesTheDatabase)
{
    const QString copy = backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-04 10:00:00"));
    addEmployee(QStringLiteral("Bob"));
    backup::DatabaseUseLock otherCopy;
    ASSERT_TRUE(otherCopy.shareUse(live()));
    try {
        backup::DatabaseRestore(live(), backupsFolder()).run(copy, at("2026-05-04 11:00:00"));
        ADD_FAILURE() << "the restore was not refused";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("in use by another copy of Hourvane")));
    }
    EXPECT_EQ(employees(live()), QStringList({QStringLiteral("Ann"), QStringLiteral("Bob")}));
    otherCopy.release();
    EXPECT_NO_THROW(backup::DatabaseRestore(live(), backupsFolder()).run(copy, at("2026-05-04 11:00:00")));
}

// `rows` entries written into the database at `path` (made from the
// template first when `ours`, else another program's file) and committed;
// then a change of many more that a program killed half-way left in the
// journal beside it, hot.
void leaveHotJournal(const QString& path, bool ours, int rows)
{
    const QString work = path + QStringLiteral(".work");
    if (ours)
        QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"), work);
    sqlite3* raw = nullptr;
    sqlite3_open(QFile::encodeName(work).constData(), &raw);
    const data::DatabaseHandle db(raw);
    const QByteArray table = ours ? "\"Work Hours\" (\"Work Description\")" : "notes (body)";
    if (!ours)
        sqlite3_exec(raw, "CREATE TABLE notes (body TEXT)", nullptr, nullptr, nullptr);
    const auto insert = [&](int count, const char* text) {
        sqlite3_exec(raw, QByteArray("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                                     + QByteArray::number(count) + ") INSERT INTO " + table + " SELECT printf('"
                                     + text + " %d', i) || zeroblob(300) FROM n")
                              .constData(),
                     nullptr, nullptr, nullptr);
    };
    insert(rows, "committed");
    // A cache of two pages spills the change into the file long before its end.
    sqlite3_exec(raw, "PRAGMA cache_size = 2; BEGIN", nullptr, nullptr, nullptr);
    insert(rows, "unfinished");
    QFile::copy(work, path);
    QFile::copy(work + QStringLiteral("-journal"), path + QStringLiteral("-journal"));
    sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
}

// The entries of a database as the engine reads it at its next open (any
// journal beside it played back first), or -1 when it is not whole.
int entriesAtNextOpen(const QString& path)
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const data::DatabaseHandle db(raw);
    int entries = -1;
    sqlite3_exec(raw,
                 "SELECT (SELECT count(*) FROM \"Work Hours\") FROM pragma_integrity_check "
                 "WHERE integrity_check = 'ok'",
                 [](void* out, int, char** values, char**) {
                     *static_cast<int*>(out) = QByteArray(values[0]).toInt();
                     return 0;
                 },
                 &entries, nullptr);
    return entries;
}

// A live database with a hot journal beside it: what the restore finds, and
// whether it must keep the file apart as it stands (the engine cannot copy it).
struct JournalCase {
    const char* name;
    std::function<void(const QString& live)> make;
    bool keptApart;
};

void PrintTo(const JournalCase& c, std::ostream* out)
{
    *out << c.name;
}

class RestoreOverJournalTest : public BackupTest, public ::testing::WithParamInterface<JournalCase> {};

TEST_P(RestoreOverJournalTest, GivesExactlyTheRestoredEntriesAndKeepsTheOldFile)
{
    QTemporaryDir folder;
    const QString good = folder.filePath(QStringLiteral("good.mdb"));
    QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"), good);
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(good).constData(), &raw);
        const data::DatabaseHandle db(raw);
        sqlite3_exec(raw, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                          "INSERT INTO \"Work Hours\" (\"Work Description\") SELECT 'restored' FROM n",
                     nullptr, nullptr, nullptr);
    }
    QFile::remove(live());
    GetParam().make(live());
    const QString journal = live() + QStringLiteral("-journal");
    ASSERT_TRUE(QFileInfo::exists(journal));
    const QByteArray oldFile = bytesOf(live());
    const QByteArray oldJournal = bytesOf(journal);

    backup::DatabaseRestore restore(live(), backupsFolder());
    const QString replaced = restore.run(good, at("2026-05-04 11:00:00"));
    EXPECT_EQ(entriesAtNextOpen(live()), 100);
    EXPECT_TRUE(backup::DatabaseRestore::companionsOf(live()).isEmpty());
    if (GetParam().keptApart) {
        // Kept as it stood, its journal beside it under the kept name.
        const QString kept = restore.keptApart();
        EXPECT_EQ(kept, replaced);
        EXPECT_TRUE(kept.endsWith(QStringLiteral("-replaced.mdb")) || kept.endsWith(QStringLiteral("-replaced.mdb-journal")))
            << kept.toStdString();
        const QString keptFile = kept.endsWith(QStringLiteral("-journal")) ? kept.chopped(8) : kept;
        EXPECT_EQ(bytesOf(keptFile), oldFile);
        EXPECT_EQ(bytesOf(keptFile + QStringLiteral("-journal")), oldJournal);
        EXPECT_TRUE(backup::BackupFolder(backupsFolder(), live()).copies().isEmpty());
    } else {
        // Ours: the engine undid the unfinished change; the backup holds what was committed.
        EXPECT_EQ(entriesAtNextOpen(replaced), 150);
        EXPECT_TRUE(restore.keptApart().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lives, RestoreOverJournalTest,
    ::testing::Values(
        JournalCase{"Ours", [](const QString& live) { leaveHotJournal(live, true, 150); }, false},
        JournalCase{"OursWithADamagedHeader",
                    [](const QString& live) {
                        leaveHotJournal(live, true, 150);
                        QFile file(live);
                        file.open(QIODevice::ReadWrite);
                        file.seek(21);  // the payload fraction, always 64
                        file.write("\0", 1);
                    },
                    true},
        JournalCase{"AnotherProgramsFile", [](const QString& live) { leaveHotJournal(live, false, 150); }, true},
        JournalCase{"AJournalAlone",
                    [](const QString& live) {
                        leaveHotJournal(live, true, 150);
                        QFile::remove(live);
                    },
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that are not a whole database of this program: refused, and the live
// database, the file and the data folder stay as they were.
struct ForeignFile {
    const char* name;
    std::function<QString(const QString& folder, const QString& live)> make;
    const char* reason;
};

void PrintTo(const ForeignFile& file, std::ostream* out)
{
    *out << file.name;
}

class RestoreRefusalTest : public BackupTest, public ::testing::WithParamInterface<ForeignFile> {};

TEST_P(RestoreRefusalTest, LeavesEverythingAsItWas)
{
    QTemporaryDir folder;
    const QString file = GetParam().make(folder.path(), live());
    const QByteArray fileBefore = bytesOf(file);
    const QByteArray liveBefore = bytesOf(live());
    try {
        backup::DatabaseRestore(live(), backupsFolder()).run(file, at("2026-05-04 11:00:00"));
        ADD_FAILURE() << "the restore was not refused";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().contains(QString::fromLatin1(GetParam().reason)))
            << error.description().toStdString();
    }
    EXPECT_EQ(bytesOf(live()), liveBefore);
    EXPECT_EQ(bytesOf(file), fileBefore);
    // Nothing new but the lock file a restore takes (it stays, as lock files do).
    QStringList names = namesIn(m_database.folder());
    names.removeAll(QStringLiteral("dbData.mdb.in-use"));
    EXPECT_EQ(names, QStringList{QStringLiteral("dbData.mdb")});
}

INSTANTIATE_TEST_SUITE_P(
    Files, RestoreRefusalTest,
    ::testing::Values(
        ForeignFile{"OldFormat", [](const QString&, const QString&) { return oldFixture(); },
                    "is not a Hourvane database"},
        ForeignFile{"Text", [](const QString& f, const QString&) { return makeBadOldFile(BadOldFile::NotOldFormat, f); },
                    "is not a Hourvane database"},
        ForeignFile{"OtherProgram",
                    [](const QString& f, const QString&) {
                        const QString path = f + QStringLiteral("/other.db");
                        sqlite3* raw = nullptr;
                        sqlite3_open(QFile::encodeName(path).constData(), &raw);
                        sqlite3_exec(raw, "CREATE TABLE notes (body TEXT)", nullptr, nullptr, nullptr);
                        sqlite3_close(raw);
                        return path;
                    },
                    "a database of another program"},
        ForeignFile{"Damaged",
                    [](const QString& f, const QString& live) {
                        // A database of ours with one of its entries overwritten
                        // together with the record's header (and so is the copy
                        // the journal keeps of it).
                        const QString path = f + QStringLiteral("/damaged.mdb");
                        QFile::copy(live, path);
                        sqlite3* raw = nullptr;
                        sqlite3_open(QFile::encodeName(path).constData(), &raw);
                        sqlite3_exec(raw,
                                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                                     "INSERT INTO \"Work Hours\" (\"Work Description\") SELECT printf('entry %d', i) FROM n",
                                     nullptr, nullptr, nullptr);
                        sqlite3_close(raw);
                        QByteArray bytes = bytesOf(path);
                        for (qsizetype entry = bytes.indexOf("entry 200"); entry >= 0;
                             entry = bytes.indexOf("entry 200", entry + 12))
                            bytes.replace(entry - 3, 12, QByteArray(12, '\xff'));
                        QFile file(path);
                        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
                        file.write(bytes);
                        return path;
                    },
                    "the database is damaged"},
        ForeignFile{"Missing", [](const QString& f, const QString&) { return makeBadOldFile(BadOldFile::DoesNotExist, f); },
                    "the file does not exist"},
        ForeignFile{"Folder", [](const QString& f, const QString&) { return makeBadOldFile(BadOldFile::Folder, f); },
                    "it is a folder"},
        ForeignFile{"TheLiveDatabase", [](const QString&, const QString& live) { return live; },
                    "it is the live database itself"}),
    [](const auto& info) { return std::string(info.param.name); });

// The copies in the backups folder of a database, and the one the advice
// about a damage names: the newest written that is a sound backup of that
// database, never a copy a restore kept apart, another database's copy or a
// copy cut short.
struct AdviceCase {
    const char* name;
    enum Kind { Sound, CutShort, DamagedPage };
    // Each file: its name, what it holds, the hour of the day it was last written.
    QList<std::tuple<const char*, Kind, int>> files;
    const char* named;  // nullptr: none
    const char* recorded = nullptr;  // recorded as checked beforehand
};

void PrintTo(const AdviceCase& c, std::ostream* out)
{
    *out << c.name;
}

class DamageAdviceTest : public BackupTest, public ::testing::WithParamInterface<AdviceCase> {};

TEST_P(DamageAdviceTest, NamesTheNewestSoundBackupOfTheDatabase)
{
    QDir().mkpath(backupsFolder());
    for (const auto& [name, kind, hour] : GetParam().files) {
        const QString path = backupsFolder() + u'/' + QString::fromLatin1(name);
        backup::DatabaseBackup::toFile(live(), path);
        if (kind == AdviceCase::CutShort) {
            QFile::resize(path, 60);
        } else if (kind == AdviceCase::DamagedPage) {
            ASSERT_TRUE(PageDamage::overwrite(path, PageDamage::rootPage(path, QStringLiteral("Work Hours"))));
        }
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(at("2026-05-04 00:00:00").addSecs(hour * 3600), QFileDevice::FileModificationTime);
    }
    if (GetParam().recorded)
        backup::VerifiedBackups(backupsFolder(), live()).record(backupsFolder() + u'/' + QString::fromLatin1(GetParam().recorded));

    const QString named = backup::DamageAdvice::newestSoundBackup(live());
    const QString expected = GetParam().named ? backupsFolder() + u'/' + QString::fromLatin1(GetParam().named) : QString();
    EXPECT_EQ(named, expected);
    // Found sound, it is recorded so from then on.
    EXPECT_EQ(backup::VerifiedBackups(backupsFolder(), live()).newest(), expected);
}

constexpr auto kSound = AdviceCase::Sound;

INSTANTIATE_TEST_SUITE_P(
    Folders, DamageAdviceTest,
    ::testing::Values(
        AdviceCase{"Empty", {}, nullptr},
        AdviceCase{"OneCopy", {{"dbData-2026-05-03-090000.mdb", kSound, 9}}, "dbData-2026-05-03-090000.mdb"},
        AdviceCase{"ACopyKeptApartByARestore",
                   {{"dbData-2026-05-03-090000.mdb", kSound, 9}, {"dbData-2026-05-04-110000-replaced.mdb", kSound, 11}},
                   "dbData-2026-05-03-090000.mdb"},
        AdviceCase{"OnlyCopiesKeptApart",
                   {{"dbData-2026-05-04-110000-replaced.mdb", kSound, 11},
                    {"dbData-2026-05-04-120000-replaced-2.mdb", kSound, 12}},
                   nullptr},
        AdviceCase{"AnotherDatabasesCopy",
                   {{"dbData-2026-05-03-090000.mdb", kSound, 9}, {"dbOther-2026-05-04-090000.mdb", kSound, 10}},
                   "dbData-2026-05-03-090000.mdb"},
        AdviceCase{"ACopyCutShortWhileWritten", {{"dbData-2026-05-04-090000.mdb.partial", kSound, 9}}, nullptr},
        AdviceCase{"NewerCopiesCutShortOrDamaged",
                   {{"dbData-2026-05-01-090000.mdb", kSound, 8},
                    {"dbData-2026-05-02-090000.mdb", kSound, 9},
                    {"dbData-2026-05-03-090000.mdb", AdviceCase::CutShort, 10},
                    {"dbData-2026-05-04-090000.mdb", AdviceCase::DamagedPage, 11}},
                   "dbData-2026-05-02-090000.mdb"},
        AdviceCase{"TheNewestWrittenThoughNamedEarlier",
                   {{"dbData-2026-05-03-090000.mdb", kSound, 12}, {"dbData-2026-05-04-090000.mdb", kSound, 10}},
                   "dbData-2026-05-03-090000.mdb"},
        AdviceCase{"TheRecordedCopyBeforeANewerOne",
                   {{"dbData-2026-05-03-090000.mdb", kSound, 9}, {"dbData-2026-05-04-090000.mdb", kSound, 10}},
                   "dbData-2026-05-03-090000.mdb", "dbData-2026-05-03-090000.mdb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupTest, TheAdviceGivesTheBackupAndTheStepsOnLinesOfTheirOwn)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restoreLocale = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    EXPECT_EQ(backup::DamageAdvice::forDatabase(live()),
              QStringLiteral("No sound backup of it was found; keep the damaged file, as a copy of it may still be "
                             "repaired."));

    const QString copy = backup::DatabaseBackup::intoFolder(live(), backupsFolder(), at("2026-05-02 09:00:00"));
    QFile file(copy);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(at("2026-05-02 09:00:00"), QFileDevice::FileModificationTime);
    file.close();
    backup::VerifiedBackups(backupsFolder(), live()).record(copy);
    EXPECT_EQ(backup::DamageAdvice::forDatabase(live()),
              QStringLiteral("The newest sound backup, saved %3, is:\n\t%1\nTo go on from it:\n"
                             "\t1. Close Hourvane.\n\t2. Keep the damaged file under another name.\n"
                             "\t3. Copy the backup to '%2'.")
                  .arg(copy, live(), QLocale().toString(at("2026-05-02 09:00:00"), QLocale::ShortFormat)));
}

}  // namespace
}  // namespace hv::test
