// The command line, through the real program in a process of its own, with
// no display at all: every option, its output and its exit code.
#include "command_environment.h"
#include "fixtures/old_file_variants.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/xlsx_reader.h"

#include "backup/database_use_lock.h"
#include "data/connection.h"
#include "data/sqlite/handles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace hv::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class CommandLineTest : public ::testing::Test {
protected:
    QProcessEnvironment environment() const { return commandEnvironment(m_home.path()); }

    void startProgram(QProcess& process, const QStringList& arguments) const
    {
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(HOURVANE_EXECUTABLE), arguments);
    }

    Outcome hourvane(const QStringList& arguments) const
    {
        QProcess process;
        startProgram(process, arguments);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // Runs with the test's own data folder.
    Outcome inData(QStringList arguments) const
    {
        arguments << QStringLiteral("--data-dir") << m_data.path();
        return hourvane(arguments);
    }

    QString live() const { return m_data.filePath(QStringLiteral("dbData.mdb")); }
    // The copies in the backups folder (not the record of which were checked).
    QStringList backups() const
    {
        return QDir(m_data.filePath(QStringLiteral("backups"))).entryList({QStringLiteral("dbData-*.mdb")}, QDir::Files);
    }

    QTemporaryDir m_home;
    QTemporaryDir m_data;
    QTemporaryDir m_scratch;
};

struct UsageCase {
    const char* name;
    QStringList arguments;
    int code;
    const char* out;  // what standard output begins with
    const char* err;  // what standard error begins with
};

