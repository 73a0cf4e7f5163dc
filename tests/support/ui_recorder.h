#pragma once

#include "gui/ui_seam.h"

#include <QList>
#include <QMessageBox>
#include <deque>
#include <functional>
#include <optional>

class QDialog;

namespace hv::test {

// Records every message box and modal show while it lives, answers boxes from
// a queue (or with the box's safe answer: OK, else No) and runs a script for
// each modal window, so tests drive windows without a person.
class UiRecorder {
public:
    UiRecorder();
    ~UiRecorder();
    UiRecorder(const UiRecorder&) = delete;
    UiRecorder& operator=(const UiRecorder&) = delete;

    // The next boxes are answered with these buttons, in order.
    void answerNext(QMessageBox::StandardButton button);
    // The next box runs this before it is answered (what a person would do
    // while it is shown, such as close another program).
    void beforeNextAnswer(std::function<void()> action);

    // The next password boxes are answered with these (nothing: Cancel), in
    // order; a box with no answer queued is cancelled.
    void answerNextPassword(std::optional<QString> password);
    const QList<PasswordRequest>& passwordRequests() const { return m_passwordRequests; }

    // The next file boxes are answered with these (nothing: Cancel), in
    // order; a box with no answer queued is cancelled.
    void answerNextFile(std::optional<QString> file);
    const QList<FileRequest>& fileRequests() const { return m_fileRequests; }

    // The next modal window runs this script while shown; a window the script
    // leaves open is closed as its title-bar close button would.
    void onNextModal(std::function<void(QDialog&)> script);

    // Long work runs to its end unless told; the next one is stopped at its
    // first step past the start and short of the end, as "Cancel" pressed
    // midway would.
    void cancelNextWorkMidway() { m_cancelMidway = true; }
    // How far long work said it had come, each time it said so.
    const QList<ProgressRequest>& progressRequests() const { return m_progressRequests; }

    const QList<MessageRequest>& messages() const { return m_messages; }
    // The texts of the boxes titled "Application Error".
    QStringList errorReports() const;
    int modalShows() const { return m_modalShows; }
    void clear();

private:
    QList<MessageRequest> m_messages;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<std::function<void()>> m_actions;
    QList<PasswordRequest> m_passwordRequests;
    std::deque<std::optional<QString>> m_passwords;
    QList<FileRequest> m_fileRequests;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::function<void(QDialog&)>> m_scripts;
    QList<ProgressRequest> m_progressRequests;
    bool m_cancelMidway = false;
    int m_modalShows = 0;
};

}  // namespace hv::test
