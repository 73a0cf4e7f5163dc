// Starts the program: the main window loads (start-up) and is shown.
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hourvane"));
    QApplication::setOrganizationName(QStringLiteral("Harrowfen"));

    hv::Form1 mainWindow;
    mainWindow.Form_Load();
    if (mainWindow.endingProgram())
        return 0;
    mainWindow.show();
    return QApplication::exec();
}
