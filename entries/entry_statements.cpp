#include "entries/entry_statements.h"

#include "data/sql_text.h"

namespace hv::entries {

QString EntryStatements::list()
{
    return QStringLiteral("select * from [Work Hours Extended]");
}

QString EntryStatements::select(const QString& id)
{
    return QStringLiteral("select * from [Work Hours Extended] where ID=") + id;
}

QString EntryStatements::insert(const Values& values)
{
    return QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                          "values (")
        + values.employee + QStringLiteral(",'") + values.date + QStringLiteral("',") + values.workCode
        + QStringLiteral(",'") + values.hours + QStringLiteral("','") + sql::quoteDoubled(values.description)
        + QStringLiteral("')");
}

QString EntryStatements::update(const Values& values, const QString& id)
{
    return QStringLiteral("update [Work Hours] set Employee=") + values.employee + QStringLiteral(",[Work Code]=")
        + values.workCode + QStringLiteral(",[Date Worked]='") + values.date + QStringLiteral("',[Hours]=")
        + values.hours + QStringLiteral(",[Work Description]='") + sql::quoteDoubled(values.description)
        + QStringLiteral("' where ID=") + id;
}

QString EntryStatements::remove(const QString& id)
{
    return QStringLiteral("delete from [Work Hours] where ID=") + id;
}

QString EntryStatements::removeOfEmployee(const QString& id)
{
    return QStringLiteral("delete from [Work Hours] where [Employee]=") + id;
}

QString EntryStatements::removeOfWorkCode(const QString& id)
{
    return QStringLiteral("delete from [Work Hours] where [Work Code]=") + id;
}

QString EntryStatements::hoursOfEmployee(const QString& id)
{
    return QStringLiteral("select Hours, count(*) as Entries from [Work Hours] where [Employee]=") + id
        + QStringLiteral(" group by Hours");
}

QString EntryStatements::hoursOfWorkCode(const QString& id)
{
    return QStringLiteral("select Hours, count(*) as Entries from [Work Hours] where [Work Code]=") + id
        + QStringLiteral(" group by Hours");
}

namespace {

// The days from `first` as stored dates compare, from its start to the start
// of the day after the last, so that an entry with a time of day counts and
// the index of the dates answers.
QString daysOfEmployee(const QString& columns, const QString& employee, const QDate& first, int days)
{
    return QStringLiteral("select ") + columns + QStringLiteral(" from [Work Hours] where [Employee]=") + employee
        + QStringLiteral(" and [Date Worked] >= '") + first.toString(Qt::ISODate)
        + QStringLiteral("' and [Date Worked] < '") + first.addDays(days).toString(Qt::ISODate) + u'\'';
}

}  // namespace

QString EntryStatements::ofEmployeeInDays(const QString& employee, const QDate& first, int days)
{
    return daysOfEmployee(QStringLiteral("ID,[Work Code],[Date Worked],Hours,[Work Description]"), employee, first,
                          days)
        + QStringLiteral(" order by [Date Worked],ID");
}

QString EntryStatements::employeeAndDate(const QString& id)
{
    return QStringLiteral("select Employee,[Date Worked] from [Work Hours] where ID=") + id;
}

QString EntryStatements::updateHours(const QString& id, const QString& hours)
{
    return QStringLiteral("update [Work Hours] set Hours=") + hours + QStringLiteral(" where ID=") + id;
}

QString EntryStatements::hoursOfEmployeeOnDay(const QString& employee, const QDate& day, const QString& exceptId)
{
    QString sql = daysOfEmployee(QStringLiteral("Hours"), employee, day, 1);
    if (!exceptId.isEmpty())
        sql += QStringLiteral(" and ID<>") + exceptId;
    return sql;
}

}  // namespace hv::entries
