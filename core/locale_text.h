#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <QString>
#include <QVariant>
#include <optional>

// Conversions between values and text under the user's regional settings:
// the one place that decides how a date, a number or a yes/no becomes text
// and how typed or stored text becomes a value again. Every function takes
// the locale to use; the default is the program's current locale (QLocale()).
namespace hv::text {

// The user's short date format, always with a four-digit year: a locale whose
// short format has a two-digit year ("M/d/yy", "dd.MM.yy") gets "yyyy" in its
// place, so a date written as text and read back keeps its century.
QString shortDateFormat(const QLocale& locale = QLocale());

// The dates the program can store: 1 January 100 to 31 December 9999.
inline QDate firstStorableDate() { return QDate(100, 1, 1); }
inline QDate lastStorableDate() { return QDate(9999, 12, 31); }

// A date as text in the short date format above.
QString dateToText(const QDate& date, const QLocale& locale = QLocale());

// A time of day as text in the locale's long time format, without a time zone.
QString timeToText(const QTime& time, const QLocale& locale = QLocale());

// A date, with its time of day when it has one, as text that textToDateTime
// reads back to exactly that value: the short date format followed by the
// time in the long time format, as valueToText writes it, or ISO 8601
// as stored ("2024-03-05T13:45:00") when the locale could not read its own
// text back.
QString dateTimeToText(const QDateTime& value, const QLocale& locale = QLocale());

// The stored form of a date: "yyyy-MM-dd", or "yyyy-MM-ddTHH:mm:ss" when the
// value carries a time of day.
QString dateTimeToStorageText(const QDateTime& value);

// A value "joined to empty text": a date in the short date format (followed by
// the time of day in the locale's long time format when the value carries one),
// a number in general format with the locale's decimal separator and no digit
// grouping, a yes/no as "True" or "False", text unchanged, Null as empty text.
QString valueToText(const QVariant& value, const QLocale& locale = QLocale());

// The locale-aware reading of a text as a number: blanks around the number
// are allowed, so are a sign and an exponent; the decimal separator is the
// locale's, and the plain form SQL reads ("7.5") is accepted as well. Digit
// grouping is refused, so "7,5" under a locale whose comma is a group
// separator is not a number (never 75), and a text the locale would read with
// grouping (its group separator followed by exactly three digits: "1.000" or
// "1.234,5" under de_DE) is not read the plain way either (never 1). Infinite
// and NaN results, hexadecimal and empty text are refused. Returns nothing
// when the text is not a number. Every reading of a number goes through here.
std::optional<double> textToNumber(const QString& text, const QLocale& locale = QLocale());

// The reading of typed hours: whole hours, a colon and two-digit minutes
// ("1:30", "0:45", "8:00"; minutes 00 to 59, hours not negative, ASCII
// digits, blanks around allowed) as hours and their fraction of an hour;
// any other text as textToNumber reads it.
std::optional<double> textToHours(const QString& text, const QLocale& locale = QLocale());

// A number as the plain text that SQL reads: '.' as the decimal separator,
// no grouping, no exponent for ordinary magnitudes, as few digits as round-trip.
QString numberToSqlText(double value);

// The reading of a date text: the user's short date format (four- or two-digit
// year), optionally followed by a time of day in the locale's long or short
// time format, or an ISO 8601 date ("2026-12-07", "2026-12-07T08:30:00").
// A two-digit year is read as 1930-2029. Years before 100 are refused. The
// result carries no time zone: it is marked Qt::UTC only so that no
// local-time shift (a daylight-saving gap) can change the time typed.
// Returns nothing when the text is not a date.
std::optional<QDateTime> textToDateTime(const QString& text, const QLocale& locale = QLocale());

// The dates a user may type: 1 January 1900 to 31 December 2100. A year
// outside them is a slip of the keyboard ("0912", "20026"), not a date.
inline QDate firstTypedDate() { return QDate(1900, 1, 1); }
inline QDate lastTypedDate() { return QDate(2100, 12, 31); }

// The reading of a date as a user types it into a date box: whatever
// textToDateTime reads as a day without a time of day, or the digits alone
// in the order of the short date format with two-digit day and month and a
// four- or two-digit year ("11302026" and "113026" under "M/d/yy",
// "20261130" under "yyyy-MM-dd"). Returns nothing when the text is not a
// date between firstTypedDate() and lastTypedDate().
std::optional<QDate> textToTypedDate(const QString& text, const QLocale& locale = QLocale());

// A text to quote in a message: itself when it has at most `length`
// characters, otherwise its beginning ended with "…" (`length` characters in
// all), never cutting a character written with two UTF-16 units in half.
QString excerpt(QStringView text, qsizetype length);

// The platform's conversions of a setting's text to a number: single precision
// and 16-bit whole number (rounded half to even). Text that is not a number
// raises "Type mismatch" (13); a number out of range raises "Overflow" (6).
float toSingle(const QString& text, const QLocale& locale = QLocale());
qint16 toInteger(const QString& text, const QLocale& locale = QLocale());

// The platform's conversion of a field's value to a 32-bit whole number
// (rounded half to even): Null raises "Invalid use of Null" (94), text that
// is not a number "Type mismatch" (13), a value out of range "Overflow" (6).
qint32 toLong(const QVariant& value, const QLocale& locale = QLocale());

// A number as the text the platform's standard conversion gives (general
// format, the locale's decimal separator, no grouping): 1200 -> "1200".
QString numberToText(double value, const QLocale& locale = QLocale());

}  // namespace hv::text
