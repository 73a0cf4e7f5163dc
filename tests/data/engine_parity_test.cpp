// The two engines side by side: the same rows, written through Connection as
// the program's windows write them into a local file and into a database on
// the server, read back through every query the program reads give the same
// columns in the same order with the same values, of the same kinds.
#include "fixtures/database_fixture.h"

#include "data/prepared_statement.h"
#include "data/recordset.h"

#include <QDateTime>
#include <algorithm>

namespace hv::test {
namespace {

using data::Connection;

// What the windows and the sample data write, in the order they write it:
// names that sort alike but for case, a company standing for an empty name,
// Null names and descriptions, text that looks like SQL, dates with and
// without a time of day, entries of one day under several names, edits, and
// an entry left behind by a deleted employee and work code.
const char* const kWrites[] = {
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) "
    "values ('Ann','Lee','ann@example.com','','Lead')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('ann','Lee','','','')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('','Solo','','','')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('Cher','','','','')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('','','','ACME','')",
    "insert into Employees (Company) values ('Null Names Ltd')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) "
    "values ('Zed','O''Brien','','Kay & Co','')",
    "insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) values ('Gone','Away','','','')",
    "update Employees set [First Name]='Bea',[Notes]='line one\nline two; TRUE' where ID=4",
    "insert into [Work Codes] (Description,Billable) values ('Website',TRUE)",
    "insert into [Work Codes] (Description,Billable) values ('Apps',TRUE)",
    "insert into [Work Codes] (Description,Billable) values ('Leave',FALSE)",
    "insert into [Work Codes] (Billable) values (FALSE)",
    "insert into [Work Codes] (Description,Billable) values ('Gone code',TRUE)",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (1,'5/4/2026',1,'7.5','first')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (7,'5/4/2026',2,'0.25','O''Brien''s [Work Hours] \"TRUE\" First(x) 5;drop')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (2,'5/3/2026',1,'8','Zoë — ünïcødé ✓')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (3,'12/7/2026 8:30:00 AM',3,'-2','C:\\temp\\x')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (5,'5/4/2026',3,'1234.5','')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code]) values (6,'5/4/2026',4)",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (8,'1/31/2026',5,'3','orphan of both')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (6,'1/31/2026',2,'2','of a company')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (1,'5/4/2026',2,'1','second of the day')",
    "insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
    "values (4,'2/28/2026',1,'6','edited below')",
    "update [Work Hours] set Employee=2,[Work Code]=3,[Date Worked]='5/5/2026',[Hours]=4.75,"
    "[Work Description]='changed' where ID=10",
    "delete from Employees where ID=8",
    "delete from [Work Codes] where ID=5",
};

struct ProgramRead {
    const char* name;
    const char* sql;
    // Sorted by a column many rows share: those come in each engine's own
    // order (the reports order them), so the rows are compared as a set.
    bool tiesInEngineOrder = false;
};

void PrintTo(const ProgramRead& read, std::ostream* out)
{
    *out << read.sql;
}

// Every read of the program's: the list, the editors, the pickers, the
// reports and the sample data's counts, and each stored query as it stands.
const ProgramRead kReads[] = {
    {"List", "select * from [Work Hours Extended]"},
    {"EntryEditor", "select * from [Work Hours Extended] where ID=10"},
    {"EmployeePicker", "select * from [Employees Extended]"},
    {"WorkCodePicker", "select * from [Work Codes]"},
    {"EmployeeEditor", "select * from Employees where ID=4"},
    {"WorkCodeEditor", "select * from [Work Codes] where ID=4"},
    {"BillableByEmployee", "select * from [Billable Hours] order by [Employee Name]", true},
    {"BillableByProject", "select * from [Billable Hours] order by [Work Code Description]", true},
    {"NonBillableByEmployee", "select * from [Non Billable Hours] order by [Employee Name]", true},
    {"BillableHours", "select * from [Billable Hours]"},
    {"NonBillableHours", "select * from [Non Billable Hours]"},
    {"EmployeeCount", "SELECT Count(Employees.ID) AS [CountID] From Employees"},
    {"FirstEmployee", "SELECT First(Employees.ID) AS [MaxID] FROM Employees"},
    {"LastEmployee", "SELECT Last(Employees.ID) AS [MaxID] FROM Employees"},
    {"WorkCodeCount", "SELECT Count([Work Codes].ID) AS [CountID] From [Work Codes]"},
    {"FirstWorkCode", "SELECT First([Work Codes].ID) AS [MaxID] FROM [Work Codes]"},
    {"LastWorkCode", "SELECT Last([Work Codes].ID) AS [MaxID] FROM [Work Codes]"},
};

