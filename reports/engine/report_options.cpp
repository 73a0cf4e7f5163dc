#include "reports/engine/report_options.h"

#include "core/app_config.h"
#include "core/settings_store.h"

namespace hv::reports {

namespace {

// The settings keys, each the choice's own.
const QString kPeriodKey = QStringLiteral("ReportPeriod");
const QString kFromKey = QStringLiteral("ReportFrom");
const QString kToKey = QStringLiteral("ReportTo");
const QString kEmployeeKey = QStringLiteral("ReportEmployee");
const QString kWorkCodeKey = QStringLiteral("ReportWorkCode");
const QString kTotalsKey = QStringLiteral("ReportTotals");
const QString kPageNumbersKey = QStringLiteral("ReportPageNumbers");

QString get(const QString& key)
{
    return settings::GetSetting(config::kSettingsApplication, config::kSettingsSection, key);
}

void put(const QString& key, const QString& value)
{
    settings::SaveSetting(config::kSettingsApplication, config::kSettingsSection, key, value);
}

// A filter is saved as "=" and the name chosen, or as empty text for all:
// an empty name (entries whose employee has gone) stays a name of its own.
QString filterText(const std::optional<QString>& filter)
{
    return filter ? QStringLiteral("=") + *filter : QString();
}

std::optional<QString> filterFrom(const QString& saved)
{
    if (!saved.startsWith(QLatin1Char('=')))
        return std::nullopt;
    return saved.mid(1);
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

}  // namespace

ReportOptions ReportOptions::load(const QDate& today, Qt::DayOfWeek firstDayOfWeek)
{
    ReportOptions options;
    options.quickPeriod = quickPeriodFromKey(get(kPeriodKey));
    if (options.quickPeriod == QuickPeriod::Custom) {
        options.period = {QDate::fromString(get(kFromKey), Qt::ISODate), QDate::fromString(get(kToKey), Qt::ISODate)};
        if (options.period.from.isValid() && options.period.to.isValid() && options.period.from > options.period.to)
            options.period = {};
        if (options.period.isAllDates())
            options.quickPeriod = QuickPeriod::AllDates;
    } else {
        options.period = periodOf(options.quickPeriod, today, firstDayOfWeek);
    }
    options.employee = filterFrom(get(kEmployeeKey));
    options.workCode = filterFrom(get(kWorkCodeKey));
    options.totals = get(kTotalsKey) == QStringLiteral("1");
    options.pageNumbers = get(kPageNumbersKey) == QStringLiteral("1");
    return options;
}

void ReportOptions::save() const
{
    put(kPeriodKey, quickPeriodKey(quickPeriod));
    put(kFromKey, dateText(period.from));
    put(kToKey, dateText(period.to));
    put(kEmployeeKey, filterText(employee));
    put(kWorkCodeKey, filterText(workCode));
    put(kTotalsKey, totals ? QStringLiteral("1") : QStringLiteral("0"));
    put(kPageNumbersKey, pageNumbers ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace hv::reports
