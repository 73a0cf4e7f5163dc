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

QString EntryStatements::hoursOfEmployeeOnDay(const QString& employee, const QDate& day, const QString& exceptId)
{
    // The day as stored dates compare, from its start to the next day's, so
    // an entry with a time of day counts and the index of the dates answers.
    QString sql = QStringLiteral("select Hours from [Work Hours] where [Employee]=") + employee
        + QStringLiteral(" and [Date Worked] >= '") + day.toString(Qt::ISODate)
        + QStringLiteral("' and [Date Worked] < '") + day.addDays(1).toString(Qt::ISODate) + u'\'';
    if (!exceptId.isEmpty())
        sql += QStringLiteral(" and ID<>") + exceptId;
    return sql;
}

}  // namespace hv::entries
