#include "fixtures/database_fixture.h"

#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/utf8_text.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"

#include <QFile>
#include <algorithm>
#include <functional>

namespace hv::test {
namespace {

using data::Recordset;

long errorNumberOf(const std::function<void()>& call)
{
    return errorOf(call).number();
}

using Recordsets = StatementTest;
INSTANTIATE_TEST_SUITE_P(Backends, Recordsets, backends(), backendName);

TEST_P(Recordsets, FollowTheObjectRules)
{
    Recordset recordset;
    EXPECT_EQ(errorNumberOf([&] { recordset.Eof(); }), err::ObjectClosed);
    EXPECT_EQ(errorNumberOf([&] { recordset.MoveNext(); }), err::ObjectClosed);
    EXPECT_EQ(errorNumberOf([&] { recordset.Fields(QStringLiteral("ID")); }), err::ObjectClosed);
    EXPECT_EQ(errorNumberOf([&] { recordset.Close(); }), err::ObjectClosed);

    const QString codes = QStringLiteral("select * from [Work Codes]");
    EXPECT_EQ(errorNumberOf([&] { recordset.Open(codes, db(), 2, Recordset::adLockReadOnly); }), err::InvalidPropertyValue);
    EXPECT_EQ(errorNumberOf([&] { recordset.Open(codes, db(), Recordset::adOpenStatic, 3); }), err::InvalidPropertyValue);

    // An empty table: at end of file at once, and nothing to read there.
    recordset.Open(codes, db());
    EXPECT_TRUE(recordset.Eof());
    EXPECT_EQ(errorNumberOf([&] { recordset.Fields(QStringLiteral("ID")); }), err::NoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { recordset.MoveNext(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { recordset.Fields(QStringLiteral("Nope")); }), err::ItemNotFound);
    EXPECT_EQ(errorNumberOf([&] { recordset.Open(codes, db()); }), err::ObjectOpen);
    recordset.Close();
    EXPECT_EQ(recordset.state(), Recordset::StateClosed);

    try {
        recordset.Open(QStringLiteral("select * from Foo"), db());
        ADD_FAILURE() << "a missing table was read";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::DatabaseEngine);
        EXPECT_TRUE(error.description().contains(QStringLiteral("foo"), Qt::CaseInsensitive)) << error.what();
    }
    EXPECT_EQ(recordset.state(), Recordset::StateClosed);

    data::Connection closed;
    EXPECT_EQ(errorNumberOf([&] { recordset.Open(codes, closed); }), err::ConnectionUnusable);
}

TEST_P(Recordsets, NeverChangeData)
{
    addWorkCode(QStringLiteral("Keep"), true);
    Recordset recordset;
    EXPECT_EQ(errorNumberOf([&] { recordset.Open(QStringLiteral("delete from [Work Codes]"), db()); }), err::DatabaseEngine);
    EXPECT_EQ(recordset.state(), Recordset::StateClosed);
    EXPECT_EQ(rows(QStringLiteral("select * from [Work Codes]")).size(), 1);
}

TEST_P(Recordsets, WalkEveryRowAndFindFieldsWithoutRegardToCase)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), true);
    for (int day = 1; day <= 3; ++day)
        addEntry(ann, QDate(2026, 1, day), code, QString::number(day), QStringLiteral("d%1").arg(day));

    Recordset recordset;
    recordset.Open(QStringLiteral("select * from [Work Hours Extended]"), db());
    EXPECT_EQ(recordset.fieldIndex(QStringLiteral("employee NAME")), 1);
    QStringList seen;
    while (!recordset.Eof()) {
        EXPECT_EQ(recordset.Fields(QStringLiteral("work description")), recordset.Fields(QStringLiteral("Work Description")));
        seen << recordset.Fields(QStringLiteral("WORK DESCRIPTION")).toString();
        recordset.MoveNext();
    }
    EXPECT_EQ(seen, (QStringList{"d1", "d2", "d3"}));
    EXPECT_EQ(errorNumberOf([&] { recordset.MoveNext(); }), err::NoCurrentRecord);
}

TEST_P(Recordsets, ValuesKeepTheirKinds)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), true);
    addEntry(ann, QDate(2026, 1, 1), code, QStringLiteral("7.5"), QStringLiteral("x"));
    execute(QStringLiteral("update [Work Hours] set [Work Description]=Null where ID=1"));

    Recordset recordset;
    recordset.Open(QStringLiteral("select * from [Work Hours Extended]"), db());
    const QList<int> kinds = {QMetaType::LongLong, QMetaType::QString, QMetaType::QDate,
                              QMetaType::QString, QMetaType::Double};
    for (int i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(recordset.value(i).typeId(), kinds[i]) << recordset.fieldName(i).toStdString();
    EXPECT_TRUE(recordset.value(5).isNull());
    EXPECT_EQ(recordset.text(5), QString());
    recordset.Close();

    recordset.Open(QStringLiteral("select * from [Work Codes]"), db());
    EXPECT_EQ(recordset.Fields(QStringLiteral("Billable")).typeId(), QMetaType::Bool);
    recordset.Close();
    recordset.Open(QStringLiteral("SELECT Count(Employees.ID) AS [CountID] From Employees"), db());
    EXPECT_EQ(recordset.Fields(QStringLiteral("CountID")), QVariant::fromValue<qint64>(1));
}

