#include "gui/date_box.h"

#include "core/locale_text.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace hv {

namespace {

constexpr int kGap = 4;

}  // namespace

DateBox::DateBox(QWidget* parent, Empty empty, WrongText wrongText)
    : QLineEdit(parent), m_empty(empty), m_wrongText(wrongText)
{
    m_weekday = new QLabel(this);
    m_weekday->setObjectName(QStringLiteral("Weekday"));
    m_weekday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_weekday->setForegroundRole(QPalette::PlaceholderText);
    m_weekday->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_calendarButton = new QToolButton(this);
    m_calendarButton->setObjectName(QStringLiteral("Calendar"));
    m_calendarButton->setAccessibleName(QStringLiteral("Calendar"));
    m_calendarButton->setArrowType(Qt::DownArrow);
    m_calendarButton->setAutoRaise(true);
    m_calendarButton->setFocusPolicy(Qt::NoFocus);
    m_calendarButton->setCursor(Qt::ArrowCursor);
    connect(m_calendarButton, &QToolButton::clicked, this, &DateBox::openCalendar);

    connect(this, &QLineEdit::textChanged, this, &DateBox::showWeekday);
    connect(this, &QLineEdit::editingFinished, this, &DateBox::commit);
    placeParts();
}

QDate DateBox::date() const
{
    if (text() == m_dateText)
        return m_date;
    return text::textToTypedDate(text()).value_or(QDate());
}

void DateBox::setDate(const QDate& date)
{
    const QDate shown = date.isValid() ? date : QDate();
    const bool changed = shown != m_date;
    m_date = shown;
    m_dateText = shown.isValid() ? text::dateToText(shown) : QString();
    setText(m_dateText);
    if (changed)
        Q_EMIT dateChanged(m_date);
}

QString DateBox::weekday() const
{
    return m_weekday->text();
}

void DateBox::commit()
{
    if (text() == m_dateText)
        return;
    const QDate typed = date();
    if (typed.isValid() || (text().trimmed().isEmpty() && m_empty == Empty::Allowed))
        setDate(typed);
    else if (m_wrongText == WrongText::Reverted)
        setDate(m_date);
}

void DateBox::showWeekday()
{
    const QDate shown = date();
    m_weekday->setText(shown.isValid() ? QLocale().dayName(shown.dayOfWeek()) : QString());
}

int DateBox::weekdayWidth() const
{
    int widest = 0;
    for (int day = 1; day <= 7; ++day)
        widest = std::max(widest, m_weekday->fontMetrics().horizontalAdvance(QLocale().dayName(day)));
    return widest;
}

void DateBox::placeParts()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int inner = std::max(0, height() - 2 * frame);
    const int buttonWidth = std::max(inner, 16);
    const int labelWidth = weekdayWidth();
    m_calendarButton->setGeometry(width() - frame - buttonWidth, frame, buttonWidth, inner);
    m_weekday->setGeometry(m_calendarButton->x() - kGap - labelWidth, frame, labelWidth, inner);
    setTextMargins(0, 0, buttonWidth + labelWidth + 2 * kGap, 0);
}

void DateBox::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeParts();
}

QSize DateBox::sizeHint() const
{
    // Room for the widest date (every digit 0 is the widest in most fonts)
    // besides the weekday and the button, which the text margins hold.
    const QSize base = QLineEdit::sizeHint();
    const int dateWidth = fontMetrics().horizontalAdvance(text::dateToText(QDate(2000, 12, 28))) + 2 * kGap;
    const QMargins margins = textMargins();
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 4;
    return {dateWidth + margins.left() + margins.right() + frame, base.height()};
}

QSize DateBox::minimumSizeHint() const
{
    return sizeHint();
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F4
        || (event->key() == Qt::Key_Down && event->modifiers().testFlag(Qt::AltModifier))) {
        openCalendar();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DateBox::openCalendar()
{
    if (!m_popup) {
        m_popup = new QWidget(this, Qt::Popup);
        m_popup->setObjectName(QStringLiteral("CalendarPopup"));
        auto* layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(0, 0, 0, 0);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(QStringLiteral("CalendarChoice"));
        m_calendar->setDateRange(text::firstTypedDate(), text::lastTypedDate());
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate& chosen) {
            m_popup->hide();
            setDate(chosen);
            setFocus();
        });
        connect(m_calendar, &QCalendarWidget::clicked, m_calendar, &QCalendarWidget::activated);
    }
    const QDate shown = date();
    m_calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus();
}

}  // namespace hv
