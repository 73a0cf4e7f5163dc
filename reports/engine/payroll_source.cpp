#include "reports/engine/payroll_source.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_text.h"
#include "reports/engine/report_query.h"

#include <QSet>

namespace hv::reports {

PayrollSource PayrollSource::read(data::Connection& connection, const DatePeriod& period,
                                  const std::optional<QString>& employee, const std::optional<QString>& workCode)
{
    PayrollSource source;
    const QSet<qint64> inactive = data::RecordTerms::inactive(connection, data::RecordTerms::Record::Employee);
    QSet<qint64> chosen;
    {
        data::Recordset rs;
        rs.Open(QStringLiteral("select * from [Employees Extended]"), connection);
        for (; !rs.Eof(); rs.MoveNext()) {
            const qint64 id = rs.Fields(QStringLiteral("ID")).toLongLong();
            const QString name = rs.Fields(QStringLiteral("Employee Name")).toString();
            if (employee && name != *employee)
                continue;
            chosen.insert(id);
            source.employees.push_back({id, name, inactive.contains(id)});
        }
    }

    QStringList conditions = ReportQuery::periodConditions(period);
    if (workCode)
        conditions << (workCode->isEmpty() ? QStringLiteral("([Work Codes].Description is null or "
                                                             "[Work Codes].Description = '')")
                                           : QStringLiteral("[Work Codes].Description = '") + sql::quoteDoubled(*workCode) + u'\'');
    data::Recordset rs;
    rs.Open(QStringLiteral("select [Work Hours].Employee, [Work Hours].[Date Worked], [Work Codes].Billable, "
                           "[Work Hours].Hours from [Work Hours] left join [Work Codes] on [Work Codes].ID = "
                           "[Work Hours].[Work Code]")
                + (conditions.isEmpty() ? QString() : QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "))),
            connection);
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant who = rs.Fields(QStringLiteral("Employee"));
        const qint64 id = who.isNull() ? PayrollHours::kNoEmployee : who.toLongLong();
        if (employee && !chosen.contains(id))
            continue;
        const std::optional<double> hours = hoursOf(rs.Fields(QStringLiteral("Hours")));
        const QVariant billable = rs.Fields(QStringLiteral("Billable"));
        source.entries.push_back({chosen.contains(id) ? id : PayrollHours::kNoEmployee,
                                  dayOf(rs.Fields(QStringLiteral("Date Worked"))),
                                  !billable.isNull() && billable.toInt() != 0, hours.value_or(0)});
    }
    source.contracts = data::RecordTerms::allContracts(connection);
    return source;
}

}  // namespace hv::reports
