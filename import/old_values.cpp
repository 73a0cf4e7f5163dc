#include "import/old_values.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <cmath>

namespace hv::import::values {

namespace {

constexpr double kSecondsPerDay = 86400.0;

}  // namespace

std::optional<QString> dateText(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return std::nullopt;
    const double whole = std::trunc(days);
    auto seconds = static_cast<qint64>(std::llround(std::fabs(days - whole) * kSecondsPerDay));
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (seconds >= static_cast<qint64>(kSecondsPerDay)) {
        // Rounded up to the next midnight.
        seconds = 0;
        date = date.addDays(1);
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    if (seconds == 0)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(seconds));
    return date.toString(QStringLiteral("yyyy-MM-dd")) + u'T' + time.toString(QStringLiteral("HH:mm:ss"));
}

double singleToDouble(float value)
{
    if (!std::isfinite(value))
        return value;
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    double result = value;
    std::from_chars(digits, written.ptr, result);
    return result;
}

std::optional<double> decimalText(QByteArrayView text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace hv::import::values
