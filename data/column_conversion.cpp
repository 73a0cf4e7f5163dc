#include "data/column_conversion.h"

#include "core/locale_text.h"

#include <cmath>

namespace hv::data {

namespace {

// A number as the platform stores a date: days since 30 December 1899, the
// fraction being the time of day (also for days before that date).
std::optional<QDateTime> fromSerialDate(double serial)
{
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0)
        return std::nullopt;
    const double days = std::trunc(serial);
    const qint64 seconds = std::llround(std::fabs(serial - days) * 86400.0);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    return QDateTime(date, QTime(0, 0), Qt::UTC).addSecs(seconds);
}

bool isNumeric(const ColumnInput& input)
{
    return input.kind == ColumnInput::Integer || input.kind == ColumnInput::Real;
}

double numberOf(const ColumnInput& input)
{
    return input.kind == ColumnInput::Integer ? static_cast<double>(input.integer) : input.real;
}

// A number or a text in the user's number format; nothing for anything else.
std::optional<double> readNumber(const ColumnInput& input)
{
    if (isNumeric(input))
        return numberOf(input);
    if (input.kind == ColumnInput::Text)
        return text::textToNumber(input.text);
    return std::nullopt;
}

std::optional<ColumnValue> toDate(const ColumnInput& input)
{
    std::optional<QDateTime> dateTime;
    if (isNumeric(input))
        dateTime = fromSerialDate(numberOf(input));
    else if (input.kind == ColumnInput::Text)
        dateTime = text::textToDateTime(input.text);
    if (!dateTime)
        return std::nullopt;
    return ColumnValue{ColumnValue::Text, 0, 0.0, text::dateTimeToStorageText(*dateTime)};
}

std::optional<ColumnValue> toNumber(const ColumnInput& input)
{
    const std::optional<double> number = readNumber(input);
    if (!number)
        return std::nullopt;
    return ColumnValue{ColumnValue::Real, 0, *number, {}};
}

std::optional<ColumnValue> toInteger(const ColumnInput& input)
{
    if (input.kind == ColumnInput::Integer)
        return ColumnValue{ColumnValue::Integer, input.integer, 0.0, {}};
    // 2^63 is the first double past the 64-bit range.
    constexpr double limit = 9223372036854775808.0;
    const std::optional<double> number = readNumber(input);
    if (!number || *number != std::trunc(*number) || *number >= limit || *number < -limit)
        return std::nullopt;
    return ColumnValue{ColumnValue::Integer, static_cast<qint64>(*number), 0.0, {}};
}

std::optional<ColumnValue> toYesNo(const ColumnInput& input)
{
    std::optional<bool> yes;
    if (input.kind == ColumnInput::Text) {
        const QString text = input.text.trimmed();
        for (const char* word : {"true", "yes", "on"})
            if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                yes = true;
        for (const char* word : {"false", "no", "off"})
            if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                yes = false;
    }
    if (!yes) {
        if (const std::optional<double> number = readNumber(input))
            yes = *number != 0.0;
    }
    if (!yes)
        return std::nullopt;
    return ColumnValue{ColumnValue::Integer, *yes ? -1 : 0, 0.0, {}};
}

}  // namespace

std::optional<ColumnValue> ColumnConversion::convert(ColumnKind kind, const ColumnInput& input,
                                                     const QString& column, QString& refusal)
{
    if (input.kind == ColumnInput::Null)
        return ColumnValue{};
    std::optional<ColumnValue> result;
    QString reason;
    switch (kind) {
    case ColumnKind::Date:
        result = toDate(input);
        reason = QStringLiteral("it is not a date (dates are written as %1)").arg(text::shortDateFormat());
        break;
    case ColumnKind::Number:
        result = toNumber(input);
        reason = QStringLiteral("it is not a number");
        break;
    case ColumnKind::Integer:
        result = toInteger(input);
        reason = QStringLiteral("it is not a whole number");
        break;
    case ColumnKind::YesNo:
        result = toYesNo(input);
        reason = QStringLiteral("it is not a yes/no value (True, False, -1 or 0)");
        break;
    case ColumnKind::Text:
    case ColumnKind::Other:
        switch (input.kind) {
        case ColumnInput::Integer: return ColumnValue{ColumnValue::Integer, input.integer, 0.0, {}};
        case ColumnInput::Real: return ColumnValue{ColumnValue::Real, 0, input.real, {}};
        default: return ColumnValue{ColumnValue::Text, 0, 0.0, input.text};
        }
    }
    if (!result) {
        // A long value is quoted by its beginning, so the column and the
        // reason stay legible.
        const QString shown = input.kind == ColumnInput::Binary ? QStringLiteral("(binary data)")
            : input.kind == ColumnInput::Integer              ? QString::number(input.integer)
            : input.kind == ColumnInput::Real                 ? text::numberToSqlText(input.real)
                                                              : text::excerpt(input.text, 60);
        refusal = QStringLiteral("Cannot store '%1' in the column [%2]: %3.").arg(shown, column, reason);
    }
    return result;
}

}  // namespace hv::data
