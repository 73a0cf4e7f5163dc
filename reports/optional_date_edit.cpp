#include "reports/optional_date_edit.h"

#include "core/locale_text.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>

namespace hv::reports {

OptionalDateEdit::OptionalDateEdit(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(text::shortDateFormat());
    setMinimumDate(emptyDate());
    setSpecialValueText(QStringLiteral(" "));
    setDate(emptyDate());
    calendarWidget()->installEventFilter(this);
    connect(this, &QDateEdit::dateChanged, this, [this] { Q_EMIT valueChanged(value()); });
}

QDate OptionalDateEdit::value() const
{
    return date() == emptyDate() ? QDate() : date();
}

void OptionalDateEdit::setValue(const QDate& date)
{
    setDate(date.isValid() && date > emptyDate() ? date : emptyDate());
}

void OptionalDateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool erase = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
    if (erase && (lineEdit()->selectedText() == lineEdit()->text() || value().isNull())) {
        setValue(QDate());
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

bool OptionalDateEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == calendarWidget() && event->type() == QEvent::Show && value().isNull()) {
        const QDate today = QDate::currentDate();
        calendarWidget()->setCurrentPage(today.year(), today.month());
    }
    return QDateEdit::eventFilter(watched, event);
}

}  // namespace hv::reports
