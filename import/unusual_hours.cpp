#include "import/unusual_hours.h"

#include "core/hours_rule.h"

#include <algorithm>
#include <tuple>

namespace hv::import {

void UnusualHours::add(qint64 entry, std::optional<qint64> employee, const QDate& day, double hours)
{
    const HoursRule::Verdict verdict = HoursRule::ofEntry(hours);
    if (HoursRule::refused(verdict))
        m_outOfRange << entry;
    else if (verdict == HoursRule::Verdict::Zero)
        m_zero << entry;
    if (employee && day.isValid())
        m_days[{*employee, day.toJulianDay()}] += hours;
}

void UnusualHours::report(ImportSummary& summary) const
{
    summary.entriesWithHoursOutOfRange = m_outOfRange;
    summary.entriesWithZeroHours = m_zero;
    summary.busyDays.clear();
    for (auto day = m_days.cbegin(); day != m_days.cend(); ++day) {
        if (HoursRule::dayPassesLimit(day.value()))
            summary.busyDays.append({day.key().first, QDate::fromJulianDay(day.key().second), day.value()});
    }
    std::sort(summary.busyDays.begin(), summary.busyDays.end(),
              [](const ImportSummary::BusyDay& a, const ImportSummary::BusyDay& b) {
                  return std::tie(a.day, a.employee) < std::tie(b.day, b.employee);
              });
}

}  // namespace hv::import
