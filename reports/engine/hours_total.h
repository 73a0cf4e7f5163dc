#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

namespace hv::reports {

// A whole number wide enough for any sum of hours in units of 10^-15.
__extension__ typedef __int128 HoursUnits;

// The hours a stored value stands for: a number, or a text that reads as
// one; nothing for an empty value or any other text.
std::optional<double> hoursOf(const QVariant& value);

// A sum of hours kept exactly in decimal: each value counts as the shortest
// decimal that reads back as the same number (what was typed), and the
// decimals are added without rounding, so 0.1 + 0.2 makes 0.3. Values are
// kept to 15 decimal places; a sum beyond the range of that (far beyond any
// real number of hours) falls back to adding binary numbers.
class HoursTotal {
public:
    void add(double hours);
    // Adds the same hours `times` times over, as exactly as one by one.
    void add(double hours, qint64 times);
    // Adds another total, as exactly as its hours one by one.
    void add(const HoursTotal& other);

    // The total as the nearest number.
    double value() const;

    // The total as a report shows a number: the locale's decimal separator,
    // no grouping, at most 15 significant digits, no trailing zeros.
    QString toText(const QLocale& locale = QLocale()) const;
    // The total with a decimal point and every digit, as files carry it.
    QString toPlainText() const;

private:
    // Every digit of the exact total, with '.' as its decimal point.
    QString exactText() const;

    HoursUnits m_units = 0;  // in units of 10^-15 hours
    double m_binary = 0;   // the same sum in binary, for the fall-back
    bool m_exact = true;
};

}  // namespace hv::reports
