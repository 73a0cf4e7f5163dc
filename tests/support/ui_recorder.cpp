#include "support/ui_recorder.h"

#include <QDialog>

namespace hv::test {

UiRecorder::UiRecorder()
{
    UiSeam::setMessageHandler([this](const MessageRequest& request) {
        m_messages.append(request);
        if (!m_actions.empty()) {
            const auto action = std::move(m_actions.front());
            m_actions.pop_front();
            action();
        }
        if (!m_answers.empty()) {
            const auto answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return (request.buttons & QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
    });
    UiSeam::setPasswordHandler([this](const PasswordRequest& request) {
        m_passwordRequests.append(request);
        std::optional<QString> answer;
        if (!m_passwords.empty()) {
            answer = m_passwords.front();
            m_passwords.pop_front();
        }
        return answer;
    });
    UiSeam::setFileHandler([this](const FileRequest& request) {
        m_fileRequests.append(request);
        std::optional<QString> answer;
        if (!m_files.empty()) {
            answer = m_files.front();
            m_files.pop_front();
        }
        return answer;
    });
    UiSeam::setProgressHandler([this](const ProgressRequest& request) {
        m_progressRequests.append(request);
        if (m_cancelMidway && request.done > 0 && request.done < request.total) {
            m_cancelMidway = false;
            return false;
        }
        return true;
    });
    UiSeam::setModalHandler([this](QDialog& dialog) {
        ++m_modalShows;
        dialog.setModal(true);
        dialog.show();
        if (!m_scripts.empty()) {
            auto script = std::move(m_scripts.front());
            m_scripts.pop_front();
            script(dialog);
        }
        if (dialog.isVisible())
            dialog.close();
        return dialog.result();
    });
}

UiRecorder::~UiRecorder()
{
    UiSeam::setMessageHandler({});
    UiSeam::setModalHandler({});
    UiSeam::setPasswordHandler({});
    UiSeam::setFileHandler({});
    UiSeam::setProgressHandler({});
}

void UiRecorder::answerNextFile(std::optional<QString> file)
{
    m_files.push_back(std::move(file));
}

void UiRecorder::answerNextPassword(std::optional<QString> password)
{
    m_passwords.push_back(std::move(password));
}

void UiRecorder::answerNext(QMessageBox::StandardButton button)
{
    m_answers.push_back(button);
}

void UiRecorder::beforeNextAnswer(std::function<void()> action)
{
    m_actions.push_back(std::move(action));
}

void UiRecorder::onNextModal(std::function<void(QDialog&)> script)
{
    m_scripts.push_back(std::move(script));
}

QStringList UiRecorder::errorReports() const
{
    QStringList texts;
    for (const MessageRequest& request : m_messages) {
        if (request.title == QStringLiteral("Application Error"))
            texts.append(request.text);
    }
    return texts;
}

void UiRecorder::clear()
{
    m_messages.clear();
    m_progressRequests.clear();
    m_modalShows = 0;
}

}  // namespace hv::test
