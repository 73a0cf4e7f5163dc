#include "app/undo_journal.h"

#include "app/undo_actions.h"
#include "core/runtime_error.h"
#include "data/change_journal.h"
#include "data/connection.h"
#include "gui/busy_pointer.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"

#include <QWidget>

namespace hv {

UndoJournal::UndoJournal(UndoActions& actions, QWidget& window, RunChange runChange, std::function<void()> refill)
    : QObject(&actions),
      m_actions(actions),
      m_window(window),
      m_runChange(std::move(runChange)),
      m_refill(std::move(refill))
{
    connect(&m_actions, &UndoActions::undoRequested, this, [this] { replay(false); });
    connect(&m_actions, &UndoActions::redoRequested, this, [this] { replay(true); });
}

void UndoJournal::refresh()
{
    QString undoWhat;
    QString redoWhat;
    m_offered = {};
    // A database that takes no writes offers nothing to replay.
    if (SharedConnection::isSet() && SharedConnection::current().state() == data::Connection::StateOpen
        && !SharedConnection::current().isReadOnly()) {
        try {
            data::ChangeJournal& journal = SharedConnection::current().journal();
            if (const auto change = journal.nextUndo()) {
                undoWhat = change->description;
                m_offered[0] = change->id;
            }
            if (const auto change = journal.nextRedo()) {
                redoWhat = change->description;
                m_offered[1] = change->id;
            }
        } catch (const RuntimeError&) {
            // Nothing offered; the next fill of the list asks again.
        }
    }
    m_actions.offer(undoWhat, redoWhat);
}

void UndoJournal::replay(bool redo)
{
    m_runChange([&] {
        try {
            const BusyPointer busy;
            data::ChangeJournal& journal = SharedConnection::get().journal();
            // The change the menu names, which another program may have put
            // out of reach since.
            const qint64 named = m_offered[redo ? 1 : 0];
            redo ? journal.redo(named) : journal.undo(named);
        } catch (const RuntimeError& failure) {
            UiSeam::message(&m_window, {failure.description(), UiSeam::applicationTitle(), QMessageBox::Warning,
                                        QMessageBox::Ok});
        }
        // The list shows the database as it now is, and the actions what is next.
        m_refill();
    });
}

}  // namespace hv
