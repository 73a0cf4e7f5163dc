#pragma once

#include <QString>

namespace hv::reports {

// The SQL texts of the report chooser: the rows of each of its three reports,
// in the order the report lists them.
class ReportStatements {
public:
    ReportStatements() = delete;

    static QString billableHoursByEmployee();
    static QString billableHoursByProject();
    static QString nonBillableHoursByEmployee();
};

}  // namespace hv::reports
