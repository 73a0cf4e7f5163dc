#pragma once

#include "gui/date_box.h"

#include <QDate>

namespace hv::reports {

// A date box of a report's period that may also be empty: empty stands for
// "no date", and a text that is no date goes back to the date held when the
// typing ends.
class OptionalDateEdit : public DateBox {
    Q_OBJECT

public:
    explicit OptionalDateEdit(QWidget* parent = nullptr);

    // The date, or a null date when the box is empty.
    QDate value() const { return date(); }
    void setValue(const QDate& date) { setDate(date); }

Q_SIGNALS:
    void valueChanged(const QDate& date);
};

}  // namespace hv::reports
