#include "app/live_list.h"

#include "app/work_hours_model.h"
#include "entries/entry_list.h"
#include "data/connection.h"
#include "gui/shared_connection.h"

#include <QEvent>
#include <QWidget>

namespace hv {

namespace {

// How long a burst of changes is gathered into one refill.
constexpr int kGatherMs = 150;
// How often the connection is looked at, and how soon a refill that could not
// read the database is tried again.
constexpr int kLookMs = 1000;
constexpr int kRetryMs = 5000;

}  // namespace

LiveList::LiveList(QWidget& window, entries::EntryList& list, WorkHoursModel& model,
                   std::function<void()> completeFill, std::function<bool()> refillShown)
    : QObject(&window), m_window(window), m_list(list), m_model(model), m_completeFill(std::move(completeFill)),
      m_refillShown(std::move(refillShown)), m_readAt(QTime::currentTime())
{
    m_gather.setSingleShot(true);
    connect(&m_gather, &QTimer::timeout, this, &LiveList::refill);
    connect(&m_watch, &DatabaseWatch::changed, this, &LiveList::heard);
    connect(&m_lookAtConnection, &QTimer::timeout, this, &LiveList::lookAtConnection);
    m_lookAtConnection.start(kLookMs);
    window.installEventFilter(this);
}

QString LiveList::unreachedNote()
{
    return QStringLiteral(" - no connection to the server: others' changes show once it answers again");
}

QString LiveList::staleNote(const QTime& readAt)
{
    return QStringLiteral(" - the list could not be read again: it shows the entries as they were at %1")
        .arg(readAt.toString(QStringLiteral("HH:mm")));
}

bool LiveList::serverUnreached()
{
    if (!SharedConnection::isSet())
        return false;
    const data::Connection& connection = SharedConnection::current();
    return connection.state() == data::Connection::StateOpen && connection.isServer() && connection.changeSocket() < 0;
}

void LiveList::lookAtConnection()
{
    if (serverUnreached())
        showNote(unreachedNote());
    else if (m_note == unreachedNote())
        showNote({});  // connected again: the refill that follows tells how it went
}

void LiveList::showNote(const QString& note)
{
    if (note == m_note)
        return;
    QString title = m_window.windowTitle();
    if (!m_note.isEmpty() && title.endsWith(m_note))
        title.chop(m_note.size());
    m_note = note;
    m_window.setWindowTitle(title + m_note);
}

bool LiveList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_watch.check();
    return QObject::eventFilter(watched, event);
}

void LiveList::heard()
{
    if (!m_gather.isActive() && !m_hold.holding())
        m_gather.start(kGatherMs);
}

void LiveList::refill()
{
    if (!m_hold.mayRun())
        return;
    // A server that cannot be reached is not read: the rows shown stay,
    // and the connection made again refills them.
    if (serverUnreached()) {
        showNote(unreachedNote());
        return;
    }
    const qint64 current = m_list.selectedPosition() > 0 ? m_list.selectedText(0).toLongLong() : 0;
    if (!m_refillShown()) {
        showNote(staleNote(m_readAt));
        m_gather.start(kRetryMs);
        return;
    }
    m_readAt = QTime::currentTime();
    showNote({});
    // Notices that came in with the refill's own answer are heard at once.
    QTimer::singleShot(0, &m_watch, &DatabaseWatch::check);
    if (current == 0)
        return;
    int row = m_model.displayRowOfId(current);
    if (row < 0 && m_completeFill) {
        // Beyond the rows read so far, perhaps: the rest is read first
        // (nothing, when the list is read whole).
        m_completeFill();
        row = m_model.displayRowOfId(current);
    }
    if (row >= 0)
        m_list.selectPosition(row + 1);
}

}  // namespace hv
