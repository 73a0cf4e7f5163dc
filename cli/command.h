#pragma once

#include <QCommandLineOption>
#include <QDateTime>
#include <QString>
#include <QTextStream>
#include <optional>

namespace hv::cli {

// The exit codes every command shares.
enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// What a command works with: the data places of this run, the time, and the
// two output streams (results on standard output, errors on standard error).
struct CommandContext {
    // The address of the server database in use; empty for the local file.
    QString serverAddress;
    QString dataFolder;
    // The live database file of the data folder (LocalDatabase's path).
    QString liveDatabase;
    QString backupsFolder;
    // The argument after the option's value, for a command that takes one.
    QString argument;
    QDateTime now;
    QTextStream& out;
    QTextStream& err;

    // Writes the message on standard error and returns Failure.
    int fail(const QString& message) const;

    // For a command that works on the local file only (`what` it does, as
    // "Backups"): on a server, says whose job that is and returns Failure.
    int refuseOnServer(const QString& what) const;

    // Why rights per login need a server database in use.
    static QString rightsNeedAServer();
};

// One command of the command line: an option that does its job and exits
// without opening a window.
class Command {
public:
    virtual ~Command() = default;

    // The option that asks for the command, with its help text.
    virtual QCommandLineOption option() const = 0;

    // True for a command whose option takes no value but which may be
    // followed by a file ("--backup [FILE]"); any other command refuses an
    // argument beyond its option's value.
    virtual bool takesFileArgument() const { return false; }

    // The name of a second argument the command needs after its option's
    // value ("editor|reader"), which it finds in CommandContext::argument;
    // empty for none.
    virtual QString argumentName() const { return {}; }

    // Why the command cannot run with a data folder of the run's own
    // (--data-dir); nothing when it can.
    virtual std::optional<QString> refusalWithDataFolder() const { return std::nullopt; }

    // Runs with the option's value (a file; empty when it takes none or none
    // was given) and returns the exit code.
    virtual int run(const QString& value, CommandContext& context) = 0;
};

}  // namespace hv::cli
