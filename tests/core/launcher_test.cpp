#include "core/launcher.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <climits>
#include <gtest/gtest.h>
#include <optional>

namespace hv::test {
namespace {

using shell32::kLaunchFailureBase;
using shell32::LaunchAndWait;

// A command line and the exit code its program ends with.
struct ExitCase {
    const char* commandLine;
    std::optional<int> style;
    qint32 exitCode;
};

class LaunchExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(LaunchExitCodeTest, ReturnsTheProgramsExitCode)
{
    const ExitCase& c = GetParam();
    EXPECT_EQ(LaunchAndWait(QString::fromUtf8(c.commandLine), c.style), c.exitCode) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, LaunchExitCodeTest,
    ::testing::Values(
        ExitCase{R"(/bin/sh -c "exit 3")", std::nullopt, 3},
        ExitCase{R"(/bin/sh -c "exit 0")", 1, 0},
        // Found on the search path like any command line's program.
        ExitCase{R"(sh -c "exit 7")", 4, 7},
        // A quoted argument with a blank stays one argument ($0 is "x").
        ExitCase{R"(/bin/sh -c "exit $#" x "one two" three)", std::nullopt, 2},
        // No shell reads the line: the semicolon is an argument to the program.
        ExitCase{R"(/bin/sh -c "exit 4" ; exit 9)", std::nullopt, 4},
        // A hidden program has no input: its first read meets the end.
        ExitCase{R"(/bin/sh -c "read line")", shell32::StyleHidden, 1},
        // Ended by a signal (9): reported as a shell reports it.
        ExitCase{R"(/bin/sh -c "kill -9 $$")", 0, 137}));

// Programs that cannot be started return the failure's number plus the base.
TEST(LaunchFailureTest, ProgramsThatCannotStartReturnANegativeCode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath(QStringLiteral("ADOFix64.msu"));
    const QString noInterpreter = dir.filePath(QStringLiteral("no-interpreter"));
    for (const QString& path : {plainFile, noInterpreter}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("exit 0\n");
    }
    QFile::setPermissions(noInterpreter, QFile::permissions(noInterpreter) | QFileDevice::ExeOwner);

    const struct {
        QString commandLine;
        qint32 number;
    } cases[] = {
        {dir.filePath(QStringLiteral("no-such-program")), shell32::kProgramNotFound},
        {QStringLiteral("hourvane-no-such-command-anywhere"), shell32::kProgramNotFound},
        {QString(), shell32::kProgramNotFound},
        {QStringLiteral("   "), shell32::kProgramNotFound},
        {plainFile, shell32::kAccessDenied},
        {dir.path(), shell32::kAccessDenied},
        {noInterpreter, shell32::kBadProgramFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine.toStdString());
        const qint32 result = LaunchAndWait(c.commandLine);
        EXPECT_LT(result, 0);
        EXPECT_EQ(result, kLaunchFailureBase + c.number);
    }
}

// A program named by a path with blanks and quotes starts as it is named,
// its arguments passed one by one, untouched by any splitting.
TEST(LaunchProgramTest, APathWithBlanksIsTakenWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("My Apps/it's \"here\""));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/count args");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit $#\n");
    file.close();
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);

    EXPECT_EQ(shell32::LaunchProgramAndWait(program, {}, shell32::StyleHidden), 0);
    EXPECT_EQ(shell32::LaunchProgramAndWait(program, {QStringLiteral("one two"), QStringLiteral("\"3\"")}), 2);
    EXPECT_EQ(shell32::LaunchProgramAndWait(folder + QStringLiteral("/count"), {}),
              kLaunchFailureBase + shell32::kProgramNotFound);
    EXPECT_EQ(shell32::LaunchProgramAndWait(QString(), {}), kLaunchFailureBase + shell32::kProgramNotFound);
}

// The show style a program is started with.
struct StyleCase {
    std::optional<int> given;
    int used;
};

class WindowStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(WindowStyleTest, OutOfRangeOrMissingStylesBecomeMinimisedWithoutFocus)
{
    EXPECT_EQ(shell32::NormalizedWindowStyle(GetParam().given), GetParam().used);
    // Only the hidden style keeps the program away from this program's terminal.
    EXPECT_EQ(shell32::channelsForStyle(GetParam().used).attachedToTerminal, GetParam().used != 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, WindowStyleTest,
                         ::testing::Values(StyleCase{std::nullopt, 6}, StyleCase{-1, 6}, StyleCase{7, 6},
                                           StyleCase{INT_MIN, 6}, StyleCase{INT_MAX, 6}, StyleCase{0, 0},
                                           StyleCase{1, 1}, StyleCase{2, 2}, StyleCase{3, 3}, StyleCase{4, 4},
                                           StyleCase{5, 5}, StyleCase{6, 6}));

// The started program can only end once an event queued before the wait has
// run, so it ends only if the wait processes events.
TEST(LaunchWaitTest, WindowEventsRunWhileTheProgramRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString flag = dir.filePath(QStringLiteral("flag"));
    QObject context;
    bool handled = false;
    QTimer::singleShot(0, &context, [&] {
        handled = true;
        QFile file(flag);
        file.open(QIODevice::WriteOnly);
    });
    const qint32 result = LaunchAndWait(
        QStringLiteral(R"(/bin/sh -c "while [ ! -e $0 ]; do sleep 0.05; done; exit 5" )") + flag,
        shell32::StyleHidden);
    EXPECT_TRUE(handled);
    EXPECT_EQ(result, 5);
}

}  // namespace
}  // namespace hv::test
