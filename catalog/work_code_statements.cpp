#include "catalog/work_code_statements.h"

#include "data/sql_text.h"

namespace hv::catalog {

namespace {

QString billableWord(bool billable)
{
    return billable ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

}  // namespace

QString WorkCodeStatements::select(const QString& id)
{
    return QStringLiteral("select * from [Work Codes] where ID=") + id;
}

QString WorkCodeStatements::insert(const QString& description, bool billable)
{
    return QStringLiteral("insert into [Work Codes] (Description,Billable) values ('")
        + sql::quoteDoubled(description) + QStringLiteral("',") + billableWord(billable) + QStringLiteral(")");
}

QString WorkCodeStatements::update(const QString& description, bool billable, const QString& id)
{
    return QStringLiteral("update [Work Codes] set Description='") + sql::quoteDoubled(description)
        + QStringLiteral("',Billable=") + billableWord(billable) + QStringLiteral(" where ID=") + id;
}

QString WorkCodeStatements::list()
{
    return QStringLiteral("select * from [Work Codes]");
}

QString WorkCodeStatements::remove(const QString& id)
{
    return QStringLiteral("delete from [Work Codes] where ID=") + id;
}

}  // namespace hv::catalog
