#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QObject;
class QWidget;

namespace hv {

// One message box as the program asks for it.
struct MessageRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // The button Enter presses; none leaves the choice to the platform.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// One password the program asks for: the box's text and title.
struct PasswordRequest {
    QString text;
    QString title;
};

// One file the program asks the user to choose: to read an existing one, or
// to write a new one (whose replacing is confirmed in the box).
struct FileRequest {
    enum Purpose { Open, Save };
    Purpose purpose = Open;
    QString title;
    QString filter;     // "CSV files (*.csv)"; empty for all files
    QString directory;  // where the box starts; empty for the current folder
};

// How far long work the user waits for has come: its caption, the steps
// done and the steps there are.
struct ProgressRequest {
    QString caption;
    qint64 done = 0;
    qint64 total = 0;
};

// The one way the program shows a message box or a modal window. By default
// it shows them for real; a test installs handlers that record each request
// and answer it, so a whole window can be driven without a person.
class UiSeam {
public:
    using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;
    using ModalHandler = std::function<int(QDialog&)>;
    using PasswordHandler = std::function<std::optional<QString>(const PasswordRequest&)>;
    using FileHandler = std::function<std::optional<QString>(const FileRequest&)>;
    // Answers whether the work goes on (false: the user cancelled).
    using ProgressHandler = std::function<bool(const ProgressRequest&)>;

    // Shows the box and returns the button pressed. Line breaks may be written
    // as CR, LF or CR LF; each shows as one line break. A long text is shown
    // shortened (message_text::shortened, and further when even that would
    // not fit the screen); the box always fits the screen, buttons included.
    // A test's handler receives the request with the text shortened.
    static QMessageBox::StandardButton message(QWidget* parent, const MessageRequest& request);

    // A box with no icon of its own, titled with the application title.
    static QMessageBox::StandardButton tell(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // A question like tell's with Yes and No, No the default so that Enter
    // keeps what is; true when the answer is Yes.
    static bool confirm(QWidget* parent, const QString& question);

    // Shows the window modally and returns when it has closed.
    static int showModal(QDialog& dialog);

    // Asks for a password in a box that hides what is typed; nothing when the
    // user cancels.
    static std::optional<QString> askPassword(QWidget* parent, const PasswordRequest& request);

    // Asks for a file in the platform's file box; nothing when the user cancels.
    static std::optional<QString> askFile(QWidget* parent, const FileRequest& request);

    // How many of the program's modal windows and boxes are open now (a
    // test's handler counts as open while it answers).
    static int openModals();
    // Counts a modal window as open for its life: those shown here, and the
    // progress window of long work (which lets the event loop run).
    class OpenModal {
    public:
        OpenModal();
        ~OpenModal();
        OpenModal(const OpenModal&) = delete;
        OpenModal& operator=(const OpenModal&) = delete;
    };
    // Runs `action` from the event loop, for as long as `context` lives,
    // once no modal window or box is open: after the last one closes, or
    // at the loop's next turn when none is open.
    static void afterModals(QObject* context, std::function<void()> action);

    // The title of message boxes that name no caption of their own.
    static QString applicationTitle();
    static void setApplicationTitle(const QString& title);

    // Replaces the real boxes and modal shows; an empty handler restores them.
    static void setMessageHandler(MessageHandler handler);
    static void setModalHandler(ModalHandler handler);
    static void setPasswordHandler(PasswordHandler handler);
    static void setFileHandler(FileHandler handler);
    // Replaces the progress window of long work (WorkProgress): the handler
    // is asked at its first step, now and then, and at its last.
    static void setProgressHandler(ProgressHandler handler);
    static const ProgressHandler& progressHandler();
};

}  // namespace hv
