#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace hv::test {

// Clicks the window's child push button with this object name.
void press(QWidget& window, const QString& buttonName);

// Sends the widget a mouse move to a point of its own (near its top-left
// corner by default), as the mouse passing over it would.
void hover(QWidget* widget, QPoint at = QPoint(3, 3));

// The next control the Tab key reaches after this one.
QWidget* nextTabStop(QWidget* widget);

}  // namespace hv::test
