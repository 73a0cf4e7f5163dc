#pragma once

#include "gui/database_watch.h"
#include "gui/modal_hold.h"

#include <QObject>
#include <QString>
#include <QTime>
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
// activation asks the database at once. A refill that cannot read the
// database keeps the rows shown, and so does a server the program cannot
// reach (until the connection is made again, which refills): the window's
// title says so meanwhile.
class LiveList : public QObject {
    Q_OBJECT

public:
    // completeFill reads the rest of a list still being read; refillShown
    // refills the list, or keeps the rows shown and returns false when the
    // database could not be read.
    LiveList(QWidget& window, entries::EntryList& list, WorkHoursModel& model, std::function<void()> completeFill,
             std::function<bool()> refillShown);

    DatabaseWatch& watch() { return m_watch; }

    // What the title adds while the list may be behind others' changes.
    static QString unreachedNote();
    static QString staleNote(const QTime& readAt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A change was heard: a few together make one refill.
    void heard();
    // Refills now, or once no modal is open.
    void refill();
    // Whether the database is on a server the program cannot reach now.
    static bool serverUnreached();
    // Looks whether the server can be reached, and says so.
    void lookAtConnection();
    // Shows `note` at the end of the window's title (none: the title alone).
    void showNote(const QString& note);

    QWidget& m_window;
    entries::EntryList& m_list;
    WorkHoursModel& m_model;
    std::function<void()> m_completeFill;
    std::function<bool()> m_refillShown;
    DatabaseWatch m_watch;
    QTimer m_gather;
    QTimer m_lookAtConnection;
    QString m_note;
    // When the rows shown were last read whole.
    QTime m_readAt;
    ModalHold m_hold{*this, [this] { refill(); }};
};

}  // namespace hv
