#pragma once

#include <QObject>
#include <array>
#include <functional>

class QWidget;

namespace hv {

class UndoActions;

// Edit > Undo and Redo on the database's journal of changes: offers what the
// shared connection's journal can take back or do again (refresh(), after
// every fill of the list), replays it when asked (as a change of the
// window, through `runChange`, which readies the window for it) as long as
// it is still the change the action names, says why when it cannot, and has
// the list filled again.
class UndoJournal : public QObject {
    Q_OBJECT

public:
    using RunChange = std::function<void(const std::function<void()>& change)>;

    UndoJournal(UndoActions& actions, QWidget& window, RunChange runChange, std::function<void()> refill);

    // Asks the journal what Undo and Redo would do now.
    void refresh();

private:
    void replay(bool redo);

    UndoActions& m_actions;
    QWidget& m_window;
    RunChange m_runChange;
    std::function<void()> m_refill;
    // The IDs of the changes Undo and Redo name (0: none).
    std::array<qint64, 2> m_offered{};
};

}  // namespace hv
