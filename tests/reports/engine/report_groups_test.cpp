// The groups of a report's rows, read from the program's own database: the
// entries whose employee or work code has gone stand where the report
// statement's order puts a Null name, before every other group.
#include "fixtures/database_fixture.h"

#include "data/recordset.h"
#include "reports/engine/report_groups.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_rows.h"
#include "reports/engine/report_statements.h"

#include <QStringList>
#include <numeric>

namespace hv::test {
namespace {

struct GroupCase {
    const char* name;
    const reports::ReportLayout& (*layout)();
    QString (*statement)();
    const char* expected;  // the groups' names in printing order, "|" between them
};

void PrintTo(const GroupCase& c, std::ostream* out)
{
    *out << c.name;
}

// The columns of a report without the records' IDs, as a database made
// before it carried them gives them: the groups are names then.
QString byEmployeeWithoutKeys()
{
    return QStringLiteral("select [Employee Name], [Work Code Description], [Date Worked], Hours, [Work Description] "
                          "from [Work Hours Extended] order by [Employee Name]");
}

QString byWorkCodeWithoutKeys()
{
    return QStringLiteral("select [Employee Name], [Work Code Description], [Date Worked], Hours, [Work Description] "
                          "from [Work Hours Extended] order by [Work Code Description]");
}

class ReportGroupsTest : public DatabaseTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(ReportGroupsTest, TheGroupWithoutARecordComesFirstAsItsNullNameSorts)
{
    const qint64 bob = addEmployee(QStringLiteral("Bob"), QStringLiteral("Stone"));
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 gone = addEmployee(QStringLiteral("Gone"), QStringLiteral("Away"));
    const qint64 web = addWorkCode(QStringLiteral("Web"), true);
    const qint64 apps = addWorkCode(QStringLiteral("Apps"), true);
    const qint64 old = addWorkCode(QStringLiteral("Old"), true);
    addEntry(bob, QDate(2026, 3, 2), web, QStringLiteral("1"), QStringLiteral("a"));
    addEntry(gone, QDate(2026, 3, 3), web, QStringLiteral("2"), QStringLiteral("b"));
    addEntry(ann, QDate(2026, 3, 4), apps, QStringLiteral("3"), QStringLiteral("c"));
    addEntry(bob, QDate(2026, 3, 5), old, QStringLiteral("4"), QStringLiteral("d"));
    addEntry(gone, QDate(2026, 3, 6), apps, QStringLiteral("5"), QStringLiteral("e"));
    execute(QStringLiteral("delete from Employees where ID=%1").arg(gone));
    execute(QStringLiteral("delete from [Work Codes] where ID=%1").arg(old));

    const reports::ReportLayout& layout = GetParam().layout();
    data::Recordset rs;
    rs.Open(GetParam().statement(), db());
    const reports::ReportRows rows = reports::ReportRows::read(rs, layout);
    std::vector<int> shown(static_cast<std::size_t>(rows.rowCount()));
    std::iota(shown.begin(), shown.end(), 0);
    const reports::ReportGroups groups(rows, layout, shown);

    QStringList printed;
    for (const std::size_t position : groups.order()) {
        const QString& name = groups.name(groups.groupOf(position));
        if (printed.isEmpty() || printed.last() != name)
            printed << name;
    }
    EXPECT_EQ(printed.join(u'|'), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportGroupsTest,
    ::testing::Values(GroupCase{"ByEmployee", reports::rptBillableHoursByEmployee,
                                reports::ReportStatements::billableHoursByEmployee,
                                "(no employee)|Ann Lee|Bob Stone"},
                      GroupCase{"ByEmployeeWithoutKeys", reports::rptBillableHoursByEmployee, byEmployeeWithoutKeys,
                                "(no employee)|Ann Lee|Bob Stone"},
                      GroupCase{"ByWorkCodeWithoutKeys", reports::rptBillableHoursByProject, byWorkCodeWithoutKeys,
                                "(no work code)|Apps|Web"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test
