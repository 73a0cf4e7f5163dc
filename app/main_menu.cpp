#include "app/main_menu.h"

#include "app/file_tasks.h"
#include "app/find_bar.h"
#include "app/main_window.h"
#include "app/undo_actions.h"
#include "entries/week_sheet_command.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace hv {

namespace {

// An item that runs `run` on the window, named for tests and shortcuts.
template <typename Run>
QAction* item(QMenu& menu, const char* name, const QString& caption, Form1& window, Run&& run,
              const QKeySequence& shortcut = {})
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, &window, std::forward<Run>(run));
    return action;
}

}  // namespace

MainMenu::MainMenu(QMenuBar& bar, Form1& window, FileTasks& tasks, UndoActions& undo)
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
    item(edit, "actionAdd", QStringLiteral("&Add New Work"), window, &Form1::PushButton2_Click,
         QKeySequence(Qt::CTRL | Qt::Key_N));
    m_edit = item(edit, "actionEdit", QStringLiteral("&Edit Selected Work"), window, &Form1::PushButton1_Click);
    m_delete = item(edit, "actionDelete", QStringLiteral("&Delete Selected Work"), window, &Form1::PushButton3_Click);
    // The week sheet shows a cell of several entries in the list, found by
    // the find bar.
    m_weekSheet = item(
        edit, "actionWeekSheet", QStringLiteral("&Week Sheet..."), window,
        [&window] {
            entries::openWeekSheet(window, [&window](const QString& employee, const QString& workCode,
                                                     const QString& description) {
                window.showFindBar();
                window.findBar()->choose(employee, workCode, reports::QuickPeriod::AllDates, description);
            });
        },
        QKeySequence(Qt::CTRL | Qt::Key_W));
    edit.addSeparator();
    item(edit, "actionFind", QStringLiteral("&Find"), window, &Form1::showFindBar, QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu& view = *bar.addMenu(QStringLiteral("&View"));
    view.setObjectName(QStringLiteral("menuView"));
    item(view, "actionRefresh", QStringLiteral("&Refresh"), window, &Form1::ListData, QKeySequence(Qt::Key_F5));

    QMenu& help = *bar.addMenu(QStringLiteral("&Help"));
    help.setObjectName(QStringLiteral("menuHelp"));
    item(help, "actionHelp", QStringLiteral("&Help"), window, &Form1::PushButton6_Click, QKeySequence(Qt::Key_F1));
    item(help, "actionManual", QStringLiteral("&Manual"), window, &Form1::showManual);
    QAction* about =
        item(help, "actionAbout", QStringLiteral("&About Hourvane"), window, &Form1::showAbout);
    about->setMenuRole(QAction::AboutRole);
}

}  // namespace hv
