#include "app/work_hours_model.h"
#include "core/runtime_error.h"

#include "core/locale_text.h"
#include "core/user_collator.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace hv {
namespace {

// A model with the list's six columns and the given rows (ID and Hours only).
class WorkHoursModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* header : {"ID", "Employee", "Date Worked", " Work Code", "Hours", " Work Description"})
            model.addColumn(QString::fromLatin1(header));
    }

    void fill(const std::vector<std::pair<QString, QString>>& rows)
    {
        WorkHoursModel::Fill batch(model);
        for (const auto& [id, employee] : rows) {
            const int row = model.addRow(id);
            model.setCell(row, 1, employee);
        }
    }

    QStringList column(int c) const
    {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts.append(model.text(r, c));
        return texts;
    }

    void sortBy(int column, int order)
    {
        model.setSorted(false);
        model.setSortKey(column);
        model.setSortOrder(order);
        model.setSorted(true);
    }

    // Rows whose cell `column` holds each of the values, added in the order
    // given; the ID cell numbers them from 1.
    void fillColumn(int column, const QVariantList& values)
    {
        WorkHoursModel::Fill batch(model);
        qint64 id = 0;
        for (const QVariant& value : values) {
            const int row = model.addRow(QVariant::fromValue(++id));
            if (column != 0)
                model.setCell(row, column, value);
        }
    }

    WorkHoursModel model;
};

TEST_F(WorkHoursModelTest, ShowsRowsInAddingOrderUntilSorted)
{
    fill({{"3", "b"}, {"1", "a"}, {"2", "c"}});
    EXPECT_EQ(column(0), QStringList({"3", "1", "2"}));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral(" Work Code"));
}

TEST_F(WorkHoursModelTest, EqualTextsKeepTheirAddingOrderBothWays)
{
    fill({{"1", "Lee"}, {"2", "adams"}, {"3", "lee"}, {"4", "Adams"}});
    sortBy(1, WorkHoursModel::Ascending);
    EXPECT_EQ(column(0), QStringList({"2", "4", "1", "3"}));
    sortBy(1, WorkHoursModel::Descending);
    EXPECT_EQ(column(0), QStringList({"1", "3", "2", "4"}));
}

TEST_F(WorkHoursModelTest, RefillKeepsTheSort)
{
    sortBy(0, WorkHoursModel::Descending);
    fill({{"5", ""}, {"7", ""}, {"6", ""}});
    EXPECT_EQ(column(0), QStringList({"7", "6", "5"}));

    model.clearRows();
    EXPECT_EQ(model.rowCount(), 0);
    fill({{"1", ""}, {"8", ""}});
    EXPECT_EQ(column(0), QStringList({"8", "1"}));
}

TEST_F(WorkHoursModelTest, CompactedTextsKeepTheirCellsAndTheirOrder)
{
    // Thousands of distinct texts, then a refill that keeps one in six: the
    // texts no row shows any more are dropped, and the rest stay right.
    QVariantList many;
    for (int i = 0; i < 3000; ++i)
        many.append(QStringLiteral("task %1").arg((i * 7) % 3000));
    fillColumn(5, many);
    sortBy(5, WorkHoursModel::Descending);
    EXPECT_EQ(model.text(0, 5), QStringLiteral("task 2999"));

    QVariantList few;
    for (int i = 0; i < many.size(); i += 6)
        few.append(many.at(i));
    few.append(QStringLiteral("Task 10"));  // new, and equal to a kept one but for case
    model.clearRows();
    fillColumn(5, few);
    ASSERT_EQ(model.rowCount(), few.size());
    QStringList expected;
    for (const QVariant& v : few)
        expected.append(v.toString());
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() > b.mid(5).toInt();
    });
    EXPECT_EQ(column(5), expected);
    sortBy(5, WorkHoursModel::Ascending);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(column(5), expected);
}

