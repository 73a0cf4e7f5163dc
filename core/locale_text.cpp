#include "core/locale_text.h"

#include "core/runtime_error.h"

#include <QStringList>
#include <QTime>
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cmath>

namespace hv::text {

namespace {

// Calls visit(letter, runLength, position) for every run of one pattern letter
// in a Qt date/time format, skipping text quoted with single quotes.
template <typename Visit>
void forEachPatternRun(const QString& format, Visit visit)
{
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            const qsizetype close = format.indexOf(u'\'', i + 1);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        visit(c, run, i);
        i += run;
    }
}

// The format with every run of `letter` whose length is in [minRun, maxRun]
// replaced by `replacement`.
QString replaceRuns(const QString& format, QChar letter, qsizetype minRun, qsizetype maxRun,
                    const QString& replacement)
{
    QString out;
    qsizetype copied = 0;
    forEachPatternRun(format, [&](QChar c, qsizetype run, qsizetype pos) {
        if (c != letter || run < minRun || run > maxRun)
            return;
        out += QStringView(format).mid(copied, pos - copied);
        out += replacement;
        copied = pos + run;
    });
    out += QStringView(format).mid(copied);
    return out;
}

bool hasTwoDigitYear(const QString& format)
{
    bool found = false;
    forEachPatternRun(format, [&](QChar c, qsizetype run, qsizetype) {
        if (c == u'y' && run < 4)
            found = true;
    });
    return found;
}

// A time format without its time-zone part: a stored time of day has no zone.
QString withoutTimeZone(const QString& format)
{
    return replaceRuns(format, u't', 1, 99, QString()).trimmed();
}

// Day and month numbers are read with one or two digits whatever the format
// asks for, so "7.12.2026" is read under "dd.MM.yyyy" as well.
QString lenientDateFormat(const QString& format)
{
    return replaceRuns(replaceRuns(format, u'd', 2, 2, QStringLiteral("d")), u'M', 2, 2,
                       QStringLiteral("M"));
}

// The user typed a two-digit year: years 00-29 are this century's, 30-99 the
// last century's, as the platform reads them.
QDate withCenturyWindow(QDate date)
{
    if (date.isValid() && date.year() < 1930)
        return date.addYears(100);
    return date;
}

std::optional<QDateTime> fromIso(const QString& text)
{
    if (text.size() < 10 || text.at(4) != u'-' || text.at(7) != u'-')
        return std::nullopt;
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    const QString rest = text.mid(10);
    if (rest.isEmpty())
        return QDateTime(date, QTime(0, 0), Qt::UTC);
    if (rest.at(0) != u'T' && rest.at(0) != u' ')
        return std::nullopt;
    QTime time = QTime::fromString(rest.mid(1), QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(rest.mid(1), QStringLiteral("HH:mm"));
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

bool inDateRange(const QDate& date)
{
    return date.isValid() && date >= firstStorableDate() && date <= lastStorableDate();
}

// True when the text holds the locale's group separator followed by exactly
// three digits ("1.000", "1.234,5" under de_DE): the user wrote a grouped
// number, which must never be read another way.
bool hasDigitGrouping(const QString& text, const QLocale& locale)
{
    const QString separator = locale.groupSeparator();
    if (separator.isEmpty())
        return false;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, at + 1)) {
        const qsizetype first = at + separator.size();
        qsizetype end = first;
        while (end < text.size() && text.at(end).isDigit())
            ++end;
        if (end - first == 3)
            return true;
    }
    return false;
}

}  // namespace

QString shortDateFormat(const QLocale& locale)
{
    return replaceRuns(locale.dateFormat(QLocale::ShortFormat), u'y', 1, 3,
                       QStringLiteral("yyyy"));
}

QString dateToText(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, shortDateFormat(locale));
}

QString timeToText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

namespace {

// A date followed by its time of day, when it has one, as the locale writes them.
QString localDateTimeText(const QDateTime& value, const QLocale& locale)
{
    QString result = dateToText(value.date(), locale);
    if (value.time() != QTime(0, 0))
        result += u' ' + timeToText(value.time(), locale);
    return result;
}

}  // namespace

