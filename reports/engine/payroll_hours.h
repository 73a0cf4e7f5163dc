#pragma once

#include "data/record_terms.h"
#include "reports/engine/hours_total.h"
#include "reports/engine/report_period.h"

#include <QDate>
#include <QString>
#include <limits>
#include <map>
#include <vector>

namespace hv::reports {

// Each person's hours week by week (or month by month) over a period,
// against their contracted hours: the figures of the payroll report, worked
// out from the entries alone, without windows. A week starts on the given
// first day of the week; the period's first and last weeks (and months) are
// cut to the period. An entry counts on the day it was worked, whatever its
// time of day. The contracted hours of a line are a seventh of the weekly
// hours that hold on each of its days, so a line cut short by the period or
// crossed by a change of contract counts each day at its own contract.
class PayrollHours {
public:
    enum class Span { Week, Month };

    // The entry of no employee (its record has gone).
    static constexpr qint64 kNoEmployee = std::numeric_limits<qint64>::min();

    struct Entry {
        qint64 employee = kNoEmployee;
        QDate day;
        bool billable = false;
        double hours = 0;
    };
    struct Employee {
        qint64 id = kNoEmployee;
        QString name;
        bool inactive = false;
    };
    struct Line {
        QDate from;
        QDate to;
        HoursTotal billable;
        HoursTotal nonBillable;
        HoursTotal total;
        double contracted = 0;
        // Over (positive) or under (negative) the contract.
        double difference() const { return total.value() - contracted; }
    };
    struct Block {
        qint64 employee = kNoEmployee;
        // The name, with the record number in brackets when another block
        // has the same name.
        QString name;
        std::vector<Line> lines;
        Line sum;
    };
    struct Result {
        std::vector<Block> blocks;
        Line firm;
    };

    PayrollHours(Span span, Qt::DayOfWeek firstDayOfWeek);

    // The blocks of the employees, in the order given: every active one, and
    // an inactive one (or the entries of no employee, named `noEmployeeName`,
    // last) only with hours in the period. A period open at an end reaches
    // the first (or last) day an entry was worked. Entries outside the
    // period, and without a day, are left out.
    Result compute(const DatePeriod& period, const std::vector<Employee>& employees, const std::vector<Entry>& entries,
                   const std::map<qint64, data::RecordTerms::Contracts>& contracts,
                   const QString& noEmployeeName = QString()) const;

    // The first day of the week or month `day` falls in.
    QDate spanStart(const QDate& day) const;

private:
    Span m_span;
    Qt::DayOfWeek m_firstDay;
};

}  // namespace hv::reports
