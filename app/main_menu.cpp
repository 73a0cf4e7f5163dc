#include "app/main_menu.h"

#include "app/file_tasks.h"
#include "app/undo_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace hv {

namespace {

// An item that runs `run` on the window, named for tests and shortcuts.
template <typename Run>
QAction* item(QMenu& menu, const char* name, const QString& caption, QWidget& window, Run&& run,
              const QKeySequence& shortcut = {})
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, &window, std::forward<Run>(run));
    return action;
}

}  // namespace

MainMenu::MainMenu(QMenuBar& bar, QWidget& window, const WindowCommands& commands, FileTasks& tasks,
                   UndoActions& undo)
{
    QMenu& file = *bar.addMenu(QStringLiteral("&File"));
    file.setObjectName(QStringLiteral("menuFile"));
    item(file, "actionImport", QStringLiteral("&Import Old Database..."), window, [&tasks] { tasks.importOldDatabase(); });
    item(file, "actionExport", QStringLiteral("&Export Entries..."), window, [&tasks] { tasks.exportEntries(); });
    file.addSeparator();
    item(file, "actionBackUp", QStringLiteral("&Back Up Now"), window, [&tasks] { tasks.backUpNow(); });
    item(file, "actionRestore", QStringLiteral("&Restore From Backup..."), window,
         [&tasks] { tasks.restoreFromBackup(); });
    item(file, "actionShowBackups", QStringLiteral("&Show Backups Folder"), window,
         [&tasks] { tasks.showBackupsFolder(); });
    file.addSeparator();
    QAction* quit = item(file, "actionQuit", QStringLiteral("&Quit"), window, [&window] { window.close(); },
                         QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);

    QMenu& edit = *bar.addMenu(QStringLiteral("&Edit"));
    edit.setObjectName(QStringLiteral("menuEdit"));
    edit.addAction(undo.undo());
    edit.addAction(undo.redo());
    edit.addSeparator();
    item(edit, "actionAdd", QStringLiteral("&Add New Work"), window, commands.add,
         QKeySequence(Qt::CTRL | Qt::Key_N));
    m_edit = item(edit, "actionEdit", QStringLiteral("&Edit Selected Work"), window, commands.edit);
    m_delete = item(edit, "actionDelete", QStringLiteral("&Delete Selected Work"), window, commands.remove);
    m_weekSheet = item(edit, "actionWeekSheet", QStringLiteral("&Week Sheet..."), window, commands.weekSheet,
                       QKeySequence(Qt::CTRL | Qt::Key_W));
    edit.addSeparator();
    item(edit, "actionFind", QStringLiteral("&Find"), window, commands.find, QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu& view = *bar.addMenu(QStringLiteral("&View"));
    view.setObjectName(QStringLiteral("menuView"));
    item(view, "actionRefresh", QStringLiteral("&Refresh"), window, commands.refresh, QKeySequence(Qt::Key_F5));

    QMenu& help = *bar.addMenu(QStringLiteral("&Help"));
    help.setObjectName(QStringLiteral("menuHelp"));
    item(help, "actionHelp", QStringLiteral("&Help"), window, commands.help, QKeySequence(Qt::Key_F1));
    item(help, "actionManual", QStringLiteral("&Manual"), window, commands.manual);
    QAction* about =
        item(help, "actionAbout", QStringLiteral("&About Hourvane"), window, commands.about);
    about->setMenuRole(QAction::AboutRole);
}

}  // namespace hv
