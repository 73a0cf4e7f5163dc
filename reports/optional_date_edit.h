#pragma once

#include <QDate>
#include <QDateEdit>

namespace hv::reports {

// A date box with a calendar that may also be empty: empty shows nothing and
// stands for "no date". Delete or Backspace with the whole text selected
// empties it; the calendar of an empty box opens on today's month.
class OptionalDateEdit : public QDateEdit {
    Q_OBJECT

public:
    explicit OptionalDateEdit(QWidget* parent = nullptr);

    // The date, or a null date when the box is empty.
    QDate value() const;
    void setValue(const QDate& date);

Q_SIGNALS:
    void valueChanged(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The date the empty box holds: the first day a date box accepts at all
    // (an earlier minimum is ignored), which therefore cannot be chosen
    // itself; an open end of a period includes it all the same.
    static QDate emptyDate() { return QDate(100, 1, 1); }
};

}  // namespace hv::reports
