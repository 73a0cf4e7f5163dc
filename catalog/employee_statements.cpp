#include "catalog/employee_statements.h"

#include "data/sql_text.h"

#include <QStringList>

namespace hv::catalog {

namespace {

// The boxes, numbered from 1, in the order of the insert statement's column list.
constexpr std::array<int, 16> kInsertOrder{1, 2, 14, 4, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16};

// The update statement's fixed pieces, each followed by its box.
struct UpdatePiece {
    const char* text;
    int box;
};
constexpr std::array<UpdatePiece, 16> kUpdatePieces{{
    {"update Employees set [First Name]='", 1},
    {"',[Last Name]='", 2},
    {"',[E-mail Address]='", 14},
    {"',Company='", 4},
    {"',[Job Title]='", 3},
    {"',[Business Phone]='", 5},
    {"',[Home Phone]='", 6},
    {"',[Mobile Phone]='", 7},
    {"',[Fax Number]='", 8},
    {"',Address='", 9},
    {"',City='", 10},
    {"',State='", 11},
    {"',ZIP='", 12},
    {"',Country='", 13},
    {"',[Web Page]='", 15},
    {"',Notes='", 16},
}};

QString boxValue(const EmployeeStatements::Boxes& boxes, int number)
{
    return sql::quoteDoubled(boxes.at(static_cast<size_t>(number - 1)));
}

}  // namespace

QString EmployeeStatements::select(const QString& id)
{
    return QStringLiteral("select * from Employees where ID=") + id;
}

QString EmployeeStatements::insert(const Boxes& boxes)
{
    QStringList values;
    for (int number : kInsertOrder)
        values << boxValue(boxes, number);
    return QStringLiteral("insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title],"
                          "[Business Phone],[Home Phone],[Mobile Phone],[Fax Number],Address,City,State,ZIP,"
                          "Country,[Web Page],Notes) values ('")
        + values.join(QStringLiteral("','")) + QStringLiteral("')");
}

QString EmployeeStatements::update(const Boxes& boxes, const QString& id)
{
    QString sql;
    for (const UpdatePiece& piece : kUpdatePieces)
        sql += QString::fromLatin1(piece.text) + boxValue(boxes, piece.box);
    return sql + QStringLiteral("' where ID=") + id;
}

QString EmployeeStatements::names()
{
    return QStringLiteral("select * from [Employees Extended]");
}

QString EmployeeStatements::remove(const QString& id)
{
    return QStringLiteral("delete from Employees where ID=") + id;
}

}  // namespace hv::catalog