QString dateTimeToText(const QDateTime& value, const QLocale& locale)
{
    const QString local = localDateTimeText(value, locale);
    const std::optional<QDateTime> readBack = textToDateTime(local, locale);
    if (readBack && readBack->date() == value.date() && readBack->time() == value.time())
        return local;
    return dateTimeToStorageText(value);
}

QString dateTimeToStorageText(const QDateTime& value)
{
    if (value.time() == QTime(0, 0))
        return value.date().toString(QStringLiteral("yyyy-MM-dd"));
    return value.date().toString(QStringLiteral("yyyy-MM-dd")) + u'T'
        + value.time().toString(QStringLiteral("HH:mm:ss"));
}

QString valueToText(const QVariant& value, const QLocale& locale)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return dateToText(value.toDate(), locale);
    case QMetaType::QDateTime:
        return localDateTimeText(value.toDateTime(), locale);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return numberToText(value.toDouble(), locale);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
        return QString::number(value.toULongLong());
    default:
        return value.toString();
    }
}

std::optional<double> textToNumber(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Qt reads "inf" and "nan"; a number column never holds them.
    for (const QChar c : trimmed) {
        if (c.isLetter() && c != u'e' && c != u'E')
            return std::nullopt;
    }
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    bool ok = false;
    double value = strict.toDouble(trimmed, &ok);
    if (!ok) {
        // The plain form SQL writes is read as well, but never a grouped
        // number: "1.000" under de_DE is a thousand to its writer, not 1.
        if (hasDigitGrouping(trimmed, locale))
            return std::nullopt;
        QLocale plain = QLocale::c();
        plain.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
        value = plain.toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> textToHours(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon > 0 && colon == trimmed.size() - 3) {
        const QStringView hours = QStringView(trimmed).left(colon);
        const QStringView minutes = QStringView(trimmed).sliced(colon + 1);
        const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
        if (std::all_of(hours.begin(), hours.end(), isDigit) && std::all_of(minutes.begin(), minutes.end(), isDigit)
            && minutes.front() <= u'5') {
            bool ok = false;
            const double whole = hours.toDouble(&ok);
            if (ok && std::isfinite(whole))
                return whole + minutes.toInt() / 60.0;
        }
    }
    return textToNumber(text, locale);
}

QString numberToSqlText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    const double magnitude = std::fabs(value);
    const char format = (magnitude >= 1e-6 && magnitude < 1e16) ? 'f' : 'g';
    return QString::number(value, format, QLocale::FloatingPointShortest);
}

std::optional<QDateTime> textToDateTime(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.simplified();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (auto iso = fromIso(trimmed)) {
        if (inDateRange(iso->date()))
            return iso;
        return std::nullopt;
    }

    // The date part has as many blank-separated words as the locale's own
    // short date text ("12/31/2000" one, "31 Dec 2000" three); the rest, when
    // present, is a time of day.
    const qsizetype dateWords = dateToText(QDate(2000, 12, 31), locale).simplified().count(u' ') + 1;
    const QStringList words = trimmed.split(u' ');
    const QString datePart = words.mid(0, dateWords).join(u' ');
    const QString timePart = words.mid(dateWords).join(u' ');

    const QString localeFormat = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(datePart, lenientDateFormat(shortDateFormat(locale)));
    if (!date.isValid() && hasTwoDigitYear(localeFormat))
        date = withCenturyWindow(locale.toDate(datePart, lenientDateFormat(localeFormat)));
    if (!inDateRange(date))
        return std::nullopt;

    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        const QStringList timeFormats = {withoutTimeZone(locale.timeFormat(QLocale::LongFormat)),
                                         withoutTimeZone(locale.timeFormat(QLocale::ShortFormat)),
                                         QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")};
        time = QTime();
        for (const QString& format : timeFormats) {
            time = locale.toTime(timePart, format);
            if (time.isValid())
                break;
        }
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC);
}

