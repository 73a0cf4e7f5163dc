#pragma once

#include "app/database_session.h"
#include "app/file_tasks.h"
#include "app/list_fill.h"
#include "app/main_window_layout.h"
#include "gui/skin_framework.h"
#include "gui/window_pointer.h"
#include "entries/entry_list.h"

#include <QDateTime>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QMenuBar;
class QPushButton;
class QTreeView;

namespace hv {

class FindBar;
class ListInput;
class MainMenu;
class UndoActions;
class UndoJournal;
class WorkHoursModel;

// The main window: start-up, the menu bar, the work-hours list with its find
// bar and its six buttons, the layout in each window state, and saving the
// settings when it closes. The list and the buttons stand in a client area
// below the menu bar, placed there as designed.
class Form1 : public QWidget, public entries::EntryList {
    Q_OBJECT

public:
    // What start-up and closing reach outside the program: a random draw in
    // [0, 1), opening the maker's home page, and ending the program. Tests
    // replace them so that no browser opens and the test process goes on.
    struct Environment {
        std::function<double()> random;
        std::function<void(const QString& url)> openPage;
        // Opens a file or folder of this machine in the desktop's program
        // for it; false when no such program could be started. The
        // desktop's own way when unset.
        std::function<bool(const QString& path)> openLocal;
        std::function<void()> endProgram;
        // The time of day, for the daily backup; the system clock when unset.
        std::function<QDateTime()> now;
        // How long start-up waits for a restore by another copy of the
        // program before it asks whether to wait longer.
        int waitForRestoreMs = 10000;
        // How the list is read: the rows read before the window shows, and
        // the batches of the rest.
        ListFill::Pace listPace;
        // Runs on the daily backup's thread after each step of its copy.
        std::function<void()> backupStep;
        static Environment standard();
    };

    // The window's mouse-pointer setting.
    enum MousePointer {
        PointerDefault = WindowPointer::Default,
        PointerHourglass = WindowPointer::Hourglass,
        PointerCustom = WindowPointer::Custom
    };

