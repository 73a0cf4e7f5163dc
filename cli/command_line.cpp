#include "cli/command_line.h"

#include "cli/backup_command.h"
#include "cli/copy_to_server_command.h"
#include "cli/export_command.h"
#include "cli/import_command.h"
#include "cli/init_server_command.h"
#include "cli/restore_command.h"
#include "cli/terminal_password.h"
#include "cli/use_local_command.h"
#include "cli/use_server_command.h"
#include "app/data_places.h"
#include "app/database_choice.h"
#include "data/connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace hv::cli {

namespace {

// Options of the window toolkit that a start of the window may carry
// ("-platform offscreen"); accepted here and left to the toolkit.
constexpr const char* kToolkitOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "style", "stylesheet", "session", "display", "geometry", "title", "name"};
constexpr const char* kToolkitFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

}  // namespace

CommandLine::CommandLine(const QStringList& arguments)
    : m_dataDir(QStringLiteral("data-dir"),
                QStringLiteral("Use the data folder <DIR> (with its database and backups) for this run only."),
                QStringLiteral("DIR"))
{
    m_commands.push_back(std::make_unique<ImportCommand>());
    m_commands.push_back(std::make_unique<BackupCommand>());
    m_commands.push_back(std::make_unique<RestoreCommand>());
    m_commands.push_back(std::make_unique<ExportCommand>());
    m_commands.push_back(std::make_unique<UseServerCommand>());
    m_commands.push_back(std::make_unique<UseLocalCommand>());
    m_commands.push_back(std::make_unique<InitServerCommand>());
    m_commands.push_back(std::make_unique<CopyToServerCommand>());
    read(arguments);
}

CommandLine::~CommandLine() = default;

void CommandLine::read(const QStringList& arguments)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setApplicationDescription(
        QStringLiteral("Keeps a record of the hours employees work. Without options, opens the main window; each "
                       "option below does its job without a window and exits (0 on success, 1 on failure, 2 for "
                       "wrong arguments)."));
    const QCommandLineOption help = m_parser.addHelpOption();
    const QCommandLineOption version = m_parser.addVersionOption();
    QStringList commandNames;
    for (const auto& command : m_commands) {
        m_parser.addOption(command->option());
        commandNames << QStringLiteral("--") + command->option().names().constFirst();
    }
    m_parser.addOption(m_dataDir);
    for (const char* name : kToolkitOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char* name : kToolkitFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    m_parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("With --backup: where to write the backup."),
                                   QStringLiteral("[FILE]"));

    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return;
    }
    m_help = m_parser.isSet(help) || m_parser.isSet(QStringLiteral("help-all"));
    m_version = m_parser.isSet(version);

    std::vector<Command*> chosen;
    for (const auto& command : m_commands) {
        const QCommandLineOption option = command->option();
        if (!m_parser.isSet(option))
            continue;
        chosen.push_back(command.get());
        const QString name = QStringLiteral("--") + option.names().constFirst();
        if (!option.valueName().isEmpty()) {
            const QStringList values = m_parser.values(option);
            if (values.size() > 1)
                m_error = QStringLiteral("%1 may be given only once.").arg(name);
            else if (values.constFirst().isEmpty())
                m_error = option.valueName() == u"URI"
                    ? QStringLiteral("%1 needs a server address (postgresql://...).").arg(name)
                    : QStringLiteral("%1 needs a file.").arg(name);
            m_value = values.constLast();
        }
    }
    if (chosen.size() > 1)
        m_error = QStringLiteral("Choose one of %1.").arg(commandNames.join(QStringLiteral(", ")));
    m_command = chosen.empty() ? nullptr : chosen.front();

    const QStringList positional = m_parser.positionalArguments();
    const bool takesFile = m_command && m_command->option().valueName().isEmpty();
    if (positional.size() > (takesFile ? 1 : 0))
        m_error = QStringLiteral("Unexpected argument '%1'.").arg(positional.constLast());
    else if (takesFile && !positional.isEmpty())
        m_value = positional.constFirst();
    if (m_parser.isSet(m_dataDir) && m_parser.value(m_dataDir).isEmpty())
        m_error = QStringLiteral("--data-dir needs a folder.");
}

bool CommandLine::startsWindow() const
{
    return m_error.isEmpty() && !m_help && !m_version && !m_command;
}

std::optional<QString> CommandLine::applyDataFolder() const
{
    if (!m_parser.isSet(m_dataDir))
        return std::nullopt;
    const QString folder = m_parser.value(m_dataDir);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return QStringLiteral("Cannot use the data folder '%1': it cannot be created.").arg(folder);
    places::setDataFolder(folder);
    return std::nullopt;
}

int CommandLine::run()
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!m_error.isEmpty()) {
        err << QCoreApplication::applicationName().toLower() << ": " << m_error << "\n\n" << m_parser.helpText();
        return UsageError;
    }
    if (m_help) {
        out << m_parser.helpText();
        return Success;
    }
    if (m_version) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return Success;
    }
    if (!m_command)
        return Success;

    CommandContext context{QString(), QString(), QString(), QString(), QString(),
                           QDateTime::currentDateTime(), out, err};
    // A server that asks for a password asks on the terminal, when there is one.
    data::Connection::setPasswordProvider(TerminalPassword::ask);
    if (const std::optional<QString> problem = applyDataFolder())
        return context.fail(*problem);
    context.serverAddress = DatabaseChoice::serverAddress();
    context.dataFolder = places::dataFolder();
    context.liveDatabase = places::liveDatabasePath();
    context.backupsFolder = places::backupsFolder();
    context.templateDatabase = places::templateDatabasePath();
    return m_command->run(m_value, context);
}

QStringList CommandLine::argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace hv::cli
