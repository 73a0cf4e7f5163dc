#include "app/work_hours_view.h"

#include "app/work_hours_model.h"

#include <QPainter>

namespace hv {

namespace {

const QString kEmptyListHint = QStringLiteral(
    "The list is empty.\n"
    "To begin, press \"Add New Work\" and add an employee and a work code with the \"+\" beside each.\n"
    "To bring in an old database, choose File > Import Old Database...");

}  // namespace

WorkHoursView::WorkHoursView(QWidget* parent)
    : QTreeView(parent)
{
}

QString WorkHoursView::hint() const
{
    const auto* list = qobject_cast<const WorkHoursModel*>(model());
    return list && list->rowCount() == 0 && !list->filter() ? kEmptyListHint : QString();
}

void WorkHoursView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    const QString shown = hint();
    if (shown.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = fontMetrics().height();
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, shown);
}

}  // namespace hv
