#pragma once

#include <QAction>
#include <QObject>

namespace hv {

// "Undo" and "Redo", shared by the Edit menu and the list's context menu.
// Both start disabled: the journal of changes (UndoJournal) connects to
// undoRequested()/redoRequested() and says through offer() what can be
// undone and redone.
class UndoActions : public QObject {
    Q_OBJECT

public:
    explicit UndoActions(QObject* parent = nullptr);

    QAction* undo() const { return m_undo; }
    QAction* redo() const { return m_redo; }

    // Enables each action when there is a change to take back or do again.
    void setAvailable(bool canUndo, bool canRedo);
    // Names the change each action would take back or do again ("Undo
    // Delete employee Tom Smith"); an empty text disables the action.
    void offer(const QString& undoWhat, const QString& redoWhat);

Q_SIGNALS:
    void undoRequested();
    void redoRequested();

private:
    QAction* m_undo;
    QAction* m_redo;
};

}  // namespace hv
