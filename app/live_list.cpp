#include "app/live_list.h"

#include "app/work_hours_model.h"
#include "entries/entry_list.h"
#include "gui/ui_seam.h"

#include <QEvent>
#include <QWidget>

namespace hv {

namespace {

// How long a burst of changes is gathered into one refill.
constexpr int kGatherMs = 150;

}  // namespace

LiveList::LiveList(QWidget& window, entries::EntryList& list, WorkHoursModel& model,
                   std::function<void()> completeFill)
    : QObject(&window), m_list(list), m_model(model), m_completeFill(std::move(completeFill))
{
    m_gather.setSingleShot(true);
    connect(&m_gather, &QTimer::timeout, this, &LiveList::refill);
    connect(&m_watch, &DatabaseWatch::changed, this, &LiveList::heard);
    window.installEventFilter(this);
}

bool LiveList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_watch.check();
    return QObject::eventFilter(watched, event);
}

void LiveList::heard()
{
    if (!m_gather.isActive() && !m_waitingForModals)
        m_gather.start(kGatherMs);
}

void LiveList::refill()
{
    if (UiSeam::openModals() > 0) {
        if (!m_waitingForModals) {
            m_waitingForModals = true;
            UiSeam::afterModals(this, [this] {
                m_waitingForModals = false;
                refill();
            });
        }
        return;
    }
    const qint64 current = m_list.selectedPosition() > 0 ? m_list.selectedText(0).toLongLong() : 0;
    m_list.ListData();
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
