#pragma once

#include "reports/engine/payroll_hours.h"

#include <optional>

namespace hv::data {
class Connection;
}

namespace hv::reports {

// What the payroll report is worked out from, read from the database: the
// employees in the order of their names (with whether each is still
// active), the entries of a period (selected through the index of the
// dates; an employee or a work code chosen by name keeps only theirs) and
// every contract. Failures are the database's RuntimeErrors.
struct PayrollSource {
    std::vector<PayrollHours::Employee> employees;
    std::vector<PayrollHours::Entry> entries;
    std::map<qint64, data::RecordTerms::Contracts> contracts;

    static PayrollSource read(data::Connection& connection, const DatePeriod& period,
                              const std::optional<QString>& employee = std::nullopt,
                              const std::optional<QString>& workCode = std::nullopt);
};

}  // namespace hv::reports