    explicit Form1(Environment environment = Environment::standard(), QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: data folder and database, appearance, the component check,
    // connection, list columns, saved widths and window state, list fill.
    // Runs once, before the first show; it stops after the component check
    // when the user chose there to end the program.
    void Form_Load();

    // Rebuilds the work-hours list from the database. When a database on a
    // server could not be read (a connection made again within the read is
    // not a failure), the user is told that the empty list is no sign of
    // empty data and may try again. A list neither sorted nor filtered is
    // shown with its first batch of rows, its first row current, and the
    // rest is read in batches while the window answers; a fill still
    // reading is given up for the new one.
    void ListData() override;

    // A refill of others' changes: as ListData, but a list the database
    // cannot give keeps the rows shown, without a box; false then.
    bool refillShown();

    // True while the list is still being read.
    bool listPending() const { return m_listFill->pending(); }
    // The window's hold on the database, through which its commands run.
    DatabaseSession& session() const { return *m_session; }

    // A click on the header of the list column at position (counted from 1).
    void ListView1_ColumnClick(int position);

    // Places the list and buttons for the current window state.
    void Form_Resize();

    bool maximized() const { return m_Maximized; }
    int mousePointer() const { return m_pointer.value(); }
    void setMousePointer(int pointer) { m_pointer.set(pointer); }
    const WindowPointer& pointer() const { return m_pointer; }

    // The list as the entry commands see it.
    QWidget* listWindow() override { return this; }
    int listCount() const override;
    int selectedPosition() const override;
    QString selectedText(int subItem) const override;
    void selectPosition(int position) override;
    int positionOfEntry(qint64 id) const override;

    // "Add New Work", "Edit Selected Work" and "Delete Selected Work".
    void PushButton2_Click();
    void PushButton1_Click();
    void PushButton3_Click();

    // "Load Sample/Example Data": adds the example employees, work codes and
    // entries, then refills the list.
    void PushButton4_Click();

    // "Reports": the report chooser, modal; nothing is refreshed afterwards.
    void PushButton5_Click();

    // "Help": one box naming the maker's contact page.
    void PushButton6_Click();

    // Edit > Find (Ctrl+F): shows the find bar above the list, the keyboard
    // in its text; the list then shows only the entries found.
    void showFindBar();
    // Escape in the bar, or its close button: every entry is shown again and
    // the list has its designed place.
    void hideFindBar();
    bool findBarShown() const;
    // Shows the find bar's names and matches again (after a refill).
    void refilter();

    // Help > Manual (the manual shipped in the program folder) and Help > About.
    void showManual();
    // Edit > Week Sheet...: the selected entry's employee and week.
    void openWeekSheet();
    void showAbout();

    // The time of day as the window's environment tells it.
    QDateTime now() const;
    // Shows a file or folder of this machine in the desktop's program for
    // it; when there is nothing at the path or no such program can be
    // started, says so, naming what it is (`what`) and where.
    void showLocal(const QString& path, const QString& what);

    QMenuBar* menuBar() const { return m_menuBar; }
    QWidget* clientArea() const { return m_client; }
    FindBar* findBar() const { return m_findBar; }
    ListInput* listInput() const { return m_listInput; }
    UndoActions* undoActions() const { return m_undoActions; }
    // The window's size in the normal state: the client area at design size
    // and the menu bar above it.
    QSize designWindowSize() const;
    int menuBarHeight() const;

    // True once the user chose at start-up to stop the program after a
    // repair of the database components; the window is then not shown.
    bool endingProgram() const { return m_endingProgram; }

    // The skin component laid over this window (SkinFramework1).
    const SkinFramework& skin() const { return m_SkinFramework1; }

    // The window state as the settings store it: 0 normal, 1 minimised, 2 maximised.
    int windowStateNumber() const;

    // The list's widths in twips, as saved at closing.
    double columnWidthTwips(int position) const;

    WorkHoursModel* listModel() const { return m_model; }
    QTreeView* listView() const { return m_listView; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_QueryUnload();
    void Form_Unload();
    void buildControls();
    void setColumnWidthTwips(int position, double twips);
    // Sorts the list by the column at position, or turns its order round.
    void sortByColumn(int position);
    // Makes the first row in display order current, when there is one.
    void selectFirstRow();
    // One reading of the list; false when its rows could not be read.
    bool readList();
    // Whether the user wants the list read again after it could not be.
    bool askToReadListAgain();
    void applyPlaces(const layout::MainWindowPlaces& places);
    // The menu bar and the client area in the window; the list and the find
    // bar within the list's place.
    void placeClientArea();
    void placeList();
    void buildMenus();
    // Filters the list by the find bar's choices, as they change.
    void applyFind();
    void keepDesignSize();
    void restoreDesignSize();

    Environment m_env;
    WorkHoursModel* m_model = nullptr;
    std::unique_ptr<ListFill> m_listFill;
    // The list's rows, already asked for by refillShown().
    std::unique_ptr<data::Recordset> m_listAskedFor;
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    FindBar* m_findBar = nullptr;
    UndoActions* m_undoActions = nullptr;
    UndoJournal* m_undoJournal = nullptr;
    // Refills the list when others change the database.
    ListInput* m_listInput = nullptr;
    std::unique_ptr<DatabaseSession> m_session;
    std::unique_ptr<FileTasks> m_fileTasks;
    std::unique_ptr<MainMenu> m_menu;
    layout::MainWindowPlaces m_places;
    QTreeView* m_listView = nullptr;
    std::array<QPushButton*, 6> m_buttons{};  // PushButton1 .. PushButton6
    std::vector<double> m_columnTwips;
    bool m_Maximized = false;
    bool m_applyingWidths = false;
    bool m_endingProgram = false;
    WindowPointer m_pointer;
    SkinFramework m_SkinFramework1;
    QTimer m_sizeGuard;
};

}  // namespace hv