// A value with its kind, exactly: two values that print alike here are alike.
QString described(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("Null");
    switch (value.typeId()) {
    case QMetaType::Double:
        return QStringLiteral("double ") + QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QDateTime:
        return QStringLiteral("QDateTime ") + value.toDateTime().toString(Qt::ISODate);
    default:
        return QString::fromLatin1(value.typeName()) + u' ' + value.toString();
    }
}

// What one engine gives for a query: its column names in order, and each
// row as its values (with their kinds) and as the texts the list shows.
struct Reading {
    std::string columns;
    std::vector<std::string> rows;
};

Reading readingOf(Connection& connection, const QString& sql)
{
    Reading reading;
    data::Recordset recordset;
    recordset.Open(sql, connection);
    QStringList columns;
    for (int i = 0; i < recordset.fieldCount(); ++i)
        columns << recordset.fieldName(i);
    reading.columns = columns.join(QStringLiteral(", ")).toStdString();
    for (; !recordset.Eof(); recordset.MoveNext()) {
        QStringList row;
        for (int i = 0; i < recordset.fieldCount(); ++i)
            row << described(recordset.value(i)) + QStringLiteral(" \"") + recordset.text(i) + u'"';
        reading.rows.push_back(row.join(QStringLiteral(", ")).toStdString());
    }
    return reading;
}

// The same rows written into a local file and a schema of its own on the test
// server (skipped, saying so, when there is none).
class EngineParity : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        m_server = std::make_unique<TestServerSchema>();
        m_local.Open(m_file.connectionString());
        m_remote.Open(m_server->address());
        for (const char* sql : kWrites) {
            m_local.Execute(QString::fromUtf8(sql));
            m_remote.Execute(QString::fromUtf8(sql));
        }
    }

    ScopedLocale m_locale{QStringLiteral("en_US")};
    TemporaryDatabase m_file;
    std::unique_ptr<TestServerSchema> m_server;
    Connection m_local;
    Connection m_remote;
};

class ProgramReads : public EngineParity, public ::testing::WithParamInterface<ProgramRead> {};

TEST_P(ProgramReads, GiveTheSameColumnsAndValuesOnBothEngines)
{
    const QString sql = QString::fromUtf8(GetParam().sql);
    Reading local = readingOf(m_local, sql);
    Reading server = readingOf(m_remote, sql);
    EXPECT_EQ(server.columns, local.columns);
    ASSERT_FALSE(local.rows.empty()) << "the rows written reach no row of " << GetParam().sql;
    if (GetParam().tiesInEngineOrder) {
        std::sort(local.rows.begin(), local.rows.end());
        std::sort(server.rows.begin(), server.rows.end());
    }
    EXPECT_EQ(server.rows, local.rows);
}

INSTANTIATE_TEST_SUITE_P(Queries, ProgramReads, ::testing::ValuesIn(kReads),
                         [](const ::testing::TestParamInfo<ProgramRead>& info) { return std::string(info.param.name); });

// The program's own statements (the export) read every kind of cell alike.
TEST_F(EngineParity, PreparedReadsGiveTheSameCells)
{
    const auto cells = [](Connection& connection) {
        data::PreparedStatement entries(connection, QStringLiteral("SELECT * FROM \"Work Hours Extended\" ORDER BY \"ID\""));
        std::vector<std::string> rows;
        while (entries.next()) {
            QStringList row;
            for (int column = 0; column < 6; ++column) {
                row << (entries.isNull(column)  ? QStringLiteral("Null")
                        : entries.isNumber(column) ? QString::number(entries.number(column), 'g', 17)
                                                   : u'"' + entries.text(column) + u'"');
            }
            rows.push_back(row.join(QStringLiteral(", ")).toStdString());
        }
        return rows;
    };
    const std::vector<std::string> local = cells(m_local);
    ASSERT_EQ(local.size(), 10);
    EXPECT_EQ(cells(m_remote), local);
}

}  // namespace
}  // namespace hv::test