void PrintTo(const UsageCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLineUsageTest : public CommandLineTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CommandLineUsageTest, AnswersWithoutADisplayAndTouchesNoData)
{
    const Outcome run = hourvane(GetParam().arguments);
    EXPECT_EQ(run.code, GetParam().code) << run.err.toStdString();
    // Each stream begins with the text expected, and is empty when none is.
    const auto begins = [](const QString& stream, const char* text) {
        return *text ? stream.startsWith(QString::fromUtf8(text)) : stream.isEmpty();
    };
    EXPECT_TRUE(begins(run.out, GetParam().out)) << run.out.toStdString();
    EXPECT_TRUE(begins(run.err, GetParam().err)) << run.err.toStdString();
    if (GetParam().code == 2) {
        // One line of error, then the usage.
        EXPECT_TRUE(run.err.section(u'\n', 1).trimmed().startsWith(QStringLiteral("Usage:"))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(m_home.path() + QStringLiteral("/data/Harrowfen")));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineUsageTest,
    ::testing::Values(
        UsageCase{"Help", {QStringLiteral("--help")}, 0, "Usage:", ""},
        UsageCase{"Version", {QStringLiteral("--version")}, 0, "Hourvane " HOURVANE_VERSION "\n", ""},
        UsageCase{"UnknownOption", {QStringLiteral("--frobnicate")}, 2, "", "hourvane: Unknown option 'frobnicate'.\n"},
        UsageCase{"MissingFile", {QStringLiteral("--import")}, 2, "", "hourvane: Missing value after '--import'.\n"},
        UsageCase{"EmptyFile", {QStringLiteral("--restore=")}, 2, "", "hourvane: --restore needs a file.\n"},
        UsageCase{"TwoCommands",
                  {QStringLiteral("--export"), QStringLiteral("a.csv"), QStringLiteral("--backup")},
                  2, "",
                  "hourvane: Choose one of --import, --backup, --restore, --export, --history, --undo, --use-server, "
                  "--use-local, --init-server, --copy-to-server, --grant-access, --revoke-access.\n"},
        UsageCase{"EmptyLogin", {QStringLiteral("--revoke-access=")}, 2, "", "hourvane: --revoke-access needs a login.\n"},
        UsageCase{"EmptyServerAddress", {QStringLiteral("--use-server=")}, 2, "",
                  "hourvane: --use-server needs a server address (postgresql://...).\n"},
        UsageCase{"StrayArgument", {QStringLiteral("--export"), QStringLiteral("a.csv"), QStringLiteral("b.csv")}, 2, "",
                  "hourvane: Unexpected argument 'b.csv'.\n"},
        UsageCase{"MissingFolder", {QStringLiteral("--backup"), QStringLiteral("--data-dir")}, 2, "",
                  "hourvane: Missing value after '--data-dir'.\n"},
        UsageCase{"SurplusArgument", {QStringLiteral("--use-local"), QStringLiteral("extra")}, 2, "",
                  "hourvane: --use-local takes no argument; 'extra' is not understood.\n"},
        UsageCase{"UseLocalForOneRun",
                  {QStringLiteral("--use-local"), QStringLiteral("--data-dir"), QStringLiteral("elsewhere")}, 2, "",
                  "hourvane: --use-local cannot be combined with --data-dir: it makes every later start use the "
                  "local database of the standard data folder"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, HelpNamesEveryOption)
{
    const Outcome run = hourvane({QStringLiteral("--help")});
    for (const char* option : {"--help", "--version", "--import <FILE>", "--backup", "--restore <FILE>",
                               "--export <FILE>", "--data-dir <DIR>"})
        EXPECT_TRUE(run.out.contains(QLatin1String(option))) << option;
}

TEST_F(CommandLineTest, ImportMakesTheDatabaseFromTheTemplateThenExportWritesEveryEntry)
{
    const Outcome imported = hourvane({QStringLiteral("--import"), oldFixture()});
    EXPECT_EQ(imported.code, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.err, QString());
    EXPECT_TRUE(imported.out.contains(QStringLiteral("5 employees, 6 work codes, 2000 entries")));
    EXPECT_TRUE(imported.out.contains(QStringLiteral("missing employee or work code: 21.")));
    // Hours no entry may have now are imported as found, and named.
    EXPECT_TRUE(imported.out.contains(QStringLiteral("\nEntries with hours below 0 or above 24, imported as found: 152 (IDs 2, 15,")))
        << imported.out.toStdString();
    // Into the standard data folder, and without a backup of a database it just made.
    const QString standard = m_home.path() + QStringLiteral("/data/Harrowfen/Hourvane");
    EXPECT_TRUE(QFileInfo::exists(standard + QStringLiteral("/dbData.mdb")));
    EXPECT_FALSE(QFileInfo::exists(standard + QStringLiteral("/backups")));

    const QString csv = m_scratch.filePath(QStringLiteral("entries.csv"));
    const Outcome exported = hourvane({QStringLiteral("--export"), csv});
    EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, QStringLiteral("Exported 2000 entries to '%1'.\n").arg(csv));
    const QList<QByteArray> lines = bytesOf(csv).split('\n');
    ASSERT_EQ(lines.size(), 2002);  // header, 2000 rows, and the empty rest after the last CR LF
    EXPECT_EQ(lines[0], "ID,Employee,Date Worked,Work Code,Hours,Billable,Work Description\r");
    EXPECT_EQ(lines[1], QString::fromUtf8("1,Łukasz Żółć,2019-01-06,Customer support (phone),10,Yes,"
                                          "\"It's done; \"\"really\"\"\"\r").toUtf8());
    EXPECT_EQ(lines[2], "2,Tom Smith,2026-11-29,Internal meeting,-1.5,No,\r");
    EXPECT_TRUE(lines.last().isEmpty());
    // The same through standard output.
    const Outcome piped = hourvane({QStringLiteral("--export"), QStringLiteral("-")});
    EXPECT_EQ(piped.out.toUtf8(), bytesOf(csv));
}

TEST_F(CommandLineTest, HistoryListsTheImportAndUndoTakesItBackWhole)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QString importOf = QStringLiteral("Import ") + QFileInfo(oldFixture()).fileName();
    const Outcome history = inData({QStringLiteral("--history")});
    EXPECT_EQ(history.code, 0) << history.err.toStdString();
    const QStringList fields = history.out.trimmed().split(u'\t');
    ASSERT_EQ(fields.size(), 3) << history.out.toStdString();
    EXPECT_LT(std::abs(QDateTime::fromString(fields[0], Qt::ISODate).secsTo(QDateTime::currentDateTime())), 600);
    EXPECT_EQ(fields[2], importOf);

    const Outcome undone = inData({QStringLiteral("--undo")});
    EXPECT_EQ(undone.code, 0) << undone.err.toStdString();
    EXPECT_EQ(undone.out, QStringLiteral("Undone: %1\n").arg(importOf));
    EXPECT_EQ(inData({QStringLiteral("--export"), QStringLiteral("-")}).out,
              QStringLiteral("ID,Employee,Date Worked,Work Code,Hours,Billable,Work Description\r\n"));
    EXPECT_TRUE(inData({QStringLiteral("--history")}).out.endsWith(importOf + QStringLiteral(" (undone)\n")));

    const Outcome nothing = inData({QStringLiteral("--undo")});
    EXPECT_EQ(nothing.code, 1);
    EXPECT_EQ(nothing.err, QStringLiteral("There is no change to undo.\n"));
}

// A file named *.xlsx is a spreadsheet of every entry: each cell read back
// equals the database's value in its own kind (IDs and hours numbers, dates
// dates, names texts, a missing name blank), under a bold header row that is
// frozen and filtered. A text no cell can hold stops the export with the cell
// named, and the file exported before stays as it was.
TEST_F(CommandLineTest, ExportToXlsxWritesEveryEntryAsCellsOfItsKind)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QString xlsx = m_scratch.filePath(QStringLiteral("entries.xlsx"));
    const Outcome run = inData({QStringLiteral("--export"), xlsx});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Exported 2000 entries to '%1'.\n").arg(xlsx));

    QList<QVariantList> stored;
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(live()).constData(), &raw), SQLITE_OK);
        const data::DatabaseHandle db(raw);
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(raw,
                                     "SELECT h.ID, e.\"Employee Name\", h.\"Date Worked\", w.Description, h.Hours, "
                                     "CASE w.Billable WHEN 0 THEN 'No' ELSE 'Yes' END, h.\"Work Description\" "
                                     "FROM \"Work Hours\" h LEFT JOIN \"Employees Extended\" e ON e.ID = h.Employee "
                                     "LEFT JOIN \"Work Codes\" w ON w.ID = h.\"Work Code\" ORDER BY h.ID",
                                     -1, &statement, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < 7; ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_NULL: row.append(QVariant()); break;
                case SQLITE_INTEGER:
                case SQLITE_FLOAT: row.append(sqlite3_column_double(statement, c)); break;
                default:
                    row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
                }
            }
            stored.append(row);
        }
        sqlite3_finalize(statement);
    }
    ASSERT_EQ(stored.size(), 2000);

    const XlsxSheetRead sheet = readXlsx(xlsx);
    EXPECT_EQ(sheet.freeze, QStringLiteral("A2"));
    EXPECT_EQ(sheet.filter, QStringLiteral("A1:G2001"));
    ASSERT_EQ(sheet.rows.size(), 2001);
    const QStringList header{"ID", "Employee", "Date Worked", "Work Code", "Hours", "Billable", "Work Description"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(sheet.at(0, c).value.toString(), header.at(c));
        EXPECT_TRUE(sheet.at(0, c).bold);
    }
    int dates = 0;
    for (int r = 1; r <= 2000; ++r) {
        const QVariantList& row = stored.at(r - 1);
        for (int c = 0; c < 7; ++c) {
            const XlsxCell cell = sheet.at(r, c);
            const QVariant& value = row.at(c);
            const std::string where = "row " + std::to_string(r) + " column " + std::to_string(c);
            if (value.isNull() || value.toString().isEmpty()) {
                EXPECT_TRUE(cell.isBlank()) << where;
            } else if (value.typeId() == QMetaType::Double) {
                EXPECT_EQ(cell.type, QStringLiteral("n")) << where;
                EXPECT_EQ(cell.value.toDouble(), value.toDouble()) << where;
            } else if (c == 2) {
                ++dates;
                EXPECT_EQ(cell.type, QStringLiteral("d")) << where;
                const QString day = value.toString();
                EXPECT_EQ(cell.value.toString(), day.size() == 10 ? day + QStringLiteral("T00:00:00") : day) << where;
            } else {
                EXPECT_EQ(cell.type, QStringLiteral("s")) << where;
                EXPECT_EQ(cell.value.toString(), value.toString()) << where;
            }
        }
    }
    EXPECT_EQ(dates, 2000);

    const QByteArray before = bytesOf(xlsx);
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(live()).constData(), &raw);
        const data::DatabaseHandle db(raw);
        ASSERT_EQ(sqlite3_exec(raw, "UPDATE \"Work Hours\" SET \"Work Description\" = printf('%.40000c', 'x') WHERE ID = 7",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    const Outcome refused = inData({QStringLiteral("--export"), xlsx});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, QStringLiteral("Cannot export to '%1': the text in cell G8 is longer than the "
                                          "32,767 characters a spreadsheet cell holds.\n")
                               .arg(xlsx));
    EXPECT_EQ(bytesOf(xlsx), before);
    EXPECT_EQ(QDir(m_scratch.path()).entryList(QDir::Files).size(), 1);
}

