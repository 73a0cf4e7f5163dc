#include "gui/busy_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace hv {

BusyPointer::BusyPointer() : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
{
    if (m_shown)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace hv
