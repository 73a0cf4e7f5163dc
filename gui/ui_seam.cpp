#include "gui/ui_seam.h"

#include "core/app_config.h"
#include "gui/fitted_message_box.h"
#include "core/message_text.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <utility>
#include <vector>

namespace hv {

namespace {

struct SeamState {
    UiSeam::MessageHandler messageHandler;
    UiSeam::ModalHandler modalHandler;
    UiSeam::PasswordHandler passwordHandler;
    UiSeam::FileHandler fileHandler;
    UiSeam::ProgressHandler progressHandler;
    QString applicationTitle = config::kProductName;
    int openModals = 0;
    // What waits for the last modal to close, with the object it belongs to.
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> afterModals;
};

SeamState& state()
{
    static SeamState seam;
    return seam;
}

}  // namespace

// When the last modal window closes, what waited for that goes to the event loop.
UiSeam::OpenModal::OpenModal()
{
    ++state().openModals;
}

UiSeam::OpenModal::~OpenModal()
{
    if (--state().openModals > 0)
        return;
    auto waiting = std::exchange(state().afterModals, {});
    for (auto& [context, action] : waiting) {
        if (context)
            QTimer::singleShot(0, context.data(), std::move(action));
    }
}

QMessageBox::StandardButton UiSeam::message(QWidget* parent, const MessageRequest& request)
{
    const OpenModal open;
    if (state().messageHandler) {
        MessageRequest shown = request;
        shown.text = message_text::shortened(request.text);
        return state().messageHandler(shown);
    }

    FittedMessageBox box(request, parent ? parent : QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton UiSeam::tell(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons)
{
    return message(parent, {text, applicationTitle(), QMessageBox::NoIcon, buttons});
}

bool UiSeam::confirm(QWidget* parent, const QString& question)
{
    return message(parent, {question, applicationTitle(), QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No})
        == QMessageBox::Yes;
}

int UiSeam::showModal(QDialog& dialog)
{
    const OpenModal open;
    if (state().modalHandler)
        return state().modalHandler(dialog);
    return dialog.exec();
}

std::optional<QString> UiSeam::askPassword(QWidget* parent, const PasswordRequest& request)
{
    const OpenModal open;
    if (state().passwordHandler)
        return state().passwordHandler(request);
    bool ok = false;
    const QString password =
        QInputDialog::getText(parent ? parent : QApplication::activeWindow(), request.title,
                              message_text::shortened(request.text),
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

std::optional<QString> UiSeam::askFile(QWidget* parent, const FileRequest& request)
{
    const OpenModal open;
    if (state().fileHandler)
        return state().fileHandler(request);
    QWidget* owner = parent ? parent : QApplication::activeWindow();
    const QString file = request.purpose == FileRequest::Save
        ? QFileDialog::getSaveFileName(owner, request.title, request.directory, request.filter)
        : QFileDialog::getOpenFileName(owner, request.title, request.directory, request.filter);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

int UiSeam::openModals()
{
    return state().openModals;
}

void UiSeam::afterModals(QObject* context, std::function<void()> action)
{
    if (state().openModals > 0)
        state().afterModals.emplace_back(context, std::move(action));
    else
        QTimer::singleShot(0, context, std::move(action));
}

QString UiSeam::applicationTitle()
{
    return state().applicationTitle;
}

void UiSeam::setApplicationTitle(const QString& title)
{
    state().applicationTitle = title;
}

void UiSeam::setMessageHandler(MessageHandler handler)
{
    state().messageHandler = std::move(handler);
}

void UiSeam::setModalHandler(ModalHandler handler)
{
    state().modalHandler = std::move(handler);
}

void UiSeam::setPasswordHandler(PasswordHandler handler)
{
    state().passwordHandler = std::move(handler);
}

void UiSeam::setFileHandler(FileHandler handler)
{
    state().fileHandler = std::move(handler);
}

void UiSeam::setProgressHandler(ProgressHandler handler)
{
    state().progressHandler = std::move(handler);
}

const UiSeam::ProgressHandler& UiSeam::progressHandler()
{
    return state().progressHandler;
}

}  // namespace hv