// Where an export may go: a regular file is replaced in one rename (a hard
// link to the old file keeps the old contents), a pipe and a device are
// written into and stay what they are (standard output named as a file
// too, with nothing else written into it), and a device that refuses the
// bytes is a failure with the system's reason.
enum class ExportTarget { RegularFile, Pipe, NullDevice, FullDevice, StandardOutput };
const char* const kExportTargetNames[] = {"RegularFile", "Pipe", "NullDevice", "FullDevice", "StandardOutput"};

class ExportTargetTest : public CommandLineTest, public ::testing::WithParamInterface<ExportTarget> {};

TEST_P(ExportTargetTest, StreamsIntoPipesAndDevicesAndReplacesOnlyRegularFiles)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QByteArray entries = inData({QStringLiteral("--export"), QStringLiteral("-")}).out.toUtf8();
    ASSERT_TRUE(entries.startsWith("ID,"));

    QString target;
    QProcess reader;
    const ExportTarget kind = GetParam();
    switch (kind) {
    case ExportTarget::RegularFile:
        target = m_scratch.filePath(QStringLiteral("entries.csv"));
        {
            QFile old(target);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                         QFile::encodeName(m_scratch.filePath(QStringLiteral("hard.csv"))).constData()),
                  0);
        break;
    case ExportTarget::Pipe:
        target = m_scratch.filePath(QStringLiteral("pipe"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        reader.setStandardOutputFile(m_home.filePath(QStringLiteral("read.csv")));
        reader.start(QStringLiteral("cat"), {target});
        ASSERT_TRUE(reader.waitForStarted());
        break;
    case ExportTarget::NullDevice: target = QStringLiteral("/dev/null"); break;
    case ExportTarget::FullDevice: target = QStringLiteral("/dev/full"); break;
    case ExportTarget::StandardOutput: target = QStringLiteral("/dev/stdout"); break;
    }
    struct stat before {};
    ::stat(QFile::encodeName(target).constData(), &before);

    // The reader of the pipe opens its end in its own time.
    Outcome run;
    for (int tries = 0; tries < 100; ++tries) {
        run = inData({QStringLiteral("--export"), target});
        if (kind != ExportTarget::Pipe || !run.err.contains(QStringLiteral("nothing is reading")))
            break;
        QThread::msleep(20);
    }
    struct stat after {};
    ::stat(QFile::encodeName(target).constData(), &after);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    if (kind == ExportTarget::FullDevice) {
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("Cannot export to '/dev/full': ")))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << run.err.toStdString();
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        return;
    }
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    if (kind == ExportTarget::StandardOutput) {
        EXPECT_EQ(run.out.toUtf8(), entries);
        return;
    }
    EXPECT_EQ(run.out, QStringLiteral("Exported 2000 entries to '%1'.\n").arg(target));
    if (kind == ExportTarget::Pipe) {
        ASSERT_TRUE(reader.waitForFinished());
        EXPECT_EQ(bytesOf(m_home.filePath(QStringLiteral("read.csv"))), entries);
    }
    if (kind == ExportTarget::RegularFile) {
        EXPECT_EQ(bytesOf(target), entries);
        EXPECT_NE(after.st_ino, before.st_ino);
        EXPECT_EQ(bytesOf(m_scratch.filePath(QStringLiteral("hard.csv"))), "old");
        EXPECT_EQ(QDir(m_scratch.path()).entryList(QDir::Files | QDir::System).size(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, ExportTargetTest,
                         ::testing::Values(ExportTarget::RegularFile, ExportTarget::Pipe, ExportTarget::NullDevice,
                                           ExportTarget::FullDevice, ExportTarget::StandardOutput),
                         [](const auto& info) { return std::string(kExportTargetNames[static_cast<int>(info.param)]); });

// A pipe handed over as /dev/fd/N (as the shell's ">(wc -c)" does) is
// streamed into through its descriptor.
TEST_F(CommandLineTest, ExportStreamsIntoAPipeNamedByItsDescriptor)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QByteArray entries = inData({QStringLiteral("--export"), QStringLiteral("-")}).out.toUtf8();
    ASSERT_TRUE(entries.startsWith("ID,"));

    QProcess shell;
    shell.setProcessEnvironment(environment());
    shell.start(QStringLiteral("/bin/bash"),
                {QStringLiteral("-c"),
                 QStringLiteral("set -o pipefail; \"$0\" --data-dir \"$1\" --export /dev/fd/3 3>&1 1>&2 | cat"),
                 QStringLiteral(HOURVANE_EXECUTABLE), m_data.path()});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString said = QString::fromUtf8(shell.readAllStandardError());
    EXPECT_EQ(shell.exitCode(), 0) << said.toStdString();
    EXPECT_EQ(said, QStringLiteral("Exported 2000 entries to '/dev/fd/3'.\n"));
    EXPECT_EQ(shell.readAllStandardOutput(), entries);
}

// The export is for programs: no byte order mark, every value exactly as
// stored, and a value that CSV cannot carry stops it with the entry named.
struct ExactValueCase {
    const char* name;
    const char* sql;       // run on the database after the import
    const char* expected;  // entry 2's line, or the failure's words
};

void PrintTo(const ExactValueCase& c, std::ostream* out)
{
    *out << c.name;
}

class ExportValueTest : public CommandLineTest, public ::testing::WithParamInterface<ExactValueCase> {};

TEST_P(ExportValueTest, WritesEveryValueExactly)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(live()).constData(), &raw);
        const data::DatabaseHandle db(raw);
        // As a database of an earlier version could hold them.
        sqlite3_exec(raw, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
        ASSERT_EQ(sqlite3_exec(raw, GetParam().sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    }
    const QString csv = m_scratch.filePath(QStringLiteral("entries.csv"));
    const Outcome run = inData({QStringLiteral("--export"), csv});
    const QString expected = QString::fromUtf8(GetParam().expected);
    if (!expected.startsWith(QStringLiteral("2,"))) {
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(expected)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(csv));
        return;
    }
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    const QByteArray bytes = bytesOf(csv);
    EXPECT_TRUE(bytes.startsWith("ID,Employee,")) << "a byte order mark or another start";
    EXPECT_EQ(QString::fromUtf8(bytes.split('\n').value(2)), expected + u'\r');
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExportValueTest,
    ::testing::Values(
        ExactValueCase{"LeadingByteOrderMark",
                       "UPDATE \"Work Hours\" SET \"Work Description\" = char(65279) || 'note' WHERE \"ID\" = 2",
                       "2,Tom Smith,2026-11-29,Internal meeting,-1.5,No,\xEF\xBB\xBFnote"},
        ExactValueCase{"Formula", "UPDATE \"Work Hours\" SET \"Work Description\" = '=1+2' WHERE \"ID\" = 2",
                       "2,Tom Smith,2026-11-29,Internal meeting,-1.5,No,=1+2"},
        ExactValueCase{"HoursAsText", "UPDATE \"Work Hours\" SET \"Hours\" = 'about 2' WHERE \"ID\" = 2",
                       "2,Tom Smith,2026-11-29,Internal meeting,about 2,No,"},
        ExactValueCase{"HoursInfinite", "UPDATE \"Work Hours\" SET \"Hours\" = -9e999 WHERE \"ID\" = 2",
                       "2,Tom Smith,2026-11-29,Internal meeting,-Infinity,No,"},
        ExactValueCase{"Nul", "UPDATE \"Work Hours\" SET \"Work Description\" = 'a' || char(0) || 'b' WHERE \"ID\" = 2",
                       "the entry with the ID 2 holds a NUL character in [Work Description]"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, ImportIntoAnExistingDatabaseBacksItUpFirst)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const Outcome again = inData({QStringLiteral("--import"), oldFixture()});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QStringLiteral("with new IDs")));
    EXPECT_EQ(backups().size(), 1);
}

