#pragma once

#include "cli/command.h"

#include <QCommandLineParser>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace hv::cli {

// The program's command line, read with one parser: the commands that do a
// job and exit (one small class each), --help, --version, the data folder
// of a run, and the options of the window toolkit that a window start
// passes on. Reading needs no application object, so the program knows
// whether it will open a window before it makes one; printing help or
// running a command needs a QCoreApplication. Without arguments the window
// opens, exactly as always.
class CommandLine {
public:
    // The program's arguments as text, with the bytes of those that are not
    // UTF-8 text: such a name cannot be turned into text and back unchanged,
    // so it is refused rather than taken for another name.
    struct Arguments {
        QStringList texts;
        QList<QByteArray> undecodable;
    };

    explicit CommandLine(const Arguments& arguments);
    ~CommandLine();

    // True when the window is to open: no command, no help or version, and
    // nothing wrong with the arguments.
    bool startsWindow() const;

    // Makes the data folder named with --data-dir the one of this run
    // (creating it when missing); the reason when that is not possible.
    std::optional<QString> applyDataFolder() const;

    // Does what the arguments ask (a one-line error and the usage, help,
    // version, or a command) and returns the exit code.
    int run();

    // The arguments as the system gave them, before an application object exists.
    static Arguments argumentsOf(int argc, char** argv);

private:
    void read(const Arguments& arguments);

    QCommandLineParser m_parser;
    std::vector<std::unique_ptr<Command>> m_commands;
    QCommandLineOption m_dataDir;
    QCommandLineOption m_allowUnencrypted;
    Command* m_command = nullptr;
    QString m_value;
    // The argument after the value, for a command that takes one.
    QString m_argument;
    QString m_error;
    bool m_help = false;
    bool m_version = false;
};

}  // namespace hv::cli