TEST_P(Recordsets, StoredTextThatIsNotADateComesBackAsText)
{
    if (onServer())
        GTEST_SKIP() << "the server's date column holds dates only";
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), true);
    addEntry(ann, QDate(2026, 1, 1), code, QStringLiteral("1"), QStringLiteral("x"));
    // Another program wrote past the checks.
    ASSERT_EQ(runAsAnotherProgram(m_database.path(), "PRAGMA ignore_check_constraints = 1;"
                                                     "UPDATE \"Work Hours\" SET \"Date Worked\" = '31.02.2026'"),
              QString());
    Recordset recordset;
    recordset.Open(QStringLiteral("select * from [Work Hours Extended]"), db());
    EXPECT_EQ(recordset.Fields(QStringLiteral("Date Worked")), QVariant(QStringLiteral("31.02.2026")));
    EXPECT_EQ(recordset.text(2), QStringLiteral("31.02.2026"));
}

// The value a stored() reading stands for, built as value() builds it.
QVariant storedAsValue(const Recordset& recordset, int index)
{
    const StoredValue v = recordset.stored(index);
    switch (v.kind) {
    case StoredValue::Null:
        return {};
    case StoredValue::Whole:
        return QVariant::fromValue<qint64>(v.whole);
    case StoredValue::Number:
        return v.number;
    case StoredValue::YesNo:
        return v.whole != 0;
    case StoredValue::Date: {
        const QDate date = QDate::fromJulianDay(v.julianDay);
        if (v.secondsOfDay == 0)
            return date;
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(v.secondsOfDay * 1000), Qt::UTC);
    }
    case StoredValue::Text:
        EXPECT_EQ(text::textFromUtf8(v.bytes.data(), v.bytes.size()), recordset.text(index));
        return recordset.text(index);
    case StoredValue::Other:
        return QByteArray(v.bytes.data(), v.bytes.size());
    }
    return {};
}

TEST_P(Recordsets, TextsComeBackByteForByteWithALeadingByteOrderMark)
{
    const QString bom(QChar(0xFEFF));
    const QStringList texts = {bom + QStringLiteral("Ann"), bom + bom + QStringLiteral("two marks"), bom,
                               QStringLiteral("mid") + bom + QStringLiteral("dle")};
    for (const QString& text : texts)
        addWorkCode(text, true);
    Recordset recordset;
    recordset.Open(QStringLiteral("select * from [Work Codes]"), db());
    QStringList values;
    QStringList shown;
    for (; !recordset.Eof(); recordset.MoveNext()) {
        values << recordset.Fields(QStringLiteral("Description")).toString();
        shown << recordset.text(recordset.fieldIndex(QStringLiteral("Description")));
    }
    EXPECT_EQ(values, texts);
    EXPECT_EQ(shown, texts);
}

class TextOfValues : public StatementCaseTest<const char*> {};


// The list's fast paths give exactly what joining each value to text gives,
// and the stored form of each value is the value.
TEST_P(TextOfValues, MatchesValueJoinedToText)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), true);
    const QStringList hours = {"7", "7.5", "0.25", "1000000", "1e-3", "123456.789"};
    for (int i = 0; i < hours.size(); ++i)
        addEntry(ann, QDate(2026, 1 + i, 1 + i), code, hours.at(i), QStringLiteral("d"));
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                           "values (Null,'2026-12-07T17:05:09',Null,Null,Null)"));

    const ScopedLocale locale(QString::fromLatin1(param()));
    for (const char* query : {"select * from [Work Hours Extended]", "select * from [Work Codes]",
                              "select * from [Billable Hours] order by [Employee Name]"}) {
        Recordset recordset;
        recordset.Open(QString::fromLatin1(query), db());
        int rowCount = 0;
        for (; !recordset.Eof(); recordset.MoveNext(), ++rowCount) {
            for (int i = 0; i < recordset.fieldCount(); ++i) {
                EXPECT_EQ(recordset.text(i), text::valueToText(recordset.value(i))) << query << " column " << i;
                EXPECT_EQ(storedAsValue(recordset, i), recordset.value(i)) << query << " column " << i;
            }
        }
        EXPECT_GT(rowCount, 0) << query;
    }
}

HV_STATEMENT_CASES(Locales, TextOfValues, "en_US", "de_DE", "fr_FR");

}  // namespace
}  // namespace hv::test