TEST_F(WorkHoursModelTest, FillShowsItsRowsWithOneReset)
{
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    fill({{"1", ""}, {"2", ""}, {"3", ""}});
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(WorkHoursModelTest, SortingMovesPersistentIndexesWithTheirRows)
{
    fill({{"2", "b"}, {"1", "a"}, {"3", "c"}});
    const QPersistentModelIndex held = model.index(0, 0);  // the row with ID 2
    sortBy(0, WorkHoursModel::Ascending);
    ASSERT_TRUE(held.isValid());
    EXPECT_EQ(held.row(), 1);
    EXPECT_EQ(held.data().toString(), QStringLiteral("2"));
}

// A million rows of forty employees, hours of 0.1 and 0.25: the filter keeps
// the order of the sort, and the total is the exact decimal sum.
TEST_F(WorkHoursModelTest, FilterOfAMillionRowsKeepsTheirOrderAndAddsTheirHoursExactly)
{
    constexpr int kRows = 1000000;
    {
        WorkHoursModel::Fill batch(model);
        const QDate first(2026, 1, 1);
        for (int i = 0; i < kRows; ++i) {
            const int row = model.addRow(QVariant::fromValue<qint64>(i + 1));
            model.setCell(row, 1, QStringLiteral("Employee %1").arg(i % 40));
            model.setCell(row, 2, first.addDays(i % 365));
            model.setCell(row, 3, i % 3 == 0 ? QStringLiteral("Support") : QStringLiteral("Design"));
            model.setCell(row, 4, i % 2 == 0 ? 0.1 : 0.25);
            model.setCell(row, 5, QStringLiteral("task %1").arg(i % 1000));
        }
    }
    sortBy(0, WorkHoursModel::Descending);
    EntryFilter filter;
    filter.employee = QStringLiteral("Employee 7");
    model.setFilter(filter);
    // Rows 7, 47, 87, ...: all odd, so every one of them has 0.25 hours.
    ASSERT_EQ(model.rowCount(), kRows / 40);
    EXPECT_EQ(model.text(0, 0), QStringLiteral("999968"));
    EXPECT_EQ(model.text(model.rowCount() - 1, 0), QStringLiteral("8"));
    EXPECT_EQ(model.shownTotal().toPlainText(), QStringLiteral("6250"));

    filter = {};
    filter.text = QStringLiteral("TASK 99");  // task 99 and task 990 to 999
    filter.period = {QDate(2026, 1, 1), QDate(2026, 1, 31)};
    model.setFilter(filter);
    int expected = 0;
    EntryFilter::Result reference;
    for (int i = 0; i < kRows; ++i) {
        const int task = i % 1000;
        if ((task == 99 || (task >= 990 && task <= 999)) && i % 365 < 31) {
            ++expected;
            reference.total.add(i % 2 == 0 ? 0.1 : 0.25);
        }
    }
    EXPECT_EQ(model.rowCount(), expected);
    EXPECT_EQ(model.shownTotal().toPlainText(), reference.total.toPlainText());

    model.setFilter(std::nullopt);
    EXPECT_EQ(model.rowCount(), kRows);
}

TEST_F(WorkHoursModelTest, BadCellAddressesRaiseIndexOutOfBounds)
{
    fill({{"1", ""}});
    EXPECT_THROW(model.setCell(5, 1, QString()), RuntimeError);
    EXPECT_THROW(model.setCell(0, 6, QString()), RuntimeError);
    EXPECT_THROW(model.setCell(-1, 1, QString()), RuntimeError);
    EXPECT_THROW(model.text(1, 0), RuntimeError);
    try {
        model.setCell(-1, 1, QString());
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::IndexOutOfBounds);
    }
}

// Each kind of column sorts by value under the user's locale; the cells show
// the values as text under the locale of the fill.
class ValueSort : public WorkHoursModelTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
        WorkHoursModelTest::SetUp();
    }
    void TearDown() override { QLocale::setDefault(m_previous); }

    // The IDs of the rows in display order, after an ascending and after a
    // descending sort by the column.
    std::pair<QStringList, QStringList> ordersOf(int column)
    {
        sortBy(column, WorkHoursModel::Ascending);
        QStringList up = this->column(0);
        sortBy(column, WorkHoursModel::Descending);
        return {up, this->column(0)};
    }

    static QStringList ids(std::initializer_list<int> numbers)
    {
        QStringList texts;
        for (int n : numbers)
            texts.append(QString::number(n));
        return texts;
    }

    QLocale m_previous;
};

TEST_P(ValueSort, NumbersByValueWithEmptyCellsFirst)
{
    fillColumn(4, {9.0, 10.0, 2.5, QVariant(), -5.0, 100.0, 16.0, 10.0});
    EXPECT_EQ(model.text(2, 4), text::valueToText(2.5));
    const auto [up, down] = ordersOf(4);
    EXPECT_EQ(up, ids({4, 5, 3, 1, 2, 8, 7, 6}));
    EXPECT_EQ(down, ids({6, 7, 2, 8, 1, 3, 5, 4}));  // equal hours keep their adding order

    // The ID column: whole numbers, 10 after 9.
    model.clearRows();
    {
        WorkHoursModel::Fill batch(model);
        for (qint64 id : {9, 100, 10, 2})
            model.addRow(QVariant::fromValue(id));
    }
    sortBy(0, WorkHoursModel::Ascending);
    EXPECT_EQ(column(0), ids({2, 9, 10, 100}));
}

