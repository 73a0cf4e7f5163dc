#pragma once

#include <QDateTime>
#include <QString>

namespace hv::reports {

// One value of an exported table with its kind, so that each file format
// writes it its own way: a CSV file as text, a spreadsheet as a number, a
// date or a text cell.
struct SheetCell {
    enum Kind { Empty, Text, Number, Date };
    Kind kind = Empty;
    // The value as a text file carries it: the text itself, a number with a
    // decimal point and every digit, a date in ISO 8601.
    QString text;
    double number = 0;  // a number's value
    QDateTime when;     // a date's day, and its time of day when it has one

    static SheetCell ofText(const QString& text) { return {Text, text, 0, {}}; }
    static SheetCell ofNumber(double value, const QString& exact) { return {Number, exact, value, {}}; }
    static SheetCell ofDate(const QDateTime& when)
    {
        const QString day = when.date().toString(Qt::ISODate);
        return {Date, when.time() == QTime(0, 0) ? day : day + QLatin1Char('T') + when.time().toString(Qt::ISODate), 0,
                when};
    }
};

}  // namespace hv::reports
