#pragma once

#include <QString>

namespace hv::reports {

// The SQL texts of the rows each of the report chooser's three reports is
// drawn from, in the order the report lists them.
class ReportStatements {
public:
    ReportStatements() = delete;

    static QString billableHoursByEmployee();
    static QString billableHoursByProject();
    static QString nonBillableHoursByEmployee();
};

}  // namespace hv::reports
