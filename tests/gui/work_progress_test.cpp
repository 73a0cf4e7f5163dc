#include "gui/work_progress.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

// The real window, not a recorded answer: work that goes on for more than
// a moment shows it over its window, lets the event loop run between its
// steps (what waits for the program's boxes waits meanwhile) and stops at
// the step after "Cancel" is pressed; once the work ends nothing waits.
TEST(WorkProgressWindow, ShowsAfterAMomentAnswersAndStopsAtCancel)
{
    QWidget owner;
    owner.show();
    bool answered = false;
    bool waited = false;
    QTimer::singleShot(0, &owner, [&] { answered = true; });
    QElapsedTimer clock;
    clock.start();
    qint64 done = 0;
    {
        WorkProgress progress(&owner, QStringLiteral("Writing the file..."));
        const WorkSteps steps = progress.steps();
        UiSeam::afterModals(&owner, [&] { waited = true; });
        QProgressDialog* window = nullptr;
        while (!window && clock.elapsed() < 5000) {
            ASSERT_TRUE(steps(++done, 1000000));
            window = owner.findChild<QProgressDialog*>(QStringLiteral("WorkProgress"));
        }
        ASSERT_NE(window, nullptr);
        EXPECT_GE(clock.elapsed(), 400);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->labelText(), QStringLiteral("Writing the file..."));
        EXPECT_TRUE(answered) << "the event loop did not run between the steps";
        EXPECT_FALSE(waited);

        window->findChild<QPushButton*>()->click();
        bool stopped = false;
        const qint64 pressedAt = clock.elapsed();
        while (!stopped && clock.elapsed() - pressedAt < 2000)
            stopped = !steps(++done, 1000000);
        EXPECT_TRUE(stopped);
        EXPECT_TRUE(progress.cancelled());
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(waited);
}

}  // namespace
}  // namespace hv::test
