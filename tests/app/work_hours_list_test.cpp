#include "main_window_fixture.h"

#include "app/work_hours_model.h"
#include "data/locale_text.h"

#include <QHeaderView>
#include <sqlite3.h>
#include <QTest>
#include <QTreeView>

namespace hv::test {
namespace {

class WorkHoursListTest : public MainWindowTest {
protected:
    // Two employees, two work codes and entries with the given hours.
    void addEntries(const QStringList& hours, bool withNullDescription = false)
    {
        QStringList sql{
            QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')"),
            QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Bob','Kay')"),
            QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Coding',TRUE)"),
            QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Meeting',FALSE)"),
        };
        int n = 0;
        for (const QString& h : hours) {
            ++n;
            sql.append(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) values (")
                       + QString::number(n % 2 + 1) + QStringLiteral(",'")
                       + text::dateToText(QDate(2026, 1, n)) + QStringLiteral("',") + QString::number(n % 2 + 1)
                       + QStringLiteral(",'") + h + QStringLiteral("','task ") + QString::number(n) + QStringLiteral("')"));
        }
        if (withNullDescription)
            sql.append(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) values (1,'")
                       + text::dateToText(QDate(2026, 2, 1)) + QStringLiteral("',1,'4')"));
        execute(sql);
    }

    // Clicks the header of the list column at position (from 1).
    static void clickHeader(Form1& window, int position)
    {
        QHeaderView* header = window.listView()->header();
        const int x = header->sectionViewportPosition(position - 1) + header->sectionSize(position - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    static QStringList column(const Form1& window, int c)
    {
        QStringList texts;
        for (const QStringList& row : listRows(window))
            texts.append(row.at(c));
        return texts;
    }

    static int currentRow(const Form1& window)
    {
        return window.listView()->currentIndex().row();
    }
};

TEST_F(WorkHoursListTest, ShowsEveryEntryWithItsTextsAndANullDescriptionAsEmpty)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("7"), QStringLiteral("16")}, true);

    auto window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join(QStringLiteral("\n")).toStdString();
    const QList<QStringList> rows = listRows(*window);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QStringList({"1", "Bob Kay", text::dateToText(QDate(2026, 1, 1)), "Meeting", "7", "task 1"}));
    EXPECT_EQ(rows[1].at(1), QStringLiteral("Ann Lee"));
    EXPECT_EQ(rows[1].at(4), QStringLiteral("16"));
    EXPECT_EQ(rows[2].at(5), QString());
    EXPECT_EQ(currentRow(*window), 0);
    EXPECT_TRUE(window->listView()->selectionModel()->isRowSelected(0, {}));
}

TEST_F(WorkHoursListTest, HeaderClicksSortAsTextAndToggleTheOrder)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("2.5"), QStringLiteral("100")});
    auto window = start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    clickHeader(*window, 5);  // Hours ascending, as text
    EXPECT_EQ(column(*window, 4), QStringList({"10", "100", text::valueToText(2.5), "9"}));
    clickHeader(*window, 5);  // descending
    EXPECT_EQ(column(*window, 4), QStringList({"9", text::valueToText(2.5), "100", "10"}));

    clickHeader(*window, 2);  // Employee: ascending, descending, ascending
    EXPECT_EQ(column(*window, 1), QStringList({"Ann Lee", "Ann Lee", "Bob Kay", "Bob Kay"}));
    EXPECT_EQ(column(*window, 0), QStringList({"2", "4", "1", "3"}));
    clickHeader(*window, 2);
    EXPECT_EQ(column(*window, 0), QStringList({"1", "3", "2", "4"}));
    clickHeader(*window, 2);
    EXPECT_EQ(column(*window, 0), QStringList({"2", "4", "1", "3"}));
    EXPECT_EQ(window->listModel()->sortOrder(), WorkHoursModel::Ascending);

    clickHeader(*window, 3);  // another column: ascending by date text
    EXPECT_EQ(window->listModel()->sortKey(), 2);
    EXPECT_EQ(window->listModel()->sortOrder(), WorkHoursModel::Ascending);
    QStringList dates = column(*window, 2);
    QStringList sortedDates = dates;
    std::stable_sort(sortedDates.begin(), sortedDates.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(dates, sortedDates);
    closeWindow(window);
}

TEST_F(WorkHoursListTest, RefillKeepsTheUsersSortAndMakesTheFirstEntryCurrent)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("3"), QStringLiteral("8"), QStringLiteral("5")});
    auto window = start();

    window->ListView1_ColumnClick(5);
    window->ListView1_ColumnClick(5);  // Hours descending
    execute({QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) values (1,'")
             + text::dateToText(QDate(2026, 3, 1)) + QStringLiteral("',1,'6','new')")});
    window->ListData();

    EXPECT_EQ(column(*window, 4), QStringList({"8", "6", "5", "3"}));
    // The entry the query yields first (ID 1, 3 hours) is current, wherever the sort put it.
    EXPECT_EQ(currentRow(*window), 3);
    EXPECT_EQ(window->listModel()->text(currentRow(*window), 0), QStringLiteral("1"));
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(WorkHoursListTest, HourglassPointerKeepsTheOldRowsDuringARefill)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("1")});
    auto window = start();
    window->setMousePointer(Form1::PointerHourglass);
    window->ListData();
    EXPECT_EQ(window->listModel()->rowCount(), 2);
    window->setMousePointer(Form1::PointerDefault);
    window->ListData();
    EXPECT_EQ(window->listModel()->rowCount(), 1);
}

TEST_F(WorkHoursListTest, AFailingQueryIsReportedOnceAndLeavesTheListEmpty)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("1"), QStringLiteral("2")});
    auto window = start();
    ASSERT_EQ(window->listModel()->rowCount(), 2);
    {
        // The program itself never changes the schema; a damaged file can lack a query.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(liveDatabase().toUtf8().constData(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, "DROP VIEW \"Work Hours Extended\"", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }

    window->ListData();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("no such table")) || reports[0].contains(QStringLiteral("Work Hours Extended")))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("in Vevudazor2021/08/31.Form1.ListData at line 104\r\r")));
    EXPECT_EQ(window->listModel()->rowCount(), 0);
}

}  // namespace
}  // namespace hv::test
