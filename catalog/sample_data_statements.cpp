#include "catalog/sample_data_statements.h"

#include "core/locale_text.h"

#include <QDate>
#include <array>

namespace hv::catalog {

namespace {

struct SampleEmployee {
    const char* firstName;
    const char* lastName;
    const char* email;
    const char* company;
    const char* jobTitle;
};
constexpr std::array<SampleEmployee, SampleDataStatements::kSamples> kEmployees{{
    {"Rivo", "Zarodu", "rivo.zarodu@acme.example", "ACME", "Manager"},
    {"Razozo", "Zedava", "razozo.zedava@acme.example", "ACME", "HR"},
}};

struct SampleWorkCode {
    const char* description;
    int billable;  // written as the decimal text of -1 or 0
};
constexpr std::array<SampleWorkCode, SampleDataStatements::kSamples> kWorkCodes{{
    {"Software developing", -1},
    {"Researching", 0},
}};

}  // namespace

QString SampleDataStatements::employeeCount()
{
    return QStringLiteral("SELECT Count(Employees.ID) AS [CountID] From Employees");
}

QString SampleDataStatements::firstEmployee()
{
    return QStringLiteral("SELECT First(Employees.ID) AS [MaxID] FROM Employees");
}

QString SampleDataStatements::lastEmployee()
{
    return QStringLiteral("SELECT Last(Employees.ID) AS [MaxID] FROM Employees");
}

QString SampleDataStatements::workCodeCount()
{
    return QStringLiteral("SELECT Count([Work Codes].ID) AS [CountID] From [Work Codes]");
}

QString SampleDataStatements::firstWorkCode()
{
    return QStringLiteral("SELECT First([Work Codes].ID) AS [MaxID] FROM [Work Codes]");
}

QString SampleDataStatements::lastWorkCode()
{
    return QStringLiteral("SELECT Last([Work Codes].ID) AS [MaxID] FROM [Work Codes]");
}

QString SampleDataStatements::employeeInsert(int sample)
{
    const SampleEmployee& e = kEmployees.at(static_cast<size_t>(sample));
    return QStringLiteral("insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('")
        + QLatin1String(e.firstName) + QStringLiteral("','") + QLatin1String(e.lastName) + QStringLiteral("','")
        + QLatin1String(e.email) + QStringLiteral("','") + QLatin1String(e.company) + QStringLiteral("','")
        + QLatin1String(e.jobTitle) + QStringLiteral("')");
}

QString SampleDataStatements::workCodeInsert(int sample)
{
    const SampleWorkCode& w = kWorkCodes.at(static_cast<size_t>(sample));
    return QStringLiteral("insert into [Work Codes] (Description,Billable) values ('") + QLatin1String(w.description)
        + QStringLiteral("',") + QString::number(w.billable) + QStringLiteral(")");
}

QString SampleDataStatements::entryInsert(qint32 employee, qint32 workCode, int hours, const QString& description,
                                          const QDate& day)
{
    return QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) values (")
        + QString::number(employee) + QStringLiteral(",'") + text::dateToText(day) + QStringLiteral("',")
        + QString::number(workCode) + QStringLiteral(",'") + QString::number(hours) + QStringLiteral("','")
        + description + QStringLiteral("')");
}

}  // namespace hv::catalog
