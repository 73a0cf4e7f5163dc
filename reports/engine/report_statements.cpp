#include "reports/engine/report_statements.h"

namespace hv::reports {

const ReportQuery& ReportStatements::billableByEmployee()
{
    static const ReportQuery query{QStringLiteral("Billable Hours"), QStringLiteral("Employee Name")};
    return query;
}

const ReportQuery& ReportStatements::billableByProject()
{
    static const ReportQuery query{QStringLiteral("Billable Hours"), QStringLiteral("Work Code Description")};
    return query;
}

const ReportQuery& ReportStatements::nonBillableByEmployee()
{
    static const ReportQuery query{QStringLiteral("Non Billable Hours"), QStringLiteral("Employee Name")};
    return query;
}

}  // namespace hv::reports
