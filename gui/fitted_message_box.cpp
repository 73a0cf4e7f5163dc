#include "gui/fitted_message_box.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace hv {

namespace {

// The label in which the message box shows its text.
QLabel* ownLabel(const QMessageBox& box)
{
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"), Qt::FindDirectChildrenOnly);
}

}  // namespace

FittedMessageBox::FittedMessageBox(const MessageRequest& request, QWidget* parent)
    : QMessageBox(request.icon, request.title, QString(), request.buttons, parent),
      m_text(request.text),
      m_label(new WrappingLabel(this))
{
    setTextFormat(Qt::PlainText);
    if (request.defaultButton != QMessageBox::NoButton)
        setDefaultButton(request.defaultButton);
    placeLabel();
    showShortened();
}

void FittedMessageBox::changeEvent(QEvent* event)
{
    QMessageBox::changeEvent(event);
    // A change of style lays the box out anew, with its own label.
    if (event->type() == QEvent::StyleChange)
        placeLabel();
}

void FittedMessageBox::placeLabel()
{
    QLabel* own = ownLabel(*this);
    if (own && layout() && layout()->indexOf(m_label) < 0)
        m_label->takePlaceOf(*own);
}

void FittedMessageBox::showEvent(QShowEvent* event)
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
        showShortened();
    }
    keepWithin(area);
}

void FittedMessageBox::showShortened()
{
    // The label first: the box sizes itself to it as its text is set.
    const QString shown = message_text::shortened(m_text, m_limits);
    m_label->setText(shown);
    setText(shown);
}

QSize FittedMessageBox::outerSize() const
{
    const QRect frame = frameGeometry();
    if (frame.size() != size())
        return frame.size();
    return size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

bool FittedMessageBox::fits(const QRect& area) const
{
    const QSize outer = outerSize();
    return outer.width() <= area.width() && outer.height() <= area.height();
}

void FittedMessageBox::keepWithin(const QRect& area)
{
    // pos() is the place of the frame's top-left corner.
    const QSize outer = outerSize();
    const QPoint topLeft(std::clamp(pos().x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
                         std::clamp(pos().y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (topLeft != pos())
        move(topLeft);
}

}  // namespace hv