class CommandLineBadImportTest : public CommandLineTest, public ::testing::WithParamInterface<BadOldFile> {};

TEST_P(CommandLineBadImportTest, FailsWithTheReasonAndLeavesNoDatabase)
{
    const QString file = makeBadOldFile(GetParam(), m_scratch.path());
    const Outcome run = inData({QStringLiteral("--import"), file});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(reasonOf(GetParam()))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(live()));
}

INSTANTIATE_TEST_SUITE_P(Files, CommandLineBadImportTest,
                         ::testing::Values(BadOldFile::TruncatedAtPage, BadOldFile::Encrypted, BadOldFile::NewerEngine,
                                           BadOldFile::MissingTable, BadOldFile::NotOldFormat,
                                           BadOldFile::DoesNotExist, BadOldFile::Folder));

// Characters that mean something in a connection string, in the data
// folder's name, change nothing for any command.
class CommandLineAwkwardFolderTest : public CommandLineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CommandLineAwkwardFolderTest, EveryCommandWorksOnTheDatabaseThere)
{
    const QString folder = m_scratch.filePath(QString::fromUtf8(GetParam()));
    const auto run = [&](const QStringList& arguments) {
        const Outcome outcome = hourvane(arguments + QStringList{QStringLiteral("--data-dir"), folder});
        EXPECT_EQ(outcome.code, 0) << arguments.join(u' ').toStdString() << ": " << outcome.err.toStdString();
        return outcome;
    };
    EXPECT_TRUE(run({QStringLiteral("--import"), oldFixture()}).out.contains(QStringLiteral("2000 entries")));
    const QString copy = m_scratch.filePath(QStringLiteral("copy.mdb"));
    run({QStringLiteral("--backup"), copy});
    run({QStringLiteral("--restore"), copy});
    run({QStringLiteral("--export"), m_scratch.filePath(QStringLiteral("entries.csv"))});
    EXPECT_EQ(run({QStringLiteral("--export"), QStringLiteral("-")}).out.count(u'\n'), 2001);
}

