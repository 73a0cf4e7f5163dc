#include "reports/engine/payroll_hours.h"

#include <QHash>
#include <algorithm>

namespace hv::reports {

namespace {

void addLine(PayrollHours::Line& to, const PayrollHours::Line& line)
{
    to.billable.add(line.billable);
    to.nonBillable.add(line.nonBillable);
    to.total.add(line.total);
    to.contracted += line.contracted;
}

}  // namespace

PayrollHours::PayrollHours(Span span, Qt::DayOfWeek firstDayOfWeek) : m_span(span), m_firstDay(firstDayOfWeek) {}

QDate PayrollHours::spanStart(const QDate& day) const
{
    if (m_span == Span::Month)
        return QDate(day.year(), day.month(), 1);
    // Days back to the first day of the week, 0 to 6.
    return day.addDays(-((day.dayOfWeek() - m_firstDay + 7) % 7));
}

PayrollHours::Result PayrollHours::compute(const DatePeriod& period, const std::vector<Employee>& employees,
                                           const std::vector<Entry>& entries,
                                           const std::map<qint64, data::RecordTerms::Contracts>& contracts,
                                           const QString& noEmployeeName) const
{
    // The period's ends: its own, or the days of the entries.
    QDate first = period.from;
    QDate last = period.to;
    if (!first.isValid() || !last.isValid()) {
        QDate earliest;
        QDate latest;
        for (const Entry& entry : entries) {
            if (!entry.day.isValid() || !period.contains(entry.day))
                continue;
            if (!earliest.isValid() || entry.day < earliest)
                earliest = entry.day;
            if (!latest.isValid() || entry.day > latest)
                latest = entry.day;
        }
        if (!first.isValid())
            first = earliest;
        if (!last.isValid())
            last = latest;
    }
    Result result;
    if (!first.isValid() || !last.isValid() || first > last)
        return result;

    // The lines' first days, in order, and where each day's line is.
    std::vector<QDate> starts;
    for (QDate start = first; start <= last;) {
        starts.push_back(start);
        const QDate next = m_span == Span::Month ? spanStart(start).addMonths(1) : spanStart(start).addDays(7);
        start = next;
    }
    const auto lineOf = [&](const QDate& day) {
        return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), day) - starts.begin() - 1);
    };
    const auto emptyLines = [&] {
        std::vector<Line> lines(starts.size());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            lines[i].from = starts[i];
            lines[i].to = i + 1 < starts.size() ? starts[i + 1].addDays(-1) : last;
        }
        return lines;
    };

    // The hours, employee by employee.
    QHash<qint64, std::vector<Line>> hoursOf;
    for (const Entry& entry : entries) {
        if (!entry.day.isValid() || entry.day < first || entry.day > last)
            continue;
        auto found = hoursOf.find(entry.employee);
        if (found == hoursOf.end())
            found = hoursOf.insert(entry.employee, emptyLines());
        Line& line = (*found)[lineOf(entry.day)];
        (entry.billable ? line.billable : line.nonBillable).add(entry.hours);
        line.total.add(entry.hours);
    }

    std::vector<Employee> shown;
    for (const Employee& employee : employees) {
        if (!employee.inactive || hoursOf.contains(employee.id))
            shown.push_back(employee);
    }
    if (hoursOf.contains(kNoEmployee))
        shown.push_back({kNoEmployee, noEmployeeName, false});
    QHash<QString, int> sameName;
    for (const Employee& employee : shown)
        ++sameName[employee.name];

    result.firm.from = first;
    result.firm.to = last;
    for (const Employee& employee : shown) {
        Block block;
        block.employee = employee.id;
        block.name = employee.name;
        if (sameName.value(employee.name) > 1 && employee.id != kNoEmployee)
            block.name += QStringLiteral(" (%1)").arg(employee.id);
        block.lines = hoursOf.contains(employee.id) ? hoursOf.value(employee.id) : emptyLines();
        const auto contract = contracts.find(employee.id);
        block.sum.from = first;
        block.sum.to = last;
        for (Line& line : block.lines) {
            if (contract != contracts.end()) {
                for (QDate day = line.from; day <= line.to; day = day.addDays(1))
                    line.contracted += data::RecordTerms::weeklyHoursOn(contract->second, day) / 7;
            }
            addLine(block.sum, line);
        }
        addLine(result.firm, block.sum);
        result.blocks.push_back(std::move(block));
    }
    return result;
}

}  // namespace hv::reports
