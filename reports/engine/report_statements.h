#pragma once

#include "reports/engine/report_query.h"

#include <QString>

namespace hv::reports {

// The rows each of the report chooser's three reports is drawn from, in the
// order the report lists them, and the SQL texts of their design.
class ReportStatements {
public:
    ReportStatements() = delete;

    static const ReportQuery& billableByEmployee();
    static const ReportQuery& billableByProject();
    static const ReportQuery& nonBillableByEmployee();

    static QString billableHoursByEmployee() { return billableByEmployee().text(); }
    static QString billableHoursByProject() { return billableByProject().text(); }
    static QString nonBillableHoursByEmployee() { return nonBillableByEmployee().text(); }
};

}  // namespace hv::reports
