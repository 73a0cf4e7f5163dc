#pragma once

#include <functional>

class QAction;
class QMenuBar;
class QWidget;

namespace hv {

class FileTasks;
class UndoActions;

// The main window's menu bar: File, Edit, View and Help, with mnemonics and
// the standard shortcuts. Every item runs the code of the button or the
// command-line command of the same task.
class MainMenu {
public:
    // The window's own commands the menu offers, each as its button or
    // shortcut runs it.
    struct WindowCommands {
        std::function<void()> add;
        std::function<void()> edit;
        std::function<void()> remove;
        std::function<void()> weekSheet;
        std::function<void()> find;
        std::function<void()> refresh;
        std::function<void()> help;
        std::function<void()> manual;
        std::function<void()> about;
    };

    MainMenu(QMenuBar& bar, QWidget& window, const WindowCommands& commands, FileTasks& tasks, UndoActions& undo);

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
