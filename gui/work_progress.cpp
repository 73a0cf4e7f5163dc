#include "gui/work_progress.h"

#include "gui/ui_seam.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QProgressDialog>
#include <algorithm>

namespace hv {

namespace {

// How long the work runs before its window shows, and how often the window
// (or a test's handler) is told how far it has come.
constexpr int kShowAfterMs = 500;
constexpr int kTellEveryMs = 50;
// The window's bar counts in at most this many parts, whatever the steps.
constexpr qint64 kBarParts = 1000;

}  // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& caption) : m_parent(parent), m_caption(caption)
{
    m_started.start();
}

WorkProgress::~WorkProgress()
{
    if (m_pointerShown)
        QGuiApplication::restoreOverrideCursor();
}

WorkSteps WorkProgress::steps()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

void WorkProgress::showWindow()
{
    m_window = std::make_unique<QProgressDialog>(m_caption, QStringLiteral("Cancel"), 0, 0, m_parent);
    m_window->setObjectName(QStringLiteral("WorkProgress"));
    m_window->setWindowTitle(UiSeam::applicationTitle());
    // The window the work is for waits; the others go on as they were.
    m_window->setWindowModality(Qt::WindowModal);
    m_window->setAutoClose(false);
    m_window->setAutoReset(false);
    m_window->show();
    // The window answers, so the pointer over it is no hourglass.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    m_pointerShown = true;
}

bool WorkProgress::step(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    // Told at the first step, at the last, and every little while between.
    const bool last = total > 0 && done >= total;
    if (m_told.isValid() && !last && m_told.elapsed() < kTellEveryMs)
        return true;
    m_told.start();
    if (const UiSeam::ProgressHandler& handler = UiSeam::progressHandler()) {
        m_cancelled = !handler({m_caption, done, total});
        return !m_cancelled;
    }
    if (!m_window) {
        // Work done within a moment shows no window at all.
        if (m_started.elapsed() < kShowAfterMs || !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return true;
        showWindow();
    }
    const qint64 parts = total > 0 ? std::min(total, kBarParts) : 0;
    m_window->setMaximum(static_cast<int>(parts));
    m_window->setValue(parts > 0 ? static_cast<int>(done * parts / total) : 0);
    // Paints, moves and the press of "Cancel" are taken now; the window the
    // work is for takes no input while this one is up.
    QCoreApplication::processEvents();
    // Closed or escaped counts as cancelled.
    m_cancelled = m_window->wasCanceled() || !m_window->isVisible();
    return !m_cancelled;
}

}  // namespace hv
