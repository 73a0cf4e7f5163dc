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

void UndoActions::offer(const QString& undoWhat, const QString& redoWhat)
{
    // A "&" in a description is a character, not a mnemonic.
    const auto caption = [](const QString& base, QString what) {
        return what.isEmpty() ? base : base + u' ' + what.replace(u'&', QStringLiteral("&&"));
    };
    m_undo->setText(caption(QStringLiteral("&Undo"), undoWhat));
    m_redo->setText(caption(QStringLiteral("&Redo"), redoWhat));
    setAvailable(!undoWhat.isEmpty(), !redoWhat.isEmpty());
}

}  // namespace hv
