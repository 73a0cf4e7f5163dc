// Starts the program: the main window loads (start-up) and is shown.
#include "app/appearance.h"
#include "app/main_window.h"

#include <QApplication>
#include <QLoggingCategory>

// Start-up diagnostics, silent unless switched on through Qt's logging rules
// (QT_LOGGING_RULES="hourvane.startup.info=true"): they say when the main
// window is shown, which is how start-up time and memory are measured.
Q_LOGGING_CATEGORY(lcStartup, "hourvane.startup", QtWarningMsg)

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hourvane"));
    QApplication::setOrganizationName(QStringLiteral("Harrowfen"));
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
