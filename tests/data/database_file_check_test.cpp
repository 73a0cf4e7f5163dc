// Deciding from a file's own bytes whether it is a database of the program,
// before the engine may write to it.
#include "fixtures/database_fixture.h"
#include "support/unprivileged.h"

#include "data/connection.h"
#include "data/sqlite/file_check.h"
#include "data/sqlite/format.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hv::test {
namespace {

using data::Connection;
using data::DatabaseFileCheck;
using data::DatabaseFileVerdict;

QByteArray templateBytes()
{
    return fileBytes(programFolder() + QStringLiteral("/dbBlank.mdb"));
}

// The template with header bytes replaced.
QString patchedTemplate(const QString& folder, int offset, const QByteArray& bytes)
{
    QByteArray file = templateBytes();
    file.replace(offset, bytes.size(), bytes);
    return writeFile(folder + QStringLiteral("/patched.mdb"), file);
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (24 - 8 * i));
    return bytes;
}

struct FileCase {
    const char* name;
    QString (*make)(const QString& folder);
    DatabaseFileVerdict::Kind kind;
    const char* phrase;
};

const FileCase kFileCases[] = {
    {"Missing", [](const QString& f) { return f + QStringLiteral("/none.mdb"); }, DatabaseFileVerdict::Missing,
     "Could not find file"},
    {"Folder",
     [](const QString& f) {
         QDir(f).mkdir(QStringLiteral("folder.mdb"));
         return f + QStringLiteral("/folder.mdb");
     },
     DatabaseFileVerdict::Folder, "is a folder"},
    {"NamedPipe",
     [](const QString& f) {
         const QString path = f + QStringLiteral("/pipe.mdb");
         mkfifo(QFile::encodeName(path).constData(), 0600);
         return path;
     },
     DatabaseFileVerdict::NotAFile, "is a pipe"},
    {"Device", [](const QString&) { return QStringLiteral("/dev/zero"); }, DatabaseFileVerdict::NotAFile,
     "is a device"},
    {"PipeAsJournal",
     [](const QString& f) {
         const QString path = writeFile(f + QStringLiteral("/dbData.mdb"), templateBytes());
         mkfifo(QFile::encodeName(path + QStringLiteral("-journal")).constData(), 0600);
         return path;
     },
     DatabaseFileVerdict::NotAFile, "where its journal belongs, is a pipe"},
    {"LinkToNowhere",
     [](const QString& f) {
         QFile::link(f + QStringLiteral("/gone.mdb"), f + QStringLiteral("/link.mdb"));
         return f + QStringLiteral("/link.mdb");
     },
     DatabaseFileVerdict::BrokenLink, "which does not exist"},
    {"Empty", [](const QString& f) { return writeFile(f + QStringLiteral("/empty.mdb"), {}); },
     DatabaseFileVerdict::Empty, "is empty"},
    {"Text", [](const QString& f) { return writeFile(f + QStringLiteral("/text.mdb"), QByteArray(8192, 'x')); },
     DatabaseFileVerdict::NotADatabase, "Unrecognized database format"},
    {"UnmarkedDatabase",
     [](const QString& f) {
         const QString path = f + QStringLiteral("/unmarked.mdb");
         sqlite3_exec(openRawDatabase(path).get(), "CREATE TABLE notes (x)", nullptr, nullptr, nullptr);
         return path;
     },
     DatabaseFileVerdict::OtherProgram, "a database of another program"},
    {"OtherProgramsMark", [](const QString& f) { return patchedTemplate(f, 68, bigEndian(12345)); },
     DatabaseFileVerdict::OtherProgram, "a database of another program"},
    {"NewerLayout",
     [](const QString& f) { return patchedTemplate(f, 60, bigEndian(data::format::kUserVersion + 1)); },
     DatabaseFileVerdict::NewerVersion, "newer version of Hourvane"},
    {"NoLayoutVersion", [](const QString& f) { return patchedTemplate(f, 60, bigEndian(0)); },
     DatabaseFileVerdict::Damaged, "gives 0 as the version of its tables"},
    {"NegativeLayoutVersion", [](const QString& f) { return patchedTemplate(f, 60, bigEndian(quint32(-7))); },
     DatabaseFileVerdict::Damaged, "gives -7 as the version of its tables"},
    {"NewerFileFormat", [](const QString& f) { return patchedTemplate(f, 19, QByteArray(1, '\x03')); },
     DatabaseFileVerdict::NewerVersion, "newer file format"},
    {"BrokenPageSize", [](const QString& f) { return patchedTemplate(f, 16, QByteArray("\x03\x00", 2)); },
     DatabaseFileVerdict::Damaged, "header is not valid"},
    {"Template",
     [](const QString& f) { return writeFile(f + QStringLiteral("/dbData.mdb"), templateBytes()); },
     DatabaseFileVerdict::Sound, ""},
};

class FileKinds : public ::testing::TestWithParam<FileCase> {};

