#pragma once

#include "core/work_steps.h"
#include "gui/ui_seam.h"

#include <QElapsedTimer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace hv {

// The progress of long work the user waits for, such as an export or a
// print: once the work has taken a moment, a window over `parent` shows
// how far it has come with a "Cancel" button, and the program's windows go
// on answering (painting, moving) between its steps. The work learns of a
// cancel at its next step (steps()), stops and leaves what it was making as
// it was. Until the work ends it counts as a modal window of the program,
// so nothing that waits for those (a refill of the list) runs between its
// steps. Tests answer through UiSeam's progress handler instead.
class WorkProgress {
public:
    WorkProgress(QWidget* parent, const QString& caption);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // What the work calls after each step.
    WorkSteps steps();
    bool cancelled() const { return m_cancelled; }

private:
    bool step(qint64 done, qint64 total);
    void showWindow();

    UiSeam::OpenModal m_open;
    QWidget* m_parent;
    QString m_caption;
    QElapsedTimer m_started;
    QElapsedTimer m_told;  // since how far the work has come was last told
    std::unique_ptr<QProgressDialog> m_window;
    bool m_pointerShown = false;  // the arrow over the hourglass while the window answers
    bool m_cancelled = false;
};

}  // namespace hv
