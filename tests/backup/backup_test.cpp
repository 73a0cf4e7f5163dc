// Backups of the live database, their rotation over simulated dates, and the
// restore of a backup in place of the live database.
#include "old_file_variants.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"

#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "backup/database_restore.h"
#include "backup/database_use_lock.h"
#include "data/connection.h"
#include "data/online_copy.h"
#include "data/runtime_error.h"
#include "data/sqlite_handles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// One copy at 09:00 on every day from `first` to `last`, the folder rotated
// after each as the program does; then the copies of `extra` on the last day.
struct RotationCase {
    const char* name;
    const char* first;
    const char* last;
    QList<const char*> extra;  // times of further copies on the last day
    const char* now;
    QStringList kept;
};

class BackupRotationTest : public ::testing::TestWithParam<RotationCase> {};

TEST_P(BackupRotationTest, KeepsTheLastDaysTheLastMonthsAndToday)
{
    const RotationCase& c = GetParam();
    QTemporaryDir folder;
    touch(folder.filePath(QStringLiteral("notes.txt")));
    touch(folder.filePath(QStringLiteral("dbData-old.mdb")));
    // Copies cut short: one from long ago goes, one from the last day may still be written.
    touch(folder.filePath(QStringLiteral("dbData-2020-02-02-101010.mdb.partial")));
    touch(folder.filePath(QStringLiteral("dbData-%1-235959.mdb.partial").arg(QString::fromLatin1(c.last))));
    const backup::BackupFolder backups(folder.path(), QStringLiteral("/somewhere/dbData.mdb"));
    const QDate last = QDate::fromString(QString::fromLatin1(c.last), Qt::ISODate);
    for (QDate day = QDate::fromString(QString::fromLatin1(c.first), Qt::ISODate); day <= last; day = day.addDays(1)) {
        const QDateTime made(day, QTime(9, 0));
        touch(backups.newCopyPath(made));
        backups.rotate(made);
    }
    for (const char* time : c.extra) {
        const QDateTime made(last, QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
        touch(backups.newCopyPath(made));
        backups.rotate(made);
    }
    backups.rotate(at(c.now));

    QStringList expected = c.kept;
    expected << QStringLiteral("dbData-old.mdb") << QStringLiteral("notes.txt");
    if (at(c.now).date() == last)
        expected << QStringLiteral("dbData-%1-235959.mdb.partial").arg(QString::fromLatin1(c.last));
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
        RotationCase{"DailyUse", "2025-01-01", "2026-03-31", {"15:00:00", "15:00:00"}, "2026-03-31 16:00:00",
                     daily(QDate(2026, 3, 18), QDate(2026, 3, 31)) + monthEnds(2025, 4, 12) + monthEnds(2026, 1, 2)
                         + QStringList{QStringLiteral("dbData-2026-03-31-150000.mdb"),
                                       QStringLiteral("dbData-2026-03-31-150000-2.mdb")}},
        // A year of copies, then a year and a half without the program.
        RotationCase{"LongUnused", "2024-01-01", "2024-12-31", {}, "2026-06-01 08:00:00",
                     daily(QDate(2024, 12, 18), QDate(2024, 12, 31)) + monthEnds(2024, 1, 11)}),
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
    EXPECT_EQ(namesIn(backupsFolder()), QStringList{QStringLiteral("dbData-2026-05-04-101112.mdb")});
}

TEST_F(BackupTest, TheDailyCopyIsMadeOnceADay)
{
    EXPECT_TRUE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-04 08:00:00")).has_value());
    EXPECT_FALSE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-04 17:30:00")).has_value());
    EXPECT_TRUE(backup::DatabaseBackup::daily(live(), backupsFolder(), at("2026-05-05 07:59:00")).has_value());
    EXPECT_EQ(namesIn(backupsFolder()).size(), 2);
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
                        // together with the record's header.
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
                        const qsizetype entry = bytes.indexOf("entry 200");
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

}  // namespace
}  // namespace hv::test
