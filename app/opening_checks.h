#pragma once

#include "gui/modal_hold.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QThread;
class QWidget;

namespace hv {

// What follows an open of the shared connection without holding up the
// window: the verdict of the page check that runs beside the program (a
// damaged database is then said, as the open says it), and after it the
// daily backup of a sound local database, copied on a thread of its own;
// a backup that fails is said as start-up says it. Writes may go on while
// the copy is made (it holds one state of the database all the same), and
// going away stops a copy half made, leaving no part of it. Nothing of this
// runs from the event loop while a modal window or long work of the program
// is open: it goes on once they close.
class OpeningChecks : public QObject {
    Q_OBJECT

public:
    // `now` is the time of day for the backup's name; `sayReadOnly` says why
    // the database is read-only, unless that was said since the open.
    // `backupStep` runs on the backup's thread after each step of the copy
    // (tests hold the copy there).
    OpeningChecks(QWidget& window, std::function<QDateTime()> now, std::function<void()> sayReadOnly,
                  std::function<void()> backupStep = {});
    ~OpeningChecks() override;

    // Watches the check of the open just made, from the event loop.
    void start();
    // True when nothing is left to do.
    bool done() const { return !m_poll.isActive() && !m_backup; }
    // True once the check's verdict is in, as a write needs.
    bool checkSettled() const { return !m_poll.isActive(); }
    // Does what is left now, waiting for the check and the backup.
    void finish();
    // Waits for the check's verdict, which a write needs; the backup goes on.
    void settleCheck();

Q_SIGNALS:
    // The check's verdict is in and the backup made (or not needed).
    void finished();

private:
    void poll();
    // Goes on with whatever was held off: the poll, or the backup's end.
    void resume();
    // The verdict is in: says a damaged database, then begins the backup.
    void afterCheck();
    void backUp();
    void backedUp();

    QWidget& m_window;
    std::function<QDateTime()> m_now;
    std::function<void()> m_sayReadOnly;
    std::function<void()> m_backupStep;
    QTimer m_poll;
    std::unique_ptr<QThread> m_backup;
    // What the backup thread found wrong, read once it has ended.
    std::optional<QString> m_backupFailure;
    // The backup's thread has ended, and its end is not taken in yet.
    bool m_backupEnded = false;
    ModalHold m_hold{*this, [this] { resume(); }};
};

}  // namespace hv
