#include "app/undo_actions.h"

#include <QKeySequence>

namespace hv {

UndoActions::UndoActions(QObject* parent)
    : QObject(parent),
      m_undo(new QAction(QStringLiteral("&Undo"), this)),
      m_redo(new QAction(QStringLiteral("&Redo"), this))
{
    m_undo->setObjectName(QStringLiteral("actionUndo"));
    m_redo->setObjectName(QStringLiteral("actionRedo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(m_undo, &QAction::triggered, this, &UndoActions::undoRequested);
    connect(m_redo, &QAction::triggered, this, &UndoActions::redoRequested);
    setAvailable(false, false);
}

void UndoActions::setAvailable(bool canUndo, bool canRedo)
{
    m_undo->setEnabled(canUndo);
    m_redo->setEnabled(canRedo);
}

}  // namespace hv
