#include "app/main_window.h"
#include "app/undo_actions.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/recordset.h"
#include "fixtures/main_window_fixture.h"

#include <QAction>
#include <QDate>
#include <QPushButton>
#include <algorithm>

namespace hv::test {
namespace {

class SampleDataTest : public MainWindowTest {
protected:
    // Each row of a query as its values joined to text, tab-separated.
    QStringList query(const QString& sql) const
    {
        data::Connection connection;
        connection.Open(QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + liveDatabase()
                        + QStringLiteral(";JET OLEDB:Database Password="));
        data::Recordset rs;
        rs.Open(sql, connection);
        QStringList result;
        while (!rs.Eof()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << rs.text(i);
            result << cells.join(QLatin1Char('\t'));
            rs.MoveNext();
        }
        rs.Close();
        connection.Close();
        return result;
    }

    static void pressSampleData(Form1& window)
    {
        window.findChild<QPushButton*>(QStringLiteral("PushButton4"))->click();
    }

    QString today() const { return text::dateToText(QDate::currentDate()); }
};

TEST_F(SampleDataTest, AnEmptyDatabaseReceivesTheWholeSetAndTheListShowsIt)
{
    auto window = start();
    pressSampleData(*window);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << "no question before and no message after";

    EXPECT_EQ(query(QStringLiteral("select ID, [First Name], [Last Name], Company, [Job Title] from Employees")),
              (QStringList{"1\tRivo\tZarodu\tACME\tManager", "2\tRazozo\tZedava\tACME\tHR"}));
    const QStringList emails = query(QStringLiteral("select [E-mail Address] from Employees"));
    ASSERT_EQ(emails.size(), 2);
    EXPECT_TRUE(emails.at(0).contains('@'));
    EXPECT_NE(emails.at(0), emails.at(1));
    EXPECT_EQ(query(QStringLiteral("select ID, Description, Billable from [Work Codes]")),
              (QStringList{"1\tSoftware developing\tTrue", "2\tResearching\tFalse"}));
    EXPECT_EQ(query(QStringLiteral("select Employee, [Date Worked], [Work Code], Hours, [Work Description] "
                                   "from [Work Hours]")),
              (QStringList{QStringLiteral("2\t%1\t2\t7\tResearch work").arg(today()),
                           QStringLiteral("1\t%1\t1\t16\tSoftware programming").arg(today()),
                           QStringLiteral("2\t%1\t1\t3\tCustomazing").arg(today())}));

    const QList<QStringList> list = listRows(*window);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).mid(1), (QStringList{"Razozo Zedava", today(), "Researching", "7", "Research work"}));
    EXPECT_EQ(list.at(1).mid(1),
              (QStringList{"Rivo Zarodu", today(), "Software developing", "16", "Software programming"}));
    EXPECT_EQ(list.at(2).mid(1), (QStringList{"Razozo Zedava", today(), "Software developing", "3", "Customazing"}));
}

TEST_F(SampleDataTest, TheWholeSetIsOneChangeThatUndoTakesBack)
{
    auto window = start();
    pressSampleData(*window);
    QAction& undo = *window->undoActions()->undo();
    EXPECT_EQ(undo.text(), QStringLiteral("&Undo Load Sample/Example Data"));
    undo.trigger();
    for (const char* table : {"Employees", "[Work Codes]", "[Work Hours]"})
        EXPECT_TRUE(query(QStringLiteral("select ID from %1").arg(QLatin1String(table))).isEmpty()) << table;
    EXPECT_TRUE(listRows(*window).isEmpty());
}

TEST_F(SampleDataTest, ASecondPressAddsOnlyEntries)
{
    auto window = start();
    pressSampleData(*window);
    pressSampleData(*window);
    EXPECT_EQ(query(QStringLiteral("select ID from Employees")).size(), 2);
    EXPECT_EQ(query(QStringLiteral("select ID from [Work Codes]")).size(), 2);
    EXPECT_EQ(listRows(*window).size(), 6);
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
}

TEST_F(SampleDataTest, OneExistingEmployeeGetsRivoBesideItAndTheEntriesBookedToBoth)
{
    auto window = start();
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Only','One')"),
             QStringLiteral("insert into [Work Codes] (Description,Billable) values ('A',TRUE)"),
             QStringLiteral("insert into [Work Codes] (Description,Billable) values ('B',FALSE)"),
             QStringLiteral("insert into [Work Codes] (Description,Billable) values ('C',FALSE)")});
    pressSampleData(*window);

    EXPECT_EQ(query(QStringLiteral("select ID, [First Name] from Employees")),
              (QStringList{"1\tOnly", "2\tRivo"}));
    EXPECT_EQ(query(QStringLiteral("select Description from [Work Codes]")), (QStringList{"A", "B", "C"}));
    // Entry 1: last employee, last code; 2: first, first; 3: last, first.
    EXPECT_EQ(query(QStringLiteral("select Employee, [Work Code] from [Work Hours]")),
              (QStringList{"2\t3", "1\t1", "2\t1"}));
}

TEST_F(SampleDataTest, StepsThatFailAreReportedAndLeaveTheirValues)
{
    auto window = start();
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('A','A')"),
             QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('B','B')"),
             QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('C','C')")});
    m_ui.clear();
    // Without the recordset component no count can be read: it stays 0, so
    // both sample rows of each table are added, and every ID stays 1.
    data::ComponentFactory::setAvailable(data::kRecordsetProgId, false);
    pressSampleData(*window);
    data::ComponentFactory::resetAvailability();

    const QStringList reports = m_ui.errorReports();
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_TRUE(reports.first().contains(QStringLiteral("in Vevudazor2021/08/31.Form1.PushButton4_Click at line 100")));
    EXPECT_TRUE(std::any_of(reports.begin(), reports.end(), [](const QString& report) {
        return report.contains(QStringLiteral("Form1.ListData at line 102"));
    }));
    EXPECT_EQ(query(QStringLiteral("select [First Name] from Employees")),
              (QStringList{"A", "B", "C", "Rivo", "Razozo"}));
    EXPECT_EQ(query(QStringLiteral("select Employee, [Work Code] from [Work Hours]")),
              (QStringList{"1\t1", "1\t1", "1\t1"}));
}

}  // namespace
}  // namespace hv::test
