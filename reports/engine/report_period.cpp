#include "reports/engine/report_period.h"

#include "core/locale_text.h"

#include <array>

namespace hv::reports {

namespace {

struct Choice {
    QuickPeriod choice;
    const char* caption;
    const char* key;
};

constexpr std::array<Choice, 8> kChoices{{
    {QuickPeriod::AllDates, "All dates", "AllDates"},
    {QuickPeriod::ThisWeek, "This week", "ThisWeek"},
    {QuickPeriod::LastWeek, "Last week", "LastWeek"},
    {QuickPeriod::ThisMonth, "This month", "ThisMonth"},
    {QuickPeriod::LastMonth, "Last month", "LastMonth"},
    {QuickPeriod::ThisYear, "This year", "ThisYear"},
    {QuickPeriod::LastYear, "Last year", "LastYear"},
    {QuickPeriod::Custom, "Chosen dates", "Custom"},
}};

const Choice& choiceOf(QuickPeriod choice)
{
    return kChoices[static_cast<std::size_t>(choice)];
}

DatePeriod weekOf(const QDate& day, Qt::DayOfWeek firstDayOfWeek)
{
    const int back = (day.dayOfWeek() - firstDayOfWeek + 7) % 7;
    const QDate start = day.addDays(-back);
    return {start, start.addDays(6)};
}

DatePeriod monthOf(const QDate& day)
{
    const QDate start(day.year(), day.month(), 1);
    return {start, start.addMonths(1).addDays(-1)};
}

DatePeriod yearOf(int year)
{
    return {QDate(year, 1, 1), QDate(year, 12, 31)};
}

}  // namespace

bool DatePeriod::contains(const QDate& day) const
{
    if (isAllDates())
        return true;
    if (!day.isValid())
        return false;
    return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
}

QString DatePeriod::describe() const
{
    if (from.isValid() && to.isValid())
        return QStringLiteral("%1 to %2").arg(text::dateToText(from), text::dateToText(to));
    if (from.isValid())
        return QStringLiteral("From %1").arg(text::dateToText(from));
    if (to.isValid())
        return QStringLiteral("Until %1").arg(text::dateToText(to));
    return {};
}

QDate dayOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return {};
}

DatePeriod periodOf(QuickPeriod choice, const QDate& today, Qt::DayOfWeek firstDayOfWeek)
{
    switch (choice) {
    case QuickPeriod::ThisWeek: return weekOf(today, firstDayOfWeek);
    case QuickPeriod::LastWeek: return weekOf(today.addDays(-7), firstDayOfWeek);
    case QuickPeriod::ThisMonth: return monthOf(today);
    case QuickPeriod::LastMonth: return monthOf(today.addMonths(-1));
    case QuickPeriod::ThisYear: return yearOf(today.year());
    case QuickPeriod::LastYear: return yearOf(today.year() - 1);
    case QuickPeriod::AllDates:
    case QuickPeriod::Custom: break;
    }
    return {};
}

QString quickPeriodCaption(QuickPeriod choice)
{
    return QString::fromLatin1(choiceOf(choice).caption);
}

QString quickPeriodKey(QuickPeriod choice)
{
    return QString::fromLatin1(choiceOf(choice).key);
}

QuickPeriod quickPeriodFromKey(const QString& key)
{
    for (const Choice& c : kChoices) {
        if (key == QLatin1String(c.key))
            return c.choice;
    }
    return QuickPeriod::AllDates;
}

}  // namespace hv::reports
