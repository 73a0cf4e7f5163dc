#pragma once

#include <QObject>
#include <QString>

class QAbstractItemView;
class QAction;
class QMenu;

namespace hv {

// The keyboard and the mouse on the work-hours list: Enter and a double
// click edit the current entry, Delete deletes it, and the context menu
// offers Edit, Delete, Undo and Copy (the selected rows as tab-separated
// text). The commands themselves are the window's, handed in as actions.
class ListInput : public QObject {
    Q_OBJECT

public:
    ListInput(QAbstractItemView& list, QAction& edit, QAction& remove, QAction& undo);
    ~ListInput() override;

    QMenu& contextMenu() const { return *m_menu; }
    QAction& copyAction() const { return *m_copy; }

    // The selected rows in display order, one a line, cells split by tabs;
    // a cell that holds a tab, a line break or a quote is quoted, its quotes
    // doubled, as spreadsheets read pasted text.
    QString selectedRowsText() const;

    // Puts selectedRowsText() on the clipboard.
    void copySelectedRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& m_list;
    QAction& m_edit;
    QAction& m_remove;
    QMenu* m_menu;
    QAction* m_copy;
};

}  // namespace hv
