#include "core/launcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace hv::shell32 {

namespace {

constexpr int kPollMilliseconds = 100;

// Why a program could not be started, named as the platform numbers it.
qint32 startFailureNumber(const QString& program)
{
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return kProgramNotFound;
    const QFileInfo file(path);
    if (!file.exists())
        return kProgramNotFound;
    if (file.isDir() || !file.isExecutable())
        return kAccessDenied;
    return kBadProgramFormat;
}

}  // namespace

int NormalizedWindowStyle(std::optional<int> windowStyle)
{
    if (!windowStyle || *windowStyle < StyleHidden || *windowStyle > StyleMinimizedNoFocus)
        return StyleMinimizedNoFocus;
    return *windowStyle;
}

ChildChannels channelsForStyle(int normalizedStyle)
{
    return {normalizedStyle != StyleHidden};
}

qint32 LaunchAndWait(const QString& commandLine, std::optional<int> windowStyle)
{
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        return kLaunchFailureBase + kProgramNotFound;
    const QString program = arguments.takeFirst();
    return LaunchProgramAndWait(program, arguments, windowStyle);
}

qint32 LaunchProgramAndWait(const QString& program, const QStringList& arguments, std::optional<int> windowStyle)
{
    if (program.trimmed().isEmpty())
        return kLaunchFailureBase + kProgramNotFound;
    const ChildChannels channels = channelsForStyle(NormalizedWindowStyle(windowStyle));

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (channels.attachedToTerminal) {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
    } else {
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }
    process.start();
    if (!process.waitForStarted(-1))
        return kLaunchFailureBase + startFailureNumber(program);

    // Window events run at least once, even for a program that ends at once.
    do {
        QCoreApplication::processEvents();
        process.waitForFinished(kPollMilliseconds);
    } while (process.state() != QProcess::NotRunning);

    if (process.exitStatus() == QProcess::CrashExit)
        return 128 + process.exitCode();
    return process.exitCode();
}

}  // namespace hv::shell32
