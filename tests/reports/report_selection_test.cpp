// A period, an employee or a work code chosen is selected by the database:
// the rows it gives are exactly those of the whole report filtered in
// memory, in the same order, on either engine, with entries without a date
// or an employee, times of day and entries on the ends of the period.
#include "reports_fixture.h"

#include "data/recordset.h"
#include "gui/shared_connection.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_rows.h"
#include "reports/engine/report_statements.h"

#include <algorithm>

namespace hv::test {
namespace {

using reports::ReportOptions;

struct SelectionCase {
    const char* name;
    QDate from;
    QDate to;
    const char* employee;  // nullptr: everyone
    const char* workCode;  // nullptr: every work code
    bool byProject = false;
};

void PrintTo(const SelectionCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReportSelectionTest : public ReportsTest,
                            public ::testing::WithParamInterface<std::tuple<Backend, SelectionCase>> {
protected:
    ReportSelectionTest() : ReportsTest(std::get<0>(GetParam())) {}

    void SetUp() override
    {
        ReportsTest::SetUp();
        if (IsSkipped())
            return;
        addEntries({
            {"Ann", "Lee", "Billable design", "2026-02-28T23:59:59", 1, "before the period"},
            {"Ann", "Lee", "Billable design", "2026-03-01", 2, "first day"},
            {"Bo", "O'Brien", "Billable design", "2026-03-01T00:00:00", 3, "first day at midnight"},
            {"Ann", "Lee", "Billable support", "2026-03-15T08:30:00", 4, "middle"},
            {"Bo", "O'Brien", "Billable support", "2026-03-15", 5, "middle, no time"},
            {"Ann", "Lee", "Billable design", "2026-03-31T23:59:59", 6, "last day, late"},
            {"Cy", "Ng", "Billable design", "2026-03-31", 7, "last day"},
            {"Ann", "Lee", "Billable design", "2026-04-01", 8, "after the period"},
            {"Cy", "Ng", "Training", "2026-03-10", 9, "not billable"},
            {"Gone", "Soon", "Billable support", "2026-03-20", 10, "employee gone"},
            {"", "", "Billable design", "2026-03-21", 11, "nameless employee"},
            {"Ann", "Lee", "Billable support", "2026-03-05", 12, "entered after later days"},
        });
        // An entry without a date, and an employee who has gone.
        rawSql(QStringLiteral("INSERT INTO \"Work Hours\" (\"Employee\", \"Work Code\", \"Hours\", \"Work Description\") "
                              "SELECT e.\"ID\", w.\"ID\", 13, 'no date' FROM \"Employees\" e, \"Work Codes\" w "
                              "WHERE e.\"First Name\" = 'Ann' AND w.\"Description\" = 'Billable design';"
                              "DELETE FROM \"Employees\" WHERE \"First Name\" = 'Gone';"));
    }

    static ReportOptions optionsOf(const SelectionCase& c)
    {
        ReportOptions options;
        options.period = {c.from, c.to};
        if (c.employee)
            options.employee = QString::fromUtf8(c.employee);
        if (c.workCode)
            options.workCode = QString::fromUtf8(c.workCode);
        return options;
    }

    static reports::ReportRows read(const QString& sql, const reports::ReportLayout& layout)
    {
        data::Recordset rs;
        rs.Open(sql, SharedConnection::get());
        return reports::ReportRows::read(rs, layout);
    }

    static QStringList rowText(const reports::ReportRows& rows, int row)
    {
        QStringList fields;
        for (int field = 0; field < rows.columnCount(); ++field)
            fields << rows.text(row, field);
        return fields;
    }
};

TEST_P(ReportSelectionTest, GivesTheRowsTheWholeReportFilteredInMemoryGives)
{
    const SelectionCase& c = std::get<1>(GetParam());
    const reports::ReportQuery& query =
        c.byProject ? reports::ReportStatements::billableByProject() : reports::ReportStatements::billableByEmployee();
    const reports::ReportLayout& layout =
        c.byProject ? reports::rptBillableHoursByProject() : reports::rptBillableHoursByEmployee();
    const ReportOptions options = optionsOf(c);
    const QString selecting = query.selecting(options);
    ASSERT_NE(selecting, query.text());

    // The whole report, filtered as the preview filters it.
    const reports::ReportRows all = read(query.text(), layout);
    const reports::ReportLines kept(all, layout, options);
    QList<QStringList> expected;
    for (int line = 0; line < kept.count(); ++line)
        expected << rowText(all, kept.at(line).row);
    ASSERT_FALSE(expected.isEmpty());

    // The same rows, each once (the engine's sort leaves rows of one name in
    // no particular order; the report orders them).
    const reports::ReportRows selected = read(selecting, layout);
    QList<QStringList> found;
    for (int row = 0; row < selected.rowCount(); ++row)
        found << rowText(selected, row);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected) << selecting.toStdString();
    // The groups keep their records, so the printed lines are the same too.
    const reports::ReportLines printed(selected, layout, options);
    ASSERT_EQ(printed.count(), kept.count());
    for (int line = 0; line < printed.count(); ++line)
        EXPECT_EQ(rowText(selected, printed.at(line).row), rowText(all, kept.at(line).row)) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ReportSelectionTest,
    ::testing::Combine(
        backends(),
        ::testing::Values(
            SelectionCase{"March", QDate(2026, 3, 1), QDate(2026, 3, 31), nullptr, nullptr},
            SelectionCase{"FromTheMiddle", QDate(2026, 3, 15), QDate(), nullptr, nullptr},
            SelectionCase{"UntilTheMiddle", QDate(), QDate(2026, 3, 15), nullptr, nullptr},
            SelectionCase{"TheLastDay", QDate(2026, 3, 31), QDate(2026, 3, 31), nullptr, nullptr},
            SelectionCase{"AnEmployee", QDate(), QDate(), "Ann Lee", nullptr},
            SelectionCase{"AnApostrophe", QDate(), QDate(), "Bo O'Brien", nullptr},
            SelectionCase{"NoName", QDate(), QDate(), "", nullptr},
            SelectionCase{"AWorkCode", QDate(), QDate(), nullptr, "Billable support", true},
            SelectionCase{"EveryChoice", QDate(2026, 3, 1), QDate(2026, 3, 31), "Ann Lee", "Billable design"})),
    [](const auto& info) {
        return std::string(std::get<1>(info.param).name) + (std::get<0>(info.param) == Backend::Server ? "_Server" : "_Local");
    });

}  // namespace
}  // namespace hv::test
