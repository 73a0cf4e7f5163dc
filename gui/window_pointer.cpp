#include "gui/window_pointer.h"

#include <algorithm>

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace hv {

WindowPointer::WindowPointer(QWidget& window) : QObject(&window), m_window(window) {}

void WindowPointer::set(int value)
{
    m_value = value;
    if (value == Hourglass)
        m_window.setCursor(Qt::WaitCursor);
    else if (value == Custom && m_image)
        m_window.setCursor(*m_image);
    else
        m_window.unsetCursor();
}

void WindowPointer::setImage(const QCursor& image)
{
    m_image = image;
    if (m_value == Custom)
        set(Custom);
}

void WindowPointer::handOn(QWidget* button)
{
    button->setMouseTracking(true);
    button->installEventFilter(this);
    m_handOn.append(button);
}

void WindowPointer::resetOn(QWidget* area)
{
    // A list takes its moves on its viewport.
    QWidget* surface = area;
    if (auto* scrollArea = qobject_cast<QAbstractScrollArea*>(area))
        surface = scrollArea->viewport();
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    m_resetOn.append(surface);
}

bool WindowPointer::resetsOn(const QWidget* area) const
{
    return std::any_of(m_resetOn.begin(), m_resetOn.end(), [&](const QPointer<QWidget>& w) { return w == area; });
}

bool WindowPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove || m_value == Hourglass)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && m_handOn.contains(widget)) {
        set(Custom);
    } else if (widget && m_resetOn.contains(widget)) {
        // A move a control on this surface passed up belongs to that control.
        const auto* move = static_cast<QMouseEvent*>(event);
        const bool ownSurface = qobject_cast<QAbstractScrollArea*>(widget->parentWidget())
                                || !widget->childAt(move->position().toPoint());
        if (ownSurface)
            set(Default);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace hv
