#include "cli/command_line.h"

#include "cli/backup_command.h"
#include "cli/copy_to_server_command.h"
#include "cli/export_command.h"
#include "cli/grant_access_command.h"
#include "cli/history_command.h"
#include "cli/import_command.h"
#include "cli/init_server_command.h"
#include "cli/restore_command.h"
#include "cli/revoke_access_command.h"
#include "cli/terminal_password.h"
#include "cli/undo_command.h"
#include "cli/use_local_command.h"
#include "cli/use_server_command.h"
#include "backup/backup_folder.h"
#include "core/data_places.h"
#include "database/database_choice.h"
#include "database/local_database.h"
#include "data/connection.h"
#include "core/file_kind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

// The bytes of a name as text, each byte that is not part of UTF-8 text
// written as \xFF.
QString shownWithEscapes(const QByteArray& bytes)
{
    QString shown;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes.at(at));
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xe ? 3 : (lead >> 3) == 0x1e ? 4 : 0;
        const QByteArray piece = bytes.mid(at, length);
        if (length > 0 && piece.size() == length && QString::fromUtf8(piece).toUtf8() == piece) {
            shown += QString::fromUtf8(piece);
            at += length;
            continue;
        }
        shown += QStringLiteral("\\x") + QString::number(lead, 16).toUpper();
        ++at;
    }
    return shown;
}

}  // namespace

CommandLine::CommandLine(const Arguments& arguments)
    : m_dataDir(QStringLiteral("data-dir"),
                QStringLiteral("Use the data folder <DIR> (with its database and backups) for this run only."),
                QStringLiteral("DIR")),
      m_allowUnencrypted(QStringLiteral("allow-unencrypted"),
                         QStringLiteral("Connect to a server beyond this computer without encryption when its "
                                        "address asks for that (sslmode=disable); refused otherwise."))
{
    m_commands.push_back(std::make_unique<ImportCommand>());
    m_commands.push_back(std::make_unique<BackupCommand>());
    m_commands.push_back(std::make_unique<RestoreCommand>());
    m_commands.push_back(std::make_unique<ExportCommand>());
    m_commands.push_back(std::make_unique<HistoryCommand>());
    m_commands.push_back(std::make_unique<UndoCommand>());
    m_commands.push_back(std::make_unique<UseServerCommand>());
    m_commands.push_back(std::make_unique<UseLocalCommand>());
    m_commands.push_back(std::make_unique<InitServerCommand>());
    m_commands.push_back(std::make_unique<CopyToServerCommand>());
    m_commands.push_back(std::make_unique<GrantAccessCommand>());
    m_commands.push_back(std::make_unique<RevokeAccessCommand>());
    read(arguments);
}

CommandLine::~CommandLine() = default;

void CommandLine::read(const Arguments& arguments)
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
    m_parser.addOption(m_allowUnencrypted);
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
    m_parser.addPositionalArgument(QStringLiteral("editor|reader"),
                                   QStringLiteral("With --grant-access: editor (may change hours) or reader (may "
                                                  "only read them)."));

    if (!arguments.undecodable.isEmpty()) {
        m_error = QStringLiteral("Hourvane reads names as UTF-8 text and cannot use '%1' (the bytes written \\x.. are "
                                 "not UTF-8): give the file or folder a UTF-8 name and try again.")
                      .arg(shownWithEscapes(arguments.undecodable.constFirst()));
        return;
    }
    if (!m_parser.parse(arguments.texts)) {
        m_error = m_parser.errorText();
        return;
    }
    data::Connection::allowPlainTextBeyondThisComputer(m_parser.isSet(m_allowUnencrypted));
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
                m_error = option.valueName() == u"URI" ? QStringLiteral("%1 needs a server address (postgresql://...).").arg(name)
                    : option.valueName() == u"LOGIN"   ? QStringLiteral("%1 needs a login.").arg(name)
                                                       : QStringLiteral("%1 needs a file.").arg(name);
            m_value = values.constLast();
        }
    }
    if (chosen.size() > 1)
        m_error = QStringLiteral("Choose one of %1.").arg(commandNames.join(QStringLiteral(", ")));
    m_command = chosen.empty() ? nullptr : chosen.front();

    const QStringList positional = m_parser.positionalArguments();
    const bool takesFile = m_command && m_command->takesFileArgument();
    const bool takesNothing = m_command && !takesFile && m_command->option().valueName().isEmpty();
    const QString argumentName = m_command ? m_command->argumentName() : QString();
    if (!argumentName.isEmpty()) {
        if (positional.size() != 1)
            m_error = QStringLiteral("--%1 needs %2 and then %3.")
                          .arg(m_command->option().names().constFirst(), m_command->option().valueName(), argumentName);
        else
            m_argument = positional.constFirst();
    } else if (takesNothing && !positional.isEmpty())
        m_error = QStringLiteral("--%1 takes no argument; '%2' is not understood.")
                      .arg(m_command->option().names().constFirst(), positional.constFirst());
    else if (positional.size() > (takesFile ? 1 : 0))
        m_error = QStringLiteral("Unexpected argument '%1'.").arg(positional.constLast());
    else if (takesFile && !positional.isEmpty())
        m_value = positional.constFirst();
    if (m_parser.isSet(m_dataDir) && m_parser.value(m_dataDir).isEmpty())
        m_error = QStringLiteral("--data-dir needs a folder.");
    else if (m_parser.isSet(m_dataDir) && m_command && m_command->refusalWithDataFolder())
        m_error = *m_command->refusalWithDataFolder();
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
    const fs::FileKind there = fs::FileKind::of(folder);
    if (there.exists() && there.kind() != fs::FileKind::Folder && there.kind() != fs::FileKind::Unreachable)
        return QStringLiteral("Cannot use the data folder '%1': it is %2, not a folder.")
            .arg(folder, there.isFile() ? QStringLiteral("a file") : there.name());
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

    CommandContext context{QString(), QString(), QString(), QString(), m_argument, QDateTime::currentDateTime(), out,
                           err};
    // A server that asks for a password asks on the terminal, when there is one.
    data::Connection::setPasswordProvider(TerminalPassword::ask);
    if (const std::optional<QString> problem = applyDataFolder())
        return context.fail(*problem);
    context.serverAddress = database::DatabaseChoice::serverAddress();
    context.dataFolder = places::dataFolder();
    context.liveDatabase = database::LocalDatabase(context.dataFolder).path();
    context.backupsFolder = backup::BackupFolder::besideDatabase(context.liveDatabase).path();
    return m_command->run(m_value, context);
}

CommandLine::Arguments CommandLine::argumentsOf(int argc, char** argv)
{
    Arguments arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        arguments.texts << QFile::decodeName(bytes);
        // The program's own path is never used as a name.
        if (i > 0 && QFile::encodeName(arguments.texts.constLast()) != bytes)
            arguments.undecodable << bytes;
    }
    return arguments;
}

}  // namespace hv::cli
