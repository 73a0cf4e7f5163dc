#pragma once

#include <QObject>
#include <functional>

namespace hv {

// Holds off a step that a timer drives (a batch of the list's fill, a
// refill, a look at the database) while a modal window or box of the
// program, or long work that lets the event loop run between its steps
// (WorkProgress), is open: the step then runs once after the last of them
// closes, however often it was held off meanwhile.
class ModalHold {
public:
    // `step` runs from the event loop on `owner`, and only while it lives.
    ModalHold(QObject& owner, std::function<void()> step);

    // True when the step may run now; otherwise it is held for later.
    bool mayRun();
    // True while a step is held for later.
    bool holding() const { return m_holding; }

private:
    QObject& m_owner;
    std::function<void()> m_step;
    bool m_holding = false;
};

}  // namespace hv
