#pragma once

#include "reports/engine/report_period.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace hv::reports {

// What the user chose in a report's preview beyond the report itself: the
// period, the employee and work code shown, subtotals and a grand total of
// the hours, and page numbers in the page footer. The defaults (all dates,
// everyone, every work code, no totals, no page numbers) print the report
// as it is designed. The choices are kept in the settings, so that the next
// preview, in this run or the next, starts from them; before the user has
// chosen, a preview starts with totals and page numbers.
struct ReportOptions {
    QuickPeriod quickPeriod = QuickPeriod::AllDates;
    DatePeriod period;
    std::optional<QString> employee;  // nothing: all employees
    std::optional<QString> workCode;  // nothing: all work codes
    bool totals = false;
    bool pageNumbers = false;

    // The choices as saved; a quick choice covers its days as of today.
    // A saved value that cannot be read counts as its default.
    static ReportOptions load(const QDate& today, Qt::DayOfWeek firstDayOfWeek);
    void save() const;

    // What a printed or exported report says it covers, one line per
    // choice in force: "Period: ...", "Employee: ...", "Work code: ...".
    QStringList scope() const;
    // A filter's name as the user sees it; entries whose employee or work
    // code has gone have none.
    static QString filterCaption(const QString& name);

    bool operator==(const ReportOptions&) const = default;
};

}  // namespace hv::reports
