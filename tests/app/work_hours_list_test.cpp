#include "fixtures/main_window_fixture.h"

#include "app/work_hours_model.h"
#include "app/work_hours_view.h"
#include "core/locale_text.h"

#include "data/connection.h"
#include "data/recordset.h"

#include <QCollator>
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

TEST_F(WorkHoursListTest, HeaderClicksSortByValueAndToggleTheOrder)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("2.5"), QStringLiteral("100")});
    auto window = start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    clickHeader(*window, 5);  // Hours ascending, as numbers
    EXPECT_EQ(column(*window, 4), QStringList({text::valueToText(2.5), "9", "10", "100"}));
    clickHeader(*window, 5);  // descending
    EXPECT_EQ(column(*window, 4), QStringList({"100", "10", "9", text::valueToText(2.5)}));

    clickHeader(*window, 2);  // Employee: ascending, descending, ascending
    EXPECT_EQ(column(*window, 1), QStringList({"Ann Lee", "Ann Lee", "Bob Kay", "Bob Kay"}));
    EXPECT_EQ(column(*window, 0), QStringList({"2", "4", "1", "3"}));
    clickHeader(*window, 2);
    EXPECT_EQ(column(*window, 0), QStringList({"1", "3", "2", "4"}));
    clickHeader(*window, 2);
    EXPECT_EQ(column(*window, 0), QStringList({"2", "4", "1", "3"}));
    EXPECT_EQ(window->listModel()->sortOrder(), WorkHoursModel::Ascending);

    clickHeader(*window, 3);  // another column: ascending by date
    EXPECT_EQ(window->listModel()->sortKey(), 2);
    EXPECT_EQ(window->listModel()->sortOrder(), WorkHoursModel::Ascending);
    EXPECT_EQ(column(*window, 0), QStringList({"1", "2", "3", "4"}));
    clickHeader(*window, 1);  // ID descending after ascending
    clickHeader(*window, 1);
    EXPECT_EQ(column(*window, 0), QStringList({"4", "3", "2", "1"}));
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
    // The first row in display order is current (ID 2, 8 hours), not the
    // first the query yields (ID 1, last in this sort).
    EXPECT_EQ(currentRow(*window), 0);
    EXPECT_EQ(window->selectedText(0), QStringLiteral("2"));
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

// An empty list draws what to do first inside itself, with nothing placed
// anew; the first entry takes the hint away.
TEST_F(WorkHoursListTest, AnEmptyListDrawsAHintUntilThereIsAnEntry)
{
    auto window = start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* view = qobject_cast<WorkHoursView*>(window->listView());
    ASSERT_NE(view, nullptr);
    const QRect place = view->geometry();
    EXPECT_TRUE(view->hint().contains(QStringLiteral("\"Add New Work\"")));
    EXPECT_TRUE(view->hint().contains(QStringLiteral("File > Import Old Database...")));
    const QImage drawn = view->viewport()->grab().toImage();
    const QRgb background = drawn.pixel(0, 0);
    bool written = false;
    for (int y = 0; y < drawn.height() && !written; ++y)
        for (int x = 0; x < drawn.width() && !written; ++x)
            written = drawn.pixel(x, y) != background;
    EXPECT_TRUE(written);

    addEntries({QStringLiteral("1")});
    window->ListData();
    EXPECT_TRUE(view->hint().isEmpty());
    EXPECT_EQ(view->geometry(), place);
    closeWindow(window);
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

TEST_F(WorkHoursListTest, ACellThatCannotBeReadIsReportedOnItsLineAndTheRowGoesOn)
{
    auto first = start();
    closeWindow(first);
    addEntries({QStringLiteral("3"), QStringLiteral("5")});
    {
        // A damaged file whose query lacks the Hours column.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(liveDatabase().toUtf8().constData(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw,
                               "DROP VIEW \"Work Hours Extended\";"
                               "CREATE VIEW \"Work Hours Extended\" AS SELECT h.ID AS ID, 'x' AS \"Employee Name\", "
                               "h.\"Date Worked\" AS \"Date Worked\", 'y' AS \"Work Code Description\", "
                               "h.\"Work Description\" AS \"Work Description\" FROM \"Work Hours\" AS h",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    auto window = start();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 2);  // once a row
    for (const QString& report : reports)
        EXPECT_TRUE(report.contains(QStringLiteral("Form1.ListData at line 116\r\r"))) << report.toStdString();
    const QList<QStringList> rows = listRows(*window);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], QStringList({"2", "x", text::dateToText(QDate(2026, 1, 2)), "y", "", "task 2"}));
}