INSTANTIATE_TEST_SUITE_P(Folders, CommandLineAwkwardFolderTest,
                         ::testing::Values("say \"hi\"", "semi;colon", "data source=elsewhere;x=\"", " blank ends "));

// A pipe where the database or a file should be is named at once: nothing
// opens it to wait for a writer or a reader that never comes.
struct PipeCase {
    const char* name;
    bool databaseIsPipe;  // otherwise the database is sound and the pipe is an argument
    QStringList arguments;  // "PIPE" stands for the pipe's path
};

void PrintTo(const PipeCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLinePipeTest : public CommandLineTest, public ::testing::WithParamInterface<PipeCase> {};

TEST_P(CommandLinePipeTest, IsNamedAtOnce)
{
    const QString pipe = GetParam().databaseIsPipe ? live() : m_scratch.filePath(QStringLiteral("pipe"));
    if (!GetParam().databaseIsPipe) {
        ASSERT_TRUE(QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"), live()));
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QStringList arguments = GetParam().arguments;
    arguments.replaceInStrings(QStringLiteral("PIPE"), pipe);
    if (!arguments.contains(QStringLiteral("--data-dir")))
        arguments << QStringLiteral("--data-dir") << m_data.path();

    QProcess process;
    QElapsedTimer timer;
    timer.start();
    startProgram(process, arguments);
    const bool finished = process.waitForFinished(10000);
    if (!finished)
        process.kill();
    ASSERT_TRUE(finished) << "still waiting after 10 s";
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("is a pipe"))) << err.toStdString();
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());  // still the pipe
}

