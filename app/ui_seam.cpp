#include "app/ui_seam.h"

#include "app/app_config.h"
#include "app/message_text.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace hv {

namespace {

struct SeamState {
    UiSeam::MessageHandler messageHandler;
    UiSeam::ModalHandler modalHandler;
    UiSeam::PasswordHandler passwordHandler;
    QString applicationTitle = config::kProductName;
};

SeamState& state()
{
    static SeamState seam;
    return seam;
}

// The box shows each CR LF, lone CR or lone LF as one line break, and may
// wrap a long word rather than grow past the screen.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return message_text::withBreakOpportunities(text);
}

// A message box that fits the screen it opens on: when its text makes it
// taller or wider than the screen's free area, the text is shortened further
// until the box fits, and the box is moved so that all of it, buttons
// included, lies on the screen.
class FittedMessageBox : public QMessageBox {
public:
    FittedMessageBox(const MessageRequest& request, QWidget* parent)
        : QMessageBox(request.icon, request.title, QString(), request.buttons, parent), m_text(request.text)
    {
        setTextFormat(Qt::PlainText);
        setText(displayText(message_text::shortened(m_text, m_limits)));
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);  // sizes the box to its text
        const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
        if (!shown)
            return;
        const QRect area = shown->availableGeometry();
        while (!fits(area) && m_limits.lines > 3) {
            m_limits.lines = std::max(3, m_limits.lines / 2);
            m_limits.length = std::max(120, m_limits.length / 2);
            m_limits.lineLength = std::max(60, m_limits.lineLength / 2);
            setText(displayText(message_text::shortened(m_text, m_limits)));
        }
        keepWithin(area);
    }

private:
    // The frame around the box is known only once the window system has
    // placed it; until then a title bar is allowed for.
    QSize frameSize() const
    {
        const QRect frame = frameGeometry();
        if (frame.size() != size())
            return frame.size();
        return size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }

    bool fits(const QRect& area) const
    {
        const QSize frame = frameSize();
        return frame.width() <= area.width() && frame.height() <= area.height();
    }

    void keepWithin(const QRect& area)
    {
        // pos() is the place of the frame's top-left corner.
        const QSize frame = frameSize();
        const QPoint topLeft(std::clamp(pos().x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
                             std::clamp(pos().y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
        if (topLeft != pos())
            move(topLeft);
    }

    QString m_text;
    message_text::Limits m_limits;
};

}  // namespace

QMessageBox::StandardButton UiSeam::message(QWidget* parent, const MessageRequest& request)
{
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

int UiSeam::showModal(QDialog& dialog)
{
    if (state().modalHandler)
        return state().modalHandler(dialog);
    return dialog.exec();
}

std::optional<QString> UiSeam::askPassword(QWidget* parent, const PasswordRequest& request)
{
    if (state().passwordHandler)
        return state().passwordHandler(request);
    bool ok = false;
    const QString password =
        QInputDialog::getText(parent ? parent : QApplication::activeWindow(), request.title, displayText(request.text),
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
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

}  // namespace hv
