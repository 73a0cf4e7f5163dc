#pragma once

class QAction;
class QMenuBar;

namespace hv {

class FileTasks;
class Form1;
class UndoActions;

// The main window's menu bar: File, Edit, View and Help, with mnemonics and
// the standard shortcuts. Every item runs the code of the button or the
// command-line command of the same task.
class MainMenu {
public:
    MainMenu(QMenuBar& bar, Form1& window, FileTasks& tasks, UndoActions& undo);

    // Shared with the list's keyboard and context menu.
    QAction& editAction() const { return *m_edit; }
    QAction& deleteAction() const { return *m_delete; }
    QAction& weekSheetAction() const { return *m_weekSheet; }

private:
    QAction* m_edit = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_weekSheet = nullptr;
};

}  // namespace hv