INSTANTIATE_TEST_SUITE_P(
    Places, CommandLinePipeTest,
    ::testing::Values(
        PipeCase{"DatabaseExportedToOutput", true, {QStringLiteral("--export"), QStringLiteral("-")}},
        PipeCase{"DatabaseImportedInto", true, {QStringLiteral("--import"), oldFixture()}},
        PipeCase{"DatabaseBackedUp", true, {QStringLiteral("--backup")}},
        PipeCase{"DatabaseRestored", true, {QStringLiteral("--restore"), programFolder() + QStringLiteral("/dbBlank.mdb")}},
        PipeCase{"ImportedFile", false, {QStringLiteral("--import"), QStringLiteral("PIPE")}},
        PipeCase{"RestoredFile", false, {QStringLiteral("--restore"), QStringLiteral("PIPE")}},
        PipeCase{"BackupFile", false, {QStringLiteral("--backup"), QStringLiteral("PIPE")}},
        PipeCase{"DataFolder", false, {QStringLiteral("--backup"), QStringLiteral("--data-dir"), QStringLiteral("PIPE")}}),
    [](const auto& info) { return std::string(info.param.name); });

// A name whose bytes are not UTF-8 cannot be turned into text and back: it is
// refused by name, never taken for another file or called missing.
struct RawNameCase {
    const char* name;
    const char* option;
    bool exists;
};

