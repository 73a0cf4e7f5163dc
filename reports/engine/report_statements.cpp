#include "reports/engine/report_statements.h"

namespace hv::reports {

QString ReportStatements::billableHoursByEmployee()
{
    return QStringLiteral("select * from [Billable Hours] order by [Employee Name]");
}

QString ReportStatements::billableHoursByProject()
{
    return QStringLiteral("select * from [Billable Hours] order by [Work Code Description]");
}

QString ReportStatements::nonBillableHoursByEmployee()
{
    return QStringLiteral("select * from [Non Billable Hours] order by [Employee Name]");
}

}  // namespace hv::reports
