#pragma once

#include "entries/week_grid.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTableWidget;

namespace hv::entries {

// The week sheet: one employee's week of hours as a grid, typed from the
// keyboard. Rows are work codes with an optional description, columns the
// seven days from the locale's first day of the week; the totals of each row,
// each day and the week stay below and beside it. Tab, Shift+Tab and the
// arrows move between cells, Enter saves the week (the changed cells only,
// in one transaction, one change in the journal), Esc asks before changes
// are dropped, PageUp and PageDown go to the week before and after, Ctrl+Up
// and Ctrl+Down to the employee before and after. A cell of several entries
// is not edited here: a double click shows its entries in the list.
class WeekSheet : public QDialog {
    Q_OBJECT

public:
    // Shows the entries of a cell in the list: the employee's name, the work
    // code's and the row's description.
    using ShowEntries = std::function<void(const QString& employee, const QString& workCode, const QString& description)>;

    // The week holding `day` of the employee `employeeId` (the first
    // employee when empty or unknown).
    WeekSheet(const QString& employeeId, const QDate& day, ShowEntries showEntries, QWidget* parent = nullptr);

    // Shows the sheet modally; returns when it has closed.
    int Show();
    // True once a save wrote something.
    bool wroteAny() const { return m_wroteAny; }

    // Enter: checks and writes the changed cells; false when refused,
    // declined or failed, with nothing written.
    bool save();
    // PageUp/PageDown and Ctrl+Up/Down; asks first when changes would be dropped.
    void goWeeks(int step);
    void goEmployees(int step);
    // "Copy previous week".
    void copyPreviousWeek();

    QString employeeId() const;
    QDate firstDay() const { return m_grid.firstDay(); }
    const WeekGrid& grid() const { return m_grid; }

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Named {
        qint64 id = 0;
        QString name;
    };

    // The sheet's own keys, from the grid or a cell being typed; true when taken.
    bool sheetKey(const QKeyEvent& key);
    // Reads the week from the database and shows it.
    bool load(const QDate& firstDay);
    std::optional<std::vector<WeekGrid::Entry>> readWeek(const QDate& firstDay);
    void fillTable();
    // The items of the table's row `row` (the blank row after the grid's).
    void putRow(int row);
    void refreshTotals();
    void cellTyped(int row, int column);
    void showCellEntries(int row, int column);
    // True when nothing would be lost, or the user lets it go.
    bool changesMayGo();
    QString workCodeName(qint64 id) const;
    qint64 workCodeTyped(const QString& text) const;
    std::vector<Named> readNamed(const QString& sql, const QString& nameColumn);

    ShowEntries m_showEntries;
    std::vector<Named> m_workCodes;
    QComboBox* m_employee = nullptr;
    QLabel* m_week = nullptr;
    QTableWidget* m_table = nullptr;
    QTableWidget* m_totals = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    WeekGrid m_grid;
    bool m_filling = false;
    bool m_wroteAny = false;
};

}  // namespace hv::entries
