#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;
class QLabel;
class QToolButton;

namespace hv {

// A box for a date as people type it: the short date format whole, with or
// without leading zeros, ISO "2026-11-30" or the digits alone, typed over
// whatever is selected; the weekday of the date typed beside it and a
// calendar button (also Alt+Down or F4). When the typing ends the text is
// written again in the short date format, so what the box shows is the date
// it holds; a text that is no date stays as typed and holds no date.
class DateBox : public QLineEdit {
    Q_OBJECT

public:
    // Whether an empty box is a choice of its own ("no date") and what
    // becomes of a text that is no date when the typing ends.
    enum class Empty { Refused, Allowed };
    enum class WrongText { Kept, Reverted };

    explicit DateBox(QWidget* parent = nullptr, Empty empty = Empty::Refused,
                     WrongText wrongText = WrongText::Kept);

    // The date the text stands for: a date set is held as set, even one
    // outside the years a user may type; a null date when the box is empty
    // or its text is not a date.
    QDate date() const;
    // Shows the date (a null date empties the box).
    void setDate(const QDate& date);
    // The weekday shown beside the date: empty when the text is not a date.
    QString weekday() const;
    // Ends the typing: a date typed is written again in the short date format.
    void commit();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The date held changed: set, chosen in the calendar or typed and committed.
    void dateChanged(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void openCalendar();
    void showWeekday();
    void placeParts();
    int weekdayWidth() const;

    Empty m_empty;
    WrongText m_wrongText;
    QDate m_date;       // the date last set or committed
    QString m_dateText; // the text written for it
    QLabel* m_weekday = nullptr;
    QToolButton* m_calendarButton = nullptr;
    QWidget* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
};

}  // namespace hv
