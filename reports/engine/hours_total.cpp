#include "reports/engine/hours_total.h"

#include "core/locale_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace hv::reports {

namespace {

constexpr int kScale = 15;
constexpr int kLongest = 38;  // 10^38 still fits in the units

HoursUnits powerOfTen(int exponent)
{
    HoursUnits result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// A double as whole units of 10^-15, read from its shortest decimal form;
// false when it does not fit.
bool toUnits(double value, HoursUnits& units)
{
    if (!std::isfinite(value))
        return false;
    if (value == 0) {
        units = 0;
        return true;
    }
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific);
    if (error != std::errc())
        return false;
    *end = '\0';
    // d.ddddde±XX: the digits without the point, then the exponent.
    HoursUnits digits = 0;
    int digitCount = 0;
    const char* p = buffer;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    for (; p < end && *p != 'e'; ++p) {
        if (*p == '.')
            continue;
        digits = digits * 10 + (*p - '0');
        ++digitCount;
    }
    const int exponent = std::atoi(p + 1);
    const int shift = exponent - (digitCount - 1) + kScale;
    if (shift >= 0) {
        if (shift + digitCount > kLongest)
            return false;
        digits *= powerOfTen(shift);
    } else if (-shift > kLongest) {
        digits = 0;
    } else {
        // Past 15 decimal places: rounded half away from zero.
        const HoursUnits divisor = powerOfTen(-shift);
        digits = (digits + divisor / 2) / divisor;
    }
    units = negative ? -digits : digits;
    return true;
}

}  // namespace

std::optional<double> hoursOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const double hours = value.toDouble(&ok);
    return ok ? std::optional<double>(hours) : std::nullopt;
}

void HoursTotal::add(double hours)
{
    m_binary += hours;
    HoursUnits units = 0;
    if (m_exact && (!toUnits(hours, units) || __builtin_add_overflow(m_units, units, &m_units)))
        m_exact = false;
}

void HoursTotal::add(double hours, qint64 times)
{
    m_binary += hours * static_cast<double>(times);
    HoursUnits units = 0;
    if (m_exact
        && (!toUnits(hours, units) || __builtin_mul_overflow(units, static_cast<HoursUnits>(times), &units)
            || __builtin_add_overflow(m_units, units, &m_units)))
        m_exact = false;
}

QString HoursTotal::exactText() const
{
    const bool negative = m_units < 0;
    HoursUnits magnitude = negative ? -m_units : m_units;
    QString digits;
    while (magnitude > 0) {
        digits.prepend(QLatin1Char(static_cast<char>('0' + static_cast<int>(magnitude % 10))));
        magnitude /= 10;
    }
    digits = digits.rightJustified(kScale + 1, QLatin1Char('0'));
    QString whole = digits.left(digits.size() - kScale);
    QString fraction = digits.right(kScale);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString text = negative ? QStringLiteral("-") + whole : whole;
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return text;
}

QString HoursTotal::toPlainText() const
{
    return m_exact ? exactText() : text::numberToSqlText(m_binary);
}

QString HoursTotal::toText(const QLocale& locale) const
{
    if (!m_exact)
        return text::numberToText(m_binary, locale);
    QString text = exactText();
    qsizetype significant = 0;
    for (const QChar c : text) {
        if (c.isDigit() && (significant > 0 || c != QLatin1Char('0')))
            ++significant;
    }
    // More digits than a report shows of any number: shown as a number is.
    if (significant > 15)
        return text::numberToText(text.toDouble(), locale);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

void HoursTotal::add(const HoursTotal& other)
{
    m_binary += other.m_binary;
    if (m_exact && (!other.m_exact || __builtin_add_overflow(m_units, other.m_units, &m_units)))
        m_exact = false;
}

double HoursTotal::value() const
{
    return m_exact ? exactText().toDouble() : m_binary;
}

}  // namespace hv::reports