namespace {

// A date typed as digits alone, split in the order the short date format
// names day, month and year.
std::optional<QDate> fromDigitsAlone(const QString& text, const QLocale& locale)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if ((text.size() != 6 && text.size() != 8) || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    const QString format = shortDateFormat(locale);
    QString order;
    forEachPatternRun(format, [&](QChar c, qsizetype, qsizetype) {
        if ((c == u'd' || c == u'M' || c == u'y') && !order.contains(c))
            order += c;
    });
    if (order.size() != 3)
        return std::nullopt;
    int day = 0;
    int month = 0;
    int year = 0;
    qsizetype at = 0;
    for (const QChar part : order) {
        const qsizetype length = part == u'y' ? text.size() - 4 : 2;
        const int value = QStringView(text).mid(at, length).toInt();
        at += length;
        (part == u'd' ? day : part == u'M' ? month : year) = value;
    }
    // Two digits of a year: 00-29 this century's, 30-99 the last century's.
    if (text.size() == 6)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

}  // namespace

std::optional<QDate> textToTypedDate(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    std::optional<QDate> date = fromDigitsAlone(trimmed, locale);
    if (!date) {
        const std::optional<QDateTime> read = textToDateTime(trimmed, locale);
        if (read && read->time() == QTime(0, 0))
            date = read->date();
    }
    if (!date || *date < firstTypedDate() || *date > lastTypedDate())
        return std::nullopt;
    return date;
}

QString excerpt(QStringView text, qsizetype length)
{
    if (text.size() <= length)
        return text.toString();
    qsizetype keep = std::max<qsizetype>(0, length - 1);
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep).toString() + QChar(0x2026);
}

namespace {

// Rounds half to even, as the platform's conversions do (2.5 -> 2, 3.5 -> 4),
// and raises "Overflow" when the result lies outside [low, high].
double roundHalfEvenWithin(double value, double low, double high)
{
    if (!std::isfinite(value))
        throw RuntimeError::overflow();
    double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(rounded, 2.0) != 0.0)
        rounded -= std::copysign(1.0, value);
    if (rounded < low || rounded > high)
        throw RuntimeError::overflow();
    return rounded;
}

}  // namespace

float toSingle(const QString& text, const QLocale& locale)
{
    const std::optional<double> value = textToNumber(text, locale);
    if (!value)
        throw RuntimeError::typeMismatch();
    if (std::fabs(*value) > FLT_MAX)
        throw RuntimeError::overflow();
    return static_cast<float>(*value);
}

qint16 toInteger(const QString& text, const QLocale& locale)
{
    const std::optional<double> value = textToNumber(text, locale);
    if (!value)
        throw RuntimeError::typeMismatch();
    return static_cast<qint16>(roundHalfEvenWithin(*value, -32768.0, 32767.0));
}

qint32 toLong(const QVariant& value, const QLocale& locale)
{
    if (value.isNull())
        throw RuntimeError::invalidUseOfNull();
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool: {
        const qint64 whole = value.typeId() == QMetaType::Bool ? (value.toBool() ? -1 : 0) : value.toLongLong();
        if (whole < INT32_MIN || whole > INT32_MAX)
            throw RuntimeError::overflow();
        return static_cast<qint32>(whole);
    }
    case QMetaType::Double:
        return static_cast<qint32>(roundHalfEvenWithin(value.toDouble(), INT32_MIN, INT32_MAX));
    case QMetaType::QString: {
        const std::optional<double> number = textToNumber(value.toString(), locale);
        if (!number)
            throw RuntimeError::typeMismatch();
        return static_cast<qint32>(roundHalfEvenWithin(*number, INT32_MIN, INT32_MAX));
    }
    default:
        throw RuntimeError::typeMismatch();
    }
}

QString numberToText(double value, const QLocale& locale)
{
    // Whole numbers are by far the most common (hours, IDs); they need no
    // locale formatting at all.
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'G', 15);
}

}  // namespace hv::text
