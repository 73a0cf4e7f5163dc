// Starts the program: the main window loads (start-up) and is shown.
#include "app/appearance.h"
#include "app/main_window.h"
#include "app/version.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hourvane"));
    QApplication::setOrganizationName(QStringLiteral("Harrowfen"));
    QApplication::setApplicationVersion(QString::fromLatin1(hv::build::kVersion));
    // The desktop finds the window's entry and icon by this name.
    QApplication::setDesktopFileName(QString::fromLatin1(hv::build::kDesktopFileName));
    // The system's own dialogs (print, file) carry the program's icon too.
    QApplication::setWindowIcon(hv::applicationIcon());

    hv::Form1 mainWindow;
    mainWindow.Form_Load();
    if (mainWindow.endingProgram())
        return 0;
    mainWindow.show();
    return QApplication::exec();
}
