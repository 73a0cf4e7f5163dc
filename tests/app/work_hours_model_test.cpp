#include "app/work_hours_model.h"
#include "data/runtime_error.h"

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

    WorkHoursModel model;
};

TEST_F(WorkHoursModelTest, ShowsRowsInAddingOrderUntilSorted)
{
    fill({{"3", "b"}, {"1", "a"}, {"2", "c"}});
    EXPECT_EQ(column(0), QStringList({"3", "1", "2"}));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral(" Work Code"));
    EXPECT_EQ(model.displayRowOfFirstAdded(), 0);
}

TEST_F(WorkHoursModelTest, SortsAsTextSoTenComesBeforeNine)
{
    fill({{"9", ""}, {"10", ""}, {"100", ""}, {"2", ""}});
    sortBy(0, WorkHoursModel::Ascending);
    EXPECT_EQ(column(0), QStringList({"10", "100", "2", "9"}));
    sortBy(0, WorkHoursModel::Descending);
    EXPECT_EQ(column(0), QStringList({"9", "2", "100", "10"}));
}

TEST_F(WorkHoursModelTest, EqualTextsKeepTheirAddingOrderBothWays)
{
    fill({{"1", "Lee"}, {"2", "adams"}, {"3", "lee"}, {"4", "Adams"}});
    sortBy(1, WorkHoursModel::Ascending);
    EXPECT_EQ(column(0), QStringList({"2", "4", "1", "3"}));
    sortBy(1, WorkHoursModel::Descending);
    EXPECT_EQ(column(0), QStringList({"1", "3", "2", "4"}));
}

TEST_F(WorkHoursModelTest, RefillKeepsTheSortAndFirstAddedRowIsKnown)
{
    sortBy(0, WorkHoursModel::Descending);
    fill({{"5", ""}, {"7", ""}, {"6", ""}});
    EXPECT_EQ(column(0), QStringList({"7", "6", "5"}));
    EXPECT_EQ(model.displayRowOfFirstAdded(), 2);

    model.clearRows();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.displayRowOfFirstAdded(), -1);
    fill({{"1", ""}, {"8", ""}});
    EXPECT_EQ(column(0), QStringList({"8", "1"}));
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

}  // namespace
}  // namespace hv
