#pragma once

#include "gui/database_watch.h"

#include <QObject>
#include <QTimer>

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
// row) and the sort as it was. Never while a modal window or box of the
// program is open: then as soon as the last one closes. The window's
// activation asks the database at once.
class LiveList : public QObject {
    Q_OBJECT

public:
    LiveList(QWidget& window, entries::EntryList& list, WorkHoursModel& model);

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
    DatabaseWatch m_watch;
    QTimer m_gather;
    bool m_waitingForModals = false;
};

}  // namespace hv
