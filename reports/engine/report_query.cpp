#include "reports/engine/report_query.h"

#include "reports/engine/report_layout.h"

#include <QStringList>

namespace hv::reports {

namespace {

QString bracketed(const QString& name)
{
    return u'[' + name + u']';
}

// A text between single quotes, each single quote in it written twice.
QString quoted(QString text)
{
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

}  // namespace

QStringList ReportQuery::periodConditions(const DatePeriod& period)
{
    const QString date = bracketed(QStringLiteral("Date Worked"));
    QStringList conditions;
    if (period.from.isValid())
        conditions << date + QStringLiteral(" >= ") + quoted(period.from.toString(Qt::ISODate));
    const QDate after = period.to.isValid() ? period.to.addDays(1) : QDate();
    // A last day past the calendar's end leaves the period open at that end.
    if (after.isValid() && after.year() <= 9999)
        conditions << date + QStringLiteral(" < ") + quoted(after.toString(Qt::ISODate));
    return conditions;
}

namespace {

QString nameCondition(const char* column, const QString& name)
{
    const QString field = bracketed(QString::fromLatin1(column));
    if (name.isEmpty())
        return u'(' + field + QStringLiteral(" is null or ") + field + QStringLiteral(" = '')");
    return field + QStringLiteral(" = ") + quoted(name);
}

QString where(const QStringList& conditions)
{
    return conditions.isEmpty() ? QString() : QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
}

}  // namespace

QString ReportQuery::text() const
{
    return QStringLiteral("select * from ") + bracketed(source) + QStringLiteral(" order by ") + bracketed(orderColumn);
}

QString ReportQuery::selecting(const ReportOptions& options) const
{
    QStringList conditions = periodConditions(options.period);
    if (options.employee)
        conditions << nameCondition(kEmployeeColumn, *options.employee);
    if (options.workCode)
        conditions << nameCondition(kWorkCodeColumn, *options.workCode);
    if (conditions.isEmpty())
        return text();
    return QStringLiteral("select * from ") + bracketed(source) + where(conditions) + QStringLiteral(" order by ")
        + bracketed(orderColumn);
}

QString ReportQuery::namesIn(const DatePeriod& period) const
{
    return QStringLiteral("select distinct ") + bracketed(QString::fromLatin1(kEmployeeColumn)) + QStringLiteral(", ")
        + bracketed(QString::fromLatin1(kWorkCodeColumn)) + QStringLiteral(" from ") + bracketed(source)
        + where(periodConditions(period));
}

}  // namespace hv::reports
