#include "fixtures/database_fixture.h"

#include "core/runtime_error.h"
#include "data/sql_dialect.h"

namespace hv::test {
namespace {

struct TranslationCase {
    const char* program;
    const char* engine;
};

class Translation : public DatabaseTest, public ::testing::WithParamInterface<TranslationCase> {};

TEST_P(Translation, GivesTheEngineEquivalent)
{
    EXPECT_EQ(db().dialect().translate(QString::fromUtf8(GetParam().program)), QString::fromUtf8(GetParam().engine));
}

INSTANTIATE_TEST_SUITE_P(
    Names, Translation,
    ::testing::Values(
        TranslationCase{"select * from [Work Hours Extended] where ID=5",
                        "select * from \"Work Hours Extended\" where ID=5"},
        TranslationCase{"select [a\"b] from t", "select \"a\"\"b\" from t"},
        TranslationCase{"SELECT Count([Work Codes].ID) AS [CountID] From [Work Codes]",
                        "SELECT Count(\"Work Codes\".ID) AS \"CountID\" From \"Work Codes\""}));

INSTANTIATE_TEST_SUITE_P(
    Literals, Translation,
    ::testing::Values(
        TranslationCase{"select 'it''s [not] a \"name\" TRUE' from t", "select 'it''s [not] a \"name\" TRUE' from t"},
        TranslationCase{"select \"it's \"\"quoted\"\"\" from t", "select 'it''s \"quoted\"' from t"},
        TranslationCase{"select true, FALSE, [True], 'TRUE', trueish from t",
                        "select -1, 0, \"True\", 'TRUE', trueish from t"},
        TranslationCase{"select 5-TRUE, 5--3 from t", "select 5- -1, 5- -3 from t"}));

INSTANTIATE_TEST_SUITE_P(
    Aggregates, Translation,
    ::testing::Values(
        TranslationCase{"SELECT First(Employees.ID) AS [MaxID] FROM Employees",
                        "SELECT hv_first(Employees.ID, \"Employees\".rowid) AS \"MaxID\" FROM Employees"},
        TranslationCase{"SELECT Last([Work Codes].ID) AS [MaxID] FROM [Work Codes]",
                        "SELECT hv_last(\"Work Codes\".ID, \"Work Codes\".rowid) AS \"MaxID\" FROM \"Work Codes\""},
        TranslationCase{"select last (Description) from [Work Codes]",
                        "select hv_last(Description, rowid) from \"Work Codes\""}));

INSTANTIATE_TEST_SUITE_P(
    Writes, Translation,
    ::testing::Values(
        TranslationCase{"insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                        "values (1,'12/7/2026',2,'7','a, (b)')",
                        "insert into \"Work Hours\" (Employee,\"Date Worked\",\"Work Code\",Hours,\"Work Description\") "
                        "values (hv_integer(1, 'Employee'),hv_date('12/7/2026', 'Date Worked'),"
                        "hv_integer(2, 'Work Code'),hv_number('7', 'Hours'),'a, (b)')"},
        TranslationCase{"update [Work Hours] set Employee=1,[Work Code]=2,[Date Worked]='1/2/2026',[Hours]= 7.5 "
                        ",[Work Description]='x' where ID=3",
                        "update \"Work Hours\" set Employee=hv_integer(1, 'Employee'),\"Work Code\"=hv_integer(2, "
                        "'Work Code'),\"Date Worked\"=hv_date('1/2/2026', 'Date Worked'),\"Hours\"= hv_number(7.5, "
                        "'Hours') ,\"Work Description\"='x' where ID=3"},
        TranslationCase{"update [Work Codes] set Description='x',Billable=TRUE where ID=4",
                        "update \"Work Codes\" set Description='x',Billable=hv_bool(-1, 'Billable') where ID=4"},
        TranslationCase{"insert into [Work Codes] values (Null,'x',0)",
                        "insert into \"Work Codes\" values (hv_integer(Null, 'ID'),'x',hv_bool(0, 'Billable'))"},
        // Only the first statement is translated; the rest is left for the
        // connection to refuse.
        TranslationCase{"delete from [Work Hours] where ID=5;drop table [Work Hours]",
                        "delete from \"Work Hours\" where ID=5;drop table [Work Hours]"}));

TEST_F(DatabaseTest, UnclosedNamesAndLiteralsAreRefused)
{
    for (const char* sql : {"select * from [Work Hours", "select 'abc from t", "select \"abc from t"}) {
        try {
            db().dialect().translate(QString::fromLatin1(sql));
            ADD_FAILURE() << sql;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::DatabaseEngine);
        }
        EXPECT_FALSE(failureOf(QString::fromLatin1(sql)).isEmpty());
    }
}

TEST_F(DatabaseTest, BareDecimalCommaIsNamedNotASyntaxError)
{
    const QString failure =
        failureOf(QStringLiteral("update [Work Hours] set Employee=1,[Work Code]=2,[Date Worked]='1/2/2026',"
                                 "[Hours]=7,5,[Work Description]='x' where ID=1"));
    EXPECT_TRUE(failure.contains(QStringLiteral("7,5"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("[Hours]"))) << failure.toStdString();
    // Two assignments of numbers are not mistaken for one.
    EXPECT_EQ(failureOf(QStringLiteral("update [Work Hours] set Employee=1,[Work Code]=2 where ID=1")), QString());
}

TEST(ColumnKinds, FollowTheDeclaredType)
{
    using data::ColumnKind;
    using data::columnKindOf;
    EXPECT_EQ(columnKindOf(u"DATETIME"), ColumnKind::Date);
    EXPECT_EQ(columnKindOf(u"yesno"), ColumnKind::YesNo);
    EXPECT_EQ(columnKindOf(u"DOUBLE"), ColumnKind::Number);
    EXPECT_EQ(columnKindOf(u"INTEGER"), ColumnKind::Integer);
    EXPECT_EQ(columnKindOf(u"TEXT"), ColumnKind::Text);
    EXPECT_EQ(columnKindOf(u""), ColumnKind::Other);
}

}  // namespace
}  // namespace hv::test