class CommandLineRawNameTest : public CommandLineTest, public ::testing::WithParamInterface<RawNameCase> {};

TEST_P(CommandLineRawNameTest, IsRefusedByName)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QByteArray prefix = QFile::encodeName(m_scratch.path()) + "/hours";
    if (GetParam().exists) {
        // A copy of the database under a name that ends in the byte 0xFF.
        ASSERT_TRUE(QFile::copy(live(), QFile::decodeName(prefix + "-copy.mdb")));
        ASSERT_EQ(::rename((prefix + "-copy.mdb").constData(), (prefix + "\xff.mdb").constData()), 0);
    }
    const QStringList filesBefore = QDir(m_scratch.path()).entryList(QDir::Files);
    const QByteArray databaseBefore = bytesOf(live());

    // The shell hands the program the bytes as they are: printf turns the
    // octal escape into the one byte.
    const QString octal = GetParam().exists ? QStringLiteral("377") : QStringLiteral("376");
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral(R"sh(exec "$0" "$1" "$(printf "%s\\$3.mdb" "$2")" --data-dir "$4")sh"),
                   QStringLiteral(HOURVANE_EXECUTABLE), QString::fromLatin1(GetParam().option), QFile::decodeName(prefix),
                   octal, m_data.path()});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 2) << err.toStdString();
    const QString shown = QStringLiteral(R"(hours\x%1.mdb)").arg(GetParam().exists ? QStringLiteral("FF") : QStringLiteral("FE"));
    EXPECT_TRUE(err.contains(shown)) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("UTF-8"))) << err.toStdString();
    EXPECT_EQ(QDir(m_scratch.path()).entryList(QDir::Files), filesBefore);
    EXPECT_EQ(bytesOf(live()), databaseBefore);
}

INSTANTIATE_TEST_SUITE_P(Names, CommandLineRawNameTest,
                         ::testing::Values(RawNameCase{"NewBackup", "--backup", false},
                                           RawNameCase{"Restored", "--restore", true},
                                           RawNameCase{"Imported", "--import", true},
                                           RawNameCase{"DataFolder", "--data-dir", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, FilesThatAreTheLiveDatabaseAreRefused)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QByteArray before = bytesOf(live());
    for (const char* option : {"--import", "--restore", "--export", "--backup"}) {
        const Outcome run = inData({QLatin1String(option), live()});
        EXPECT_EQ(run.code, 1) << option;
        EXPECT_FALSE(run.err.isEmpty()) << option;
    }
    const Outcome folder = inData({QStringLiteral("--export"), m_scratch.path()});
    EXPECT_EQ(folder.code, 1);
    EXPECT_TRUE(folder.err.contains(QStringLiteral("it is a folder")));
    EXPECT_EQ(bytesOf(live()), before);
}

TEST_F(CommandLineTest, BackupWritesIntoTheFolderAFileOrAFolderOfTheUsersChoice)
{
    EXPECT_EQ(inData({QStringLiteral("--backup")}).code, 1);  // no database yet
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);

    const Outcome intoFolder = inData({QStringLiteral("--backup")});
    EXPECT_EQ(intoFolder.code, 0) << intoFolder.err.toStdString();
    EXPECT_EQ(backups().size(), 1);
    const QString file = m_scratch.filePath(QStringLiteral("mine.mdb"));
    const Outcome toFile = inData({QStringLiteral("--backup"), file});
    EXPECT_EQ(toFile.code, 0) << toFile.err.toStdString();
    EXPECT_EQ(toFile.out, QStringLiteral("Backup written to '%1'.\n").arg(file));
    const Outcome again = inData({QStringLiteral("--backup"), file});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
    const Outcome toFolder = inData({QStringLiteral("--backup"), m_scratch.path()});
    EXPECT_EQ(toFolder.code, 0) << toFolder.err.toStdString();
    EXPECT_EQ(QDir(m_scratch.path()).entryList({QStringLiteral("dbData-*.mdb")}, QDir::Files).size(), 1);
}