TEST_P(FileKinds, AreJudgedFromTheirOwnBytesAndRefusedByNameUntouched)
{
    QTemporaryDir folder;
    const QString path = GetParam().make(folder.path());
    const bool regular = QFileInfo(path).isFile();
    const QByteArray before = regular ? fileBytes(path) : QByteArray();

    const DatabaseFileVerdict verdict = DatabaseFileCheck::inspect(path);
    EXPECT_EQ(verdict.kind, GetParam().kind) << verdict.reason.toStdString();
    Connection connection;
    const RuntimeError error = errorOf([&] { connection.Open(QStringLiteral("data source=") + Connection::quoted(path)); });
    if (GetParam().kind == DatabaseFileVerdict::Sound) {
        EXPECT_EQ(verdict.reason, QString());
        EXPECT_EQ(error.number(), 0) << error.what();
        return;
    }
    EXPECT_TRUE(verdict.reason.contains(QStringLiteral("'") + path + QStringLiteral("'"))) << verdict.reason.toStdString();
    EXPECT_TRUE(verdict.reason.contains(QString::fromUtf8(GetParam().phrase))) << verdict.reason.toStdString();
    EXPECT_TRUE(error.description().startsWith(verdict.reason)) << error.what();
    EXPECT_EQ(connection.state(), Connection::StateClosed);
    if (regular) {
        EXPECT_EQ(fileBytes(path), before);
    }
    EXPECT_FALSE(QFileInfo(path + QStringLiteral("-journal")).isFile());  // none was made
}

INSTANTIATE_TEST_SUITE_P(Files, FileKinds, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file whose writer was killed half-way through a large transaction, so
// that part of it reached the file and its journal holds the pages to put back.
struct Interrupted {
    const char* name;
    QString (*make)(const QString& folder);
    bool ours;
};

QString unmarked(const QString& folder)
{
    const QString path = folder + QStringLiteral("/theirs.mdb");
    sqlite3_exec(openRawDatabase(path).get(), "CREATE TABLE \"Work Codes\" (Description, Billable)", nullptr, nullptr,
                 nullptr);
    return path;
}

QString markedByAnother(const QString& folder)
{
    return patchedTemplate(folder, 68, bigEndian(0x12345678));
}

QString ours(const QString& folder)
{
    return writeFile(folder + QStringLiteral("/dbData.mdb"), templateBytes());
}

void interruptWriter(const QString& path)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const data::DatabaseHandle db = openRawDatabase(path);
        // A tiny cache makes the engine write changed pages into the file
        // before the end of the transaction.
        sqlite3_exec(db.get(),
                     "PRAGMA cache_size = 2; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 3000) INSERT INTO \"Work Codes\" (Description, Billable) SELECT printf('%0200d', i), "
                     "0 FROM n",
                     nullptr, nullptr, nullptr);
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
}

class InterruptedFiles : public ::testing::TestWithParam<Interrupted> {
protected:
    void SetUp() override
    {
        m_path = GetParam().make(m_folder.path());
        interruptWriter(m_path);
        m_journal = m_path + QStringLiteral("-journal");
        ASSERT_GT(QFileInfo(m_journal).size(), 0);
        m_before = fileBytes(m_path);
        m_journalBefore = fileBytes(m_journal);
    }

    QTemporaryDir m_folder;
    QString m_path;
    QString m_journal;
    QByteArray m_before;
    QByteArray m_journalBefore;
};

TEST_P(InterruptedFiles, AnotherProgramsAreRefusedBeforeTheirJournalIsTouchedOursAreRestored)
{
    Connection connection;
    const RuntimeError error = errorOf([&] { connection.Open(QStringLiteral("data source=") + Connection::quoted(m_path)); });
    if (!GetParam().ours) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("another program"))) << error.what();
        EXPECT_EQ(fileBytes(m_path), m_before);
        EXPECT_EQ(fileBytes(m_journal), m_journalBefore);
        return;
    }
    ASSERT_EQ(error.number(), 0) << error.what();
    EXPECT_FALSE(connection.isReadOnly()) << connection.readOnlyReason().toStdString();
    EXPECT_TRUE(readRows(connection, QStringLiteral("select * from [Work Codes]")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_journal));
}

TEST_P(InterruptedFiles, InAFolderThatCannotBeWrittenAreExplainedAndLeftAlone)
{
    Unprivileged::openToOthers(m_folder.path());
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(m_journal, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                               | QFileDevice::ExeOther);
    RuntimeError error{0, {}};
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        Connection connection;
        error = errorOf([&] { connection.Open(QStringLiteral("data source=") + Connection::quoted(m_path)); });
    }
    QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (GetParam().ours) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("changes that were never finished"))) << error.what();
        EXPECT_TRUE(error.description().contains(QStringLiteral("the folder '") + m_folder.path()
                                                 + QStringLiteral("' cannot be written")))
            << error.what();
    } else {
        EXPECT_TRUE(error.description().contains(QStringLiteral("another program"))) << error.what();
    }
    EXPECT_EQ(fileBytes(m_path), m_before);
    EXPECT_EQ(fileBytes(m_journal), m_journalBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, InterruptedFiles,
                         ::testing::Values(Interrupted{"Unmarked", &unmarked, false},
                                           Interrupted{"MarkedByAnother", &markedByAnother, false},
                                           Interrupted{"Ours", &ours, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadOnlyFile, OpensForReadingAndRefusesWritesWithTheReason)
{
    TemporaryDatabase database;
    const QByteArray before = fileBytes(database.path());
    Unprivileged::makeReadOnly(database.path(), database.folder());
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        Connection connection;
        connection.Open(database.connectionString());
        EXPECT_TRUE(connection.isReadOnly());
        EXPECT_FALSE(connection.isDamaged());
        EXPECT_TRUE(connection.readOnlyReason().contains(QStringLiteral("cannot be written")));
        EXPECT_TRUE(readRows(connection, QStringLiteral("select * from [Work Hours Extended]")).isEmpty());
        EXPECT_EQ(errorOf([&] {
                      connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x',TRUE)"));
                  }).description(),
                  connection.readOnlyReason());
    }
    Unprivileged::makeWritable(database.folder());
    EXPECT_EQ(fileBytes(database.path()), before);
}

}  // namespace
}  // namespace hv::test
