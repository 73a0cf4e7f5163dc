#include "support/widget_input.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace hv::test {

void press(QWidget& window, const QString& buttonName)
{
    auto* button = window.findChild<QPushButton*>(buttonName);
    ASSERT_NE(button, nullptr) << buttonName.toStdString();
    button->click();
}

void hover(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

QWidget* nextTabStop(QWidget* widget)
{
    // Skips controls the Tab key passes by, and inner parts that hand their
    // focus to the control they belong to (a date picker's text box, say).
    const auto isStop = [](QWidget* w) {
        return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->focusProxy();
    };
    QWidget* next = widget->nextInFocusChain();
    while (next != widget && !isStop(next))
        next = next->nextInFocusChain();
    return next;
}

}  // namespace hv::test
