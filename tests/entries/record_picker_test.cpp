#include "entries/record_picker.h"

#include "fixtures/catalog_fixture.h"

#include <QComboBox>
#include <QFile>
#include <sqlite3.h>

namespace hv::test {
namespace {

// How the employees' query is broken before the refill.
struct BrokenFillCase {
    const char* name;
    const char* view;     // the query's new definition; empty: the query is gone
    int itemsLeft;        // the rows read before the failure (a text ID sorts last)
    const char* line;     // the line the failure is reported on
};

void PrintTo(const BrokenFillCase& c, std::ostream* out)
{
    *out << c.name;
}

class RecordPickerRefillTest : public CatalogTest, public ::testing::WithParamInterface<BrokenFillCase> {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        for (const char* name : {"Ann", "Ben", "Cy"})
            execute(QStringLiteral("insert into Employees ([First Name]) values ('%1')").arg(QLatin1String(name)));
    }

    void replaceQuery(const QString& definition) const
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(m_db.path()).constData(), &db), SQLITE_OK);
        QString sql = QStringLiteral("DROP VIEW IF EXISTS \"Employees Extended\";");
        if (!definition.isEmpty())
            sql += QStringLiteral("CREATE VIEW \"Employees Extended\" AS ") + definition;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
};

// A refill that fails part-way leaves the rows read so far, each with its
// ID, and nothing selected, whatever was selected before: the list would
// otherwise show (and "Save" book to) an item the user never chose.
TEST_P(RecordPickerRefillTest, AFailedRefillLeavesNoSelection)
{
    const BrokenFillCase& c = GetParam();
    QComboBox combo;
    RecordPicker picker(combo, {QStringLiteral("Form2"), QStringLiteral("LoadEmployees"),
                                QStringLiteral("select * from [Employees Extended]"), QStringLiteral("Employee Name")},
                        nullptr);
    for (const int before : {-1, 2}) {
        SCOPED_TRACE(before);
        replaceQuery(QStringLiteral("SELECT ID, \"First Name\" AS \"Employee Name\" FROM Employees ORDER BY ID"));
        picker.fill(0);
        ASSERT_EQ(combo.count(), 3);
        combo.setCurrentIndex(before);
        replaceQuery(QString::fromLatin1(c.view));
        m_ui.clear();

        picker.fill(0);
        EXPECT_EQ(combo.count(), c.itemsLeft);
        EXPECT_EQ(picker.idCount(), c.itemsLeft);
        EXPECT_EQ(combo.currentIndex(), -1);
        EXPECT_EQ(picker.position(), -1);
        ASSERT_EQ(m_ui.errorReports().size(), 1);
        EXPECT_TRUE(m_ui.errorReports().first().contains(QString::fromLatin1(c.line)))
            << m_ui.errorReports().first().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RecordPickerRefillTest,
    ::testing::Values(
        BrokenFillCase{"SecondRowUnreadable",
                       "SELECT CASE WHEN ID = 2 THEN 'two' ELSE ID END AS ID, \"First Name\" AS \"Employee Name\" "
                       "FROM Employees ORDER BY ID",
                       2, "LoadEmployees at line 110"},
        BrokenFillCase{"QueryGone", "", 0, "LoadEmployees at line 106"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

// Records no longer active are not offered, unless an entry uses one: then
// that one is offered in its place, with its own ID, through every refill.
class RecordPickerHiddenTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        for (const char* name : {"Ann", "Ben", "Cy", "Dee"})
            execute(QStringLiteral("insert into Employees ([First Name]) values ('%1')").arg(QLatin1String(name)));
    }

    QStringList items() const
    {
        QStringList texts;
        for (int i = 0; i < m_combo.count(); ++i)
            texts << m_combo.itemText(i) + u'=' + m_picker.idAt(i + 1);
        return texts;
    }

    QComboBox m_combo;
    QSet<qint64> m_hidden{2, 3};
    RecordPicker m_picker{m_combo,
                          {QStringLiteral("Form2"), QStringLiteral("LoadEmployees"),
                           QStringLiteral("select * from [Employees Extended]"), QStringLiteral("Employee Name"),
                           [this] { return m_hidden; }},
                          nullptr};
};

TEST_F(RecordPickerHiddenTest, AHiddenRecordIsOfferedOnlyOnceRevealedAndStaysThroughRefills)
{
    m_picker.fill(1);
    EXPECT_EQ(items(), QStringList({"Ann=1", "Dee=4"}));
    m_picker.reveal(QStringLiteral("Cy"));
    m_picker.reveal(QStringLiteral("Nobody"));
    EXPECT_EQ(items(), QStringList({"Ann=1", "Cy=3", "Dee=4"}));
    m_picker.reveal(QStringLiteral("Ben"));
    EXPECT_EQ(items(), QStringList({"Ann=1", "Ben=2", "Cy=3", "Dee=4"}));
    m_combo.setCurrentIndex(2);
    m_picker.fill(0);
    EXPECT_EQ(items(), QStringList({"Ann=1", "Ben=2", "Cy=3", "Dee=4"}));
    EXPECT_EQ(m_picker.idAt(m_picker.position() + 1), QStringLiteral("3"));
}

}  // namespace
}  // namespace hv::test
