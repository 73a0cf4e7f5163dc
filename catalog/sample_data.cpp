#include "catalog/sample_data.h"

#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QDate>
#include <memory>

namespace hv::catalog {

namespace {

struct SampleEmployee {
    const char* firstName;
    const char* lastName;
    const char* email;
    const char* company;
    const char* jobTitle;
};
constexpr SampleEmployee kEmployees[] = {
    {"Rivo", "Zarodu", "rivo.zarodu@acme.example", "ACME", "Manager"},
    {"Razozo", "Zedava", "razozo.zedava@acme.example", "ACME", "HR"},
};

struct SampleWorkCode {
    const char* description;
    int billable;  // written as the decimal text of -1 or 0
};
constexpr SampleWorkCode kWorkCodes[] = {
    {"Software developing", -1},
    {"Researching", 0},
};

QString employeeInsert(const SampleEmployee& e)
{
    return QStringLiteral("insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('")
        + QLatin1String(e.firstName) + QStringLiteral("','") + QLatin1String(e.lastName) + QStringLiteral("','")
        + QLatin1String(e.email) + QStringLiteral("','") + QLatin1String(e.company) + QStringLiteral("','")
        + QLatin1String(e.jobTitle) + QStringLiteral("')");
}

QString workCodeInsert(const SampleWorkCode& w)
{
    return QStringLiteral("insert into [Work Codes] (Description,Billable) values ('") + QLatin1String(w.description)
        + QStringLiteral("',") + QString::number(w.billable) + QStringLiteral(")");
}

QString entryInsert(qint32 employee, qint32 workCode, int hours, const char* description)
{
    return QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) values (")
        + QString::number(employee) + QStringLiteral(",'") + text::dateToText(QDate::currentDate())
        + QStringLiteral("',") + QString::number(workCode) + QStringLiteral(",'") + QString::number(hours)
        + QStringLiteral("','") + QLatin1String(description) + QStringLiteral("')");
}

}  // namespace

void loadSampleData(QWidget* form1, const std::function<void()>& listData)
{
    ErrorReport err(ErrorReport::location(QStringLiteral("Form1"), QStringLiteral("PushButton4_Click")), form1);
    std::unique_ptr<data::Recordset> rs;
    qint32 rowCount = 0;
    qint32 firstEmployee = 1;
    qint32 lastEmployee = 1;
    qint32 firstWorkCode = 1;
    qint32 lastWorkCode = 1;

    const auto execute = [](const QString& sql) { SharedConnection::get().Execute(sql); };
    // Opens a query on the one recordset, reads its field into target when
    // there is a row, and closes it: four numbered lines from openLine on.
    const auto readValue = [&](int openLine, const char* sql, const char* field, qint32& target) {
        err.line(openLine, [&] { data::required(rs).Open(QString::fromLatin1(sql), SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly); });
        if (err.test(openLine + 2, [&] { return !data::required(rs).Eof(); }))
            err.line(openLine + 4, [&] { target = text::toLong(data::required(rs).Fields(QString::fromLatin1(field))); });
        err.line(openLine + 6, [&] { data::required(rs).Close(); });
    };
    // Adds the sample rows of one table while it holds fewer than two rows.
    const auto addWhileFewerThanTwo = [&](int firstLine, const QString& first, const QString& second) {
        int line = firstLine;
        for (const QString& insert : {first, second}) {
            if (err.test(line, [&] { return rowCount < 2; })) {
                err.line(line + 2, [&] { execute(insert); });
                err.line(line + 4, [&] { ++rowCount; });
            }
            line += 6;
        }
    };

    err.line(100, [&] { rs = data::ComponentFactory::createRecordset(); });

    err.line(102, [&] { rowCount = 0; });
    readValue(104, "SELECT Count(Employees.ID) AS [CountID] From Employees", "CountID", rowCount);
    addWhileFewerThanTwo(112, employeeInsert(kEmployees[0]), employeeInsert(kEmployees[1]));
    err.line(124, [&] { lastEmployee = 1; });
    err.line(126, [&] { firstEmployee = 1; });
    readValue(128, "SELECT First(Employees.ID) AS [MaxID] FROM Employees", "MaxID", firstEmployee);
    readValue(136, "SELECT Last(Employees.ID) AS [MaxID] FROM Employees", "MaxID", lastEmployee);

    err.line(144, [&] { rowCount = 0; });
    readValue(146, "SELECT Count([Work Codes].ID) AS [CountID] From [Work Codes]", "CountID", rowCount);
    addWhileFewerThanTwo(154, workCodeInsert(kWorkCodes[0]), workCodeInsert(kWorkCodes[1]));
    err.line(166, [&] { lastWorkCode = 1; });
    err.line(168, [&] { firstWorkCode = 1; });
    readValue(170, "SELECT First([Work Codes].ID) AS [MaxID] FROM [Work Codes]", "MaxID", firstWorkCode);
    readValue(178, "SELECT Last([Work Codes].ID) AS [MaxID] FROM [Work Codes]", "MaxID", lastWorkCode);

    struct SampleEntry {
        const qint32& employee;
        const qint32& workCode;
        int hours;
        const char* description;
    };
    const SampleEntry entries[] = {
        {lastEmployee, lastWorkCode, 7, "Research work"},
        {firstEmployee, firstWorkCode, 16, "Software programming"},
        {lastEmployee, firstWorkCode, 3, "Customazing"},
    };
    int line = 186;
    for (const SampleEntry& entry : entries) {
        QString sql;
        err.line(line, [&] { sql = entryInsert(entry.employee, entry.workCode, entry.hours, entry.description); });
        err.line(line + 2, [&] { execute(sql); });
        line += 4;
    }

    err.line(198, [&] { listData(); });
}

}  // namespace hv::catalog
