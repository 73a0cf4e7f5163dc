#include "reports/engine/report_options.h"

#include "core/settings_section.h"

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

const settings::Section kSettings;

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
    options.quickPeriod = quickPeriodFromKey(kSettings.value(kPeriodKey));
    if (options.quickPeriod == QuickPeriod::Custom) {
        options.period = {QDate::fromString(kSettings.value(kFromKey), Qt::ISODate), QDate::fromString(kSettings.value(kToKey), Qt::ISODate)};
        if (options.period.from.isValid() && options.period.to.isValid() && options.period.from > options.period.to)
            options.period = {};
        if (options.period.isAllDates())
            options.quickPeriod = QuickPeriod::AllDates;
    } else {
        options.period = periodOf(options.quickPeriod, today, firstDayOfWeek);
    }
    options.employee = filterFrom(kSettings.value(kEmployeeKey));
    options.workCode = filterFrom(kSettings.value(kWorkCodeKey));
    // Totals and page numbers start ticked until the user unticks them.
    options.totals = kSettings.value(kTotalsKey) != QStringLiteral("0");
    options.pageNumbers = kSettings.value(kPageNumbersKey) != QStringLiteral("0");
    return options;
}

void ReportOptions::save() const
{
    kSettings.save(kPeriodKey, quickPeriodKey(quickPeriod));
    kSettings.save(kFromKey, dateText(period.from));
    kSettings.save(kToKey, dateText(period.to));
    kSettings.save(kEmployeeKey, filterText(employee));
    kSettings.save(kWorkCodeKey, filterText(workCode));
    kSettings.save(kTotalsKey, totals ? QStringLiteral("1") : QStringLiteral("0"));
    kSettings.save(kPageNumbersKey, pageNumbers ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList ReportOptions::scope() const
{
    QStringList lines;
    const QString days = period.describe();
    if (!days.isEmpty())
        lines.append(QStringLiteral("Period: ") + days);
    if (employee)
        lines.append(QStringLiteral("Employee: ") + filterCaption(*employee));
    if (workCode)
        lines.append(QStringLiteral("Work code: ") + filterCaption(*workCode));
    return lines;
}

QString ReportOptions::filterCaption(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("(none)") : name;
}

}  // namespace hv::reports