TEST_P(ValueSort, DatesChronologicallyWhateverTheirText)
{
    const QDateTime evening(QDate(2025, 11, 1), QTime(18, 30), Qt::UTC);
    fillColumn(2, {QDate(2025, 8, 1), QDate(2025, 12, 1), QDate(2025, 7, 1), evening, QVariant(),
                   QDate(2025, 11, 1), QDate(2024, 12, 31)});
    EXPECT_EQ(model.text(0, 2), text::dateToText(QDate(2025, 8, 1)));
    EXPECT_EQ(model.text(3, 2), text::valueToText(evening));
    const auto [up, down] = ordersOf(2);
    EXPECT_EQ(up, ids({5, 7, 3, 1, 6, 4, 2}));
    EXPECT_EQ(down, ids({2, 4, 6, 1, 3, 7, 5}));
}

TEST_P(ValueSort, TextsByTheLocalesCollation)
{
    // In ascending order under the locale; "apfel" and "Apfel" are equal and
    // keep their adding order both ways, numbers within texts go by value.
    const QString locale = QString::fromLatin1(GetParam());
    QStringList latin = {"apfel", "Apfel", "Äpfel", "b2", "B10", "Item 9", "item 10", "ö", "Ola", "Zebra"};
    const QStringList cyrillic = {"анна", "Борис"};
    const QStringList expected = locale == QStringLiteral("ru_RU") ? cyrillic + latin : latin + cyrillic;

    // An empty text, an empty cell and "apfel" first, the others scrambled.
    QVariantList values{QString(), QVariant(), QStringLiteral("apfel")};
    for (int i : {7, 11, 3, 9, 5, 1, 10, 2, 8, 4, 6, 0}) {
        if (expected.at(i) != QStringLiteral("apfel"))
            values.append(expected.at(i));
    }
    fillColumn(1, values);
    sortBy(1, WorkHoursModel::Ascending);
    QStringList shown = column(1);
    EXPECT_EQ(shown.mid(0, 2), QStringList({QString(), QString()}));
    EXPECT_EQ(shown.mid(2), expected);

    sortBy(1, WorkHoursModel::Descending);
    QStringList reversed = expected;
    std::reverse(reversed.begin(), reversed.end());
    std::swap(reversed[reversed.indexOf(QStringLiteral("apfel"))], reversed[reversed.indexOf(QStringLiteral("Apfel"))]);
    shown = column(1);
    EXPECT_EQ(shown.mid(0, expected.size()), reversed);
    EXPECT_EQ(column(0).mid(expected.size()), ids({1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Locales, ValueSort, ::testing::Values("en_US", "de_DE", "ru_RU", "C"));

// Texts whose sort keys were made ahead of the click, in part or whole, sort
// exactly as texts sorted at the click: after a fill, and after a refill
// that keeps some texts, drops others and brings new ones.
class PreparedSort : public WorkHoursModelTest, public ::testing::WithParamInterface<int> {
protected:
    // Runs the given number of slices of 500 texts each (-1: until done).
    void prepare()
    {
        for (int slice = 0; GetParam() < 0 || slice < GetParam(); ++slice) {
            if (model.prepareSorts(500))
                return;
        }
    }

    // The texts in the order the collation gives them, equal texts in the
    // order their rows were added.
    static QStringList collated(QStringList texts)
    {
        const QCollator collator = userCollator();
        std::stable_sort(texts.begin(), texts.end(),
                         [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        return texts;
    }

    static QVariantList variants(const QStringList& texts)
    {
        QVariantList values;
        for (const QString& text : texts)
            values.append(text);
        return values;
    }
};

TEST_P(PreparedSort, GivesTheOrderOfTextsSortedAtTheClick)
{
    // Distinct texts, some equal but for case, numbers within them.
    QStringList texts;
    for (int i = 0; i < 5000; ++i)
        texts.append(QStringLiteral("%1 task %2").arg(i % 3 == 0 ? QStringLiteral("Call") : QStringLiteral("call"))
                         .arg((i * 7919) % 2500));
    // Each refill keeps every other text of the last and brings new ones,
    // so that the texts no row shows are dropped while keys are half made.
    const auto refill = [&](const QString& word) {
        QStringList next;
        for (int i = 0; i < texts.size(); i += 2)
            next.append(texts.at(i));
        for (int i = 0; i < 1500; ++i)
            next.append(QStringLiteral("%1 %2").arg(word).arg(i * 13 % 1500));
        texts = next;
        model.clearRows();
        fillColumn(5, variants(texts));
    };

    fillColumn(5, variants(texts));
    prepare();
    refill(QStringLiteral("Ask"));
    prepare();
    sortBy(5, WorkHoursModel::Ascending);
    EXPECT_EQ(column(5), collated(texts));

    // Sorted by the column, the list takes a refill at its sorted places.
    refill(QStringLiteral("ask again"));
    prepare();
    sortBy(5, WorkHoursModel::Ascending);
    EXPECT_EQ(column(5), collated(texts));
}

// No slice, keys in part, keys all made with their runs not yet merged, a
// merge short of one order, and everything made.
INSTANTIATE_TEST_SUITE_P(Slices, PreparedSort, ::testing::Values(0, 3, 10, 12, -1));

}  // namespace
}  // namespace hv