TEST_F(CommandLineTest, RestoreIsRefusedForAForeignFileAndWhileTheDatabaseIsInUse)
{
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    ASSERT_EQ(inData({QStringLiteral("--backup"), m_scratch.filePath(QStringLiteral("copy.mdb"))}).code, 0);
    const QByteArray before = bytesOf(live());

    const Outcome foreign = inData({QStringLiteral("--restore"), oldFixture()});
    EXPECT_EQ(foreign.code, 1);
    EXPECT_TRUE(foreign.err.contains(QStringLiteral("is not a Hourvane database"))) << foreign.err.toStdString();

    backup::DatabaseUseLock window;  // another copy of the program has the database open
    ASSERT_TRUE(window.shareUse(live()));
    const Outcome inUse = inData({QStringLiteral("--restore"), m_scratch.filePath(QStringLiteral("copy.mdb"))});
    EXPECT_EQ(inUse.code, 1);
    EXPECT_TRUE(inUse.err.contains(QStringLiteral("in use by another copy of Hourvane"))) << inUse.err.toStdString();
    EXPECT_EQ(bytesOf(live()), before);

    window.release();
    const Outcome restored = inData({QStringLiteral("--restore"), m_scratch.filePath(QStringLiteral("copy.mdb"))});
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.contains(QStringLiteral("was backed up to"))) << restored.out.toStdString();
}

// The number of employees in a database, or -1 when it is not a whole
// database of this program.
int wholeDatabaseEmployees(const QString& path)
{
    try {
        data::Connection connection;
        connection.Open(QStringLiteral("data source=\"%1\"").arg(path));
        connection.Close();
    } catch (const std::exception&) {
        return -1;
    }
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const data::DatabaseHandle db(raw);
    int employees = -1;
    sqlite3_exec(
        raw, "SELECT (SELECT count(*) FROM \"Employees\") FROM pragma_integrity_check WHERE integrity_check = 'ok'",
        [](void* out, int, char** values, char**) {
            *static_cast<int*>(out) = QByteArray(values[0]).toInt();
            return 0;
        },
        &employees, nullptr);
    return employees;
}

TEST_F(CommandLineTest, ARestoreKilledAtAnyMomentLeavesAWholeDatabase)
{
    // The current database holds 5 employees; the backup to restore, 300 and
    // enough entries to take a while.
    ASSERT_EQ(inData({QStringLiteral("--import"), oldFixture()}).code, 0);
    const QString big = m_scratch.filePath(QStringLiteral("big.mdb"));
    ASSERT_EQ(inData({QStringLiteral("--backup"), big}).code, 0);
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(big).constData(), &raw);
        const data::DatabaseHandle db(raw);
        sqlite3_exec(raw,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 295) "
                     "INSERT INTO \"Employees\" (\"First Name\") SELECT printf('E%d', i) FROM n; "
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
                     "INSERT INTO \"Work Hours\" (\"Work Description\") SELECT printf('entry %d of many', i) FROM n",
                     nullptr, nullptr, nullptr);
    }
    const QByteArray original = bytesOf(live());
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(inData({QStringLiteral("--restore"), big}).code, 0);
    const qint64 whole = std::max<qint64>(timer.elapsed(), 20);

    // Killed at moments spread over the time a whole restore takes: each
    // time the database is the old one or the restored one, whole.
    for (int step = 0; step < 11; ++step) {
        QFile reset(live());
        ASSERT_TRUE(reset.open(QIODevice::WriteOnly | QIODevice::Truncate));
        reset.write(original);
        reset.close();
        QProcess process;
        startProgram(process, {QStringLiteral("--restore"), big, QStringLiteral("--data-dir"), m_data.path()});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(whole * step / 10));
        process.kill();
        process.waitForFinished();
        const int employees = wholeDatabaseEmployees(live());
        EXPECT_TRUE(employees == 5 || employees == 300) << "killed after " << whole * step / 10 << " ms: " << employees;
    }
    // What a killed restore left behind does not stand in the way of the next.
    const Outcome finished = inData({QStringLiteral("--restore"), big});
    EXPECT_EQ(finished.code, 0) << finished.err.toStdString();
    EXPECT_EQ(wholeDatabaseEmployees(live()), 300);
}

}  // namespace
}  // namespace hv::test
