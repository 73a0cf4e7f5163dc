#pragma once

#include "gui/database_watch.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace hv {

namespace entries {
class EntryList;
}

class WorkHoursModel;

// Keeps the main window's list up to date with what others change in the
// database (DatabaseWatch): a change heard of refills the list within a
// second through its one refill (ListData), with the entry that was current
// current again where it still exists (otherwise the refill's own current
// row, after the rest of a long list is read when it lies beyond the rows
// read so far) and the sort as it was. Never while a modal window or box of the
// program is open: then as soon as the last one closes. The window's
// activation asks the database at once.
class LiveList : public QObject {
    Q_OBJECT

public:
    // completeFill reads the rest of a list still being read.
    LiveList(QWidget& window, entries::EntryList& list, WorkHoursModel& model, std::function<void()> completeFill);

    DatabaseWatch& watch() { return m_watch; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A change was heard: a few together make one refill.
    void heard();
    // Refills now, or once no modal is open.
    void refill();

    entries::EntryList& m_list;
    WorkHoursModel& m_model;
    std::function<void()> m_completeFill;
    DatabaseWatch m_watch;
    QTimer m_gather;
    bool m_waitingForModals = false;
};

}  // namespace hv
