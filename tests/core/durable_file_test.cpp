// Whole files or none: the one way files are written, against every kind of
// target a user can name.
#include "core/durable_file.h"
#include "core/file_system.h"
#include "core/runtime_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace hv::test {
namespace {

using fs::DurableFile;
using Policy = fs::DurableFile::Policy;

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RuntimeError& failure) {
        EXPECT_EQ(failure.number(), err::PathFileAccess);
        return failure.description();
    }
    return {};
}

auto text(const QByteArray& bytes)
{
    return [bytes](QIODevice& out) { out.write(bytes); };
}

class DurableFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System); }

    QTemporaryDir m_dir;
};

TEST_F(DurableFileTest, ReplacesARegularFileKeepingItsModeAndTheLinkToIt)
{
    const QString file = path("out.csv");
    writeText(file, "old");
    ::chmod(QFile::encodeName(file).constData(), 0640);
    ASSERT_TRUE(QFile::link(file, path("link.csv")));

    fs::DurableFile::write(path("link.csv"), Policy::Replace, text("new"));

    EXPECT_EQ(contents(file), "new");
    EXPECT_TRUE(QFileInfo(path("link.csv")).isSymLink());
    struct stat replaced {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), QStringList({"link.csv", "out.csv"}));
}

TEST_F(DurableFileTest, NeverReplaceRefusesAnyExistingNameEvenALinkToNowhere)
{
    writeText(path("there"), "kept");
    ASSERT_TRUE(QFile::link(path("missing"), path("dangling")));
    for (const QString name : {"there", "dangling"})
        EXPECT_TRUE(failureOf([&] { fs::DurableFile::write(path(name), Policy::NeverReplace, text("x")); }).contains("already exists"))
            << name.toStdString();
    EXPECT_EQ(contents(path("there")), "kept");
    EXPECT_TRUE(QFileInfo(path("dangling")).isSymLink());
}

TEST_F(DurableFileTest, AFailedFillLeavesTheOldFileAndNoPartialBehind)
{
    writeText(path("out"), "old");
    EXPECT_THROW(fs::DurableFile::write(path("out"), Policy::Replace,
                                    [](QIODevice& out) {
                                        out.write("half");
                                        throw RuntimeError(err::PathFileAccess, "stopped");
                                    }),
                 RuntimeError);
    EXPECT_EQ(contents(path("out")), "old");
    EXPECT_EQ(entries(), QStringList{"out"});
}

TEST_F(DurableFileTest, CommitNeverReplacesAFileThatAppearedMeanwhile)
{
    writeText(fs::DurableFile::partialPath(path("copy")), "new");
    writeText(path("copy"), "someone else's");
    EXPECT_TRUE(failureOf([&] { fs::DurableFile::commit(fs::DurableFile::partialPath(path("copy")), path("copy"), Policy::NeverReplace); })
                    .contains("already exists"));
    EXPECT_EQ(contents(path("copy")), "someone else's");
    EXPECT_EQ(entries(), QStringList{"copy"});
}

// Streaming into pipes and devices is exercised through --export; here, the
// targets that must be refused at once rather than waited on or replaced.
TEST_F(DurableFileTest, RefusesAPipeNobodyReadsAndAFolder)
{
    const QString pipe = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_TRUE(failureOf([&] { fs::DurableFile::write(pipe, Policy::Replace, text("x")); }).contains("nothing is reading"));
    EXPECT_TRUE(failureOf([&] { fs::DurableFile::write(m_dir.path(), Policy::Replace, text("x")); }).contains("a folder"));
    EXPECT_FALSE(QFileInfo(pipe).isFile());
    EXPECT_EQ(entries(), QStringList{"pipe"});
}

// Threads that fail at once each read the system's words for their own error.
TEST(SystemErrorText, IsEachThreadsOwn)
{
    EXPECT_EQ(fs::systemErrorText(ENOSPC), QStringLiteral("No space left on device"));
    constexpr int kThreads = 8;
    std::vector<QString> texts(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&texts, i] {
            QString text;
            for (int round = 0; round < 2000 && (text.isEmpty() || text.endsWith(QString::number(9000 + i))); ++round)
                text = fs::systemErrorText(9000 + i);
            texts[i] = text;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < kThreads; ++i)
        EXPECT_TRUE(texts[i].endsWith(QString::number(9000 + i))) << texts[i].toStdString();
}

}  // namespace
}  // namespace hv::test