// A few hundred entries with repeated and unique texts, Nulls, and entries
// whose employee or work code is gone: the list shows what the query gives,
// in the query's order until sorted, and sorted by value after each click,
// through refills that change, drop and add entries.
class WorkHoursListAgreement : public WorkHoursListTest {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        WorkHoursListTest::SetUp();
    }
    void TearDown() override
    {
        WorkHoursListTest::TearDown();
        QLocale::setDefault(m_previous);
    }

    void raw(const QString& sql) const
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(liveDatabase().toUtf8().constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    // Entries first .. first + count - 1 (numbered by n): employees 1-5 and a
    // missing one, work codes 1-3 and a missing one, descriptions from a few
    // shared texts, unique ones and Nulls.
    void writeEntries(int first, int count) const
    {
        static const char* shared[] = {"Support", "support", "Item 9", "item 10", "Äpfel", "", "Meeting"};
        QString sql = QStringLiteral("BEGIN;");
        for (int n = first; n < first + count; ++n) {
            const QString description = n % 5 == 0 ? QStringLiteral("NULL")
                : n % 3 == 0 ? QStringLiteral("'unique %1 text'").arg(n * 37 % 1000)
                             : QStringLiteral("'%1'").arg(QString::fromUtf8(shared[n % 7]));
            const QString hours = n % 11 == 0 ? QStringLiteral("NULL") : QString::number((n % 13 - 3) * 0.75);
            sql += QStringLiteral("INSERT INTO \"Work Hours\" (\"Employee\",\"Date Worked\",\"Work Code\",\"Hours\",\"Work Description\") "
                                  "VALUES (%1,'%2',%3,%4,%5);")
                       .arg(n % 6 == 0 ? 99 : n % 5 + 1)
                       .arg(QDate(2025, 1, 1).addDays(n * 17 % 400).toString(Qt::ISODate)
                            + (n % 9 == 0 ? QStringLiteral("T08:30:00") : QString()))
                       .arg(n % 4 == 0 ? 42 : n % 3 + 1)
                       .arg(hours, description);
        }
        raw(sql + QStringLiteral("COMMIT;"));
    }

    // The query's rows as values and as the texts the list must show.
    void readReference()
    {
        m_values.clear();
        m_texts.clear();
        data::Connection connection;
        connection.Open(QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + liveDatabase()
                        + QStringLiteral(";JET OLEDB:Database Password="));
        data::Recordset rs;
        rs.Open(QStringLiteral("select * from [Work Hours Extended]"), connection);
        for (; !rs.Eof(); rs.MoveNext()) {
            QVariantList values;
            QStringList texts;
            for (const char* name : {"ID", "Employee Name", "Date Worked", "Work Code Description", "Hours", "Work Description"}) {
                values.append(rs.Fields(QString::fromLatin1(name)));
                texts.append(rs.text(rs.fieldIndex(QString::fromLatin1(name))));
            }
            m_values.append(values);
            m_texts.append(texts);
        }
        rs.Close();
        connection.Close();
    }

    // The reference rows' texts sorted by a plain comparison of their values.
    QList<QStringList> sortedReference(int column, bool descending) const
    {
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(true);
        const auto less = [&](int a, int b) {
            const QVariant& x = m_values[a][column];
            const QVariant& y = m_values[b][column];
            const bool xEmpty = x.isNull() || x.toString().isEmpty();
            const bool yEmpty = y.isNull() || y.toString().isEmpty();
            if (xEmpty || yEmpty)
                return xEmpty && !yEmpty;
            if (column == 0 || column == 4)
                return x.toDouble() < y.toDouble();
            if (column == 2) {
                const auto at = [](const QVariant& v) {
                    return v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0), Qt::UTC) : v.toDateTime();
                };
                return at(x) < at(y);
            }
            return collator.compare(x.toString(), y.toString()) < 0;
        };
        QList<int> order;
        for (int i = 0; i < m_values.size(); ++i)
            order.append(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return descending ? less(b, a) : less(a, b); });
        QList<QStringList> rows;
        for (int i : order)
            rows.append(m_texts[i]);
        return rows;
    }

    void expectEveryColumnsSorts(Form1& window)
    {
        for (int position = 1; position <= 6; ++position) {
            window.ListView1_ColumnClick(position);
            EXPECT_EQ(listRows(window), sortedReference(position - 1, false)) << "column " << position << " ascending";
            window.ListView1_ColumnClick(position);
            EXPECT_EQ(listRows(window), sortedReference(position - 1, true)) << "column " << position << " descending";
        }
    }

    QLocale m_previous;
    QList<QVariantList> m_values;
    QList<QStringList> m_texts;
};

TEST_F(WorkHoursListAgreement, TextsOrdersAndCurrentRowMatchTheQueryThroughRefills)
{
    auto first = start();
    closeWindow(first);
    raw(QStringLiteral("INSERT INTO \"Employees\" (\"First Name\",\"Last Name\") VALUES ('Ann','Lee'),('bob','Kay'),"
                       "('Zoë','Adams'),('Ann','lee'),('Émile','Zola');"
                       "INSERT INTO \"Work Codes\" (\"Description\",\"Billable\") VALUES ('Coding',-1),('coding 2',0),('Coding 10',-1);"));
    writeEntries(1, 300);
    readReference();

    auto window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(listRows(*window), m_texts);  // the query's order until sorted
    EXPECT_EQ(currentRow(*window), 0);
    expectEveryColumnsSorts(*window);

    // A third of the entries go, others change, new ones come; the list,
    // still sorted by the last column descending, follows.
    raw(QStringLiteral("DELETE FROM \"Work Hours\" WHERE ID % 3 = 1;"
                       "UPDATE \"Work Hours\" SET \"Work Description\" = 'edited ' || ID, \"Hours\" = ID % 7 WHERE ID % 10 = 2;"
                       "DELETE FROM \"Employees\" WHERE ID = 2;"));
    writeEntries(301, 80);
    readReference();
    window->ListData();
    EXPECT_EQ(listRows(*window), sortedReference(5, true));
    EXPECT_EQ(currentRow(*window), 0);  // the first row as sorted
    expectEveryColumnsSorts(*window);
    EXPECT_TRUE(m_ui.messages().isEmpty());
    closeWindow(window);
}

}  // namespace
}  // namespace hv::test
