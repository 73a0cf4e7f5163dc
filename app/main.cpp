// Starts the program: with an option that does a job (see --help), runs it
// without a window and exits; otherwise the main window loads (start-up) and
// is shown.
#include "gui/appearance.h"
#include "app/main_window.h"
#include "backup/damage_advice.h"
#include "backup/database_backup.h"
#include "core/version.h"
#include "cli/command_line.h"

#include "app/startup_log.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Hourvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Harrowfen"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(hv::build::kVersion));

    // A database file of an older version is backed up before it is upgraded.
    hv::backup::DatabaseBackup::beforeEveryUpgrade();
    // What is said of a damaged database names its newest sound backup.
    hv::backup::DamageAdvice::forEveryConnection();

    hv::cli::CommandLine commandLine(hv::cli::CommandLine::argumentsOf(argc, argv));
    if (!commandLine.startsWindow()) {
        QCoreApplication app(argc, argv);
        return commandLine.run();
    }

    QApplication app(argc, argv);
    if (const std::optional<QString> problem = commandLine.applyDataFolder()) {
        QTextStream(stderr) << *problem << Qt::endl;
        return hv::cli::Failure;
    }
    // The desktop finds the window's entry and icon by this name.
    QApplication::setDesktopFileName(QString::fromLatin1(hv::build::kDesktopFileName));
    // The system's own dialogs (print, file) carry the program's icon too.
    QApplication::setWindowIcon(hv::applicationIcon());

    hv::Form1 mainWindow;
    mainWindow.Form_Load();
    if (mainWindow.endingProgram())
        return 0;
    mainWindow.show();
    qCInfo(lcStartup, "main window shown");
    return QApplication::exec();
}
