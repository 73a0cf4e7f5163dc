#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// Conversions of the values an old-format file holds into the kinds this
// program stores: dates as ISO 8601 text, numbers as doubles.
namespace hv::import::values {

// The old engine keeps a date and time as a number of days since 30 December
// 1899, the time of day as the fraction (for dates before that day the whole
// part counts back and the fraction still counts forward). The result is
// "yyyy-MM-dd", or "yyyy-MM-ddTHH:mm:ss" when there is a time of day (rounded
// to the second). Nothing for a value that is not a date of the years 100 to
// 9999 (the old engine's own range).
std::optional<QString> dateText(double days);

// A single-precision number as the double of the same decimal digits, so
// that 0.1 stays 0.1 (and not 0.100000001490116).
double singleToDouble(float value);

// A decimal number written as text with a point (the library's rendering of
// currency and exact numeric values). Nothing when it is not a number.
std::optional<double> decimalText(QByteArrayView text);

}  // namespace hv::import::values
