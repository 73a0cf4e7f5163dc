// The windows' SQL texts, built by the builders the windows use, run against
// a real copy of the template database and a schema on the test server.
#include "fixtures/database_fixture.h"

#include "catalog/employee_statements.h"
#include "catalog/sample_data_statements.h"
#include "catalog/work_code_statements.h"
#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/prepared_statement.h"
#include "data/recordset.h"
#include "entries/entry_statements.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_rows.h"
#include "reports/engine/report_statements.h"

#include <QStringList>
#include <algorithm>

namespace hv::test {
namespace {

using catalog::EmployeeStatements;
using catalog::SampleDataStatements;
using catalog::WorkCodeStatements;
using entries::EntryStatements;
using reports::ReportStatements;

QString id(qint64 value)
{
    return QString::number(value);
}

// The entry editor's insert and update; the date and the hours as the
// statement takes them, the description as typed.
QString entryInsert(qint64 employee, const QString& date, qint64 workCode, const QString& hours,
                    const QString& description)
{
    return EntryStatements::insert({id(employee), id(workCode), date, hours, description});
}

QString entryUpdate(qint64 employee, qint64 workCode, const QString& date, const QString& hours,
                    const QString& description, qint64 entry)
{
    return EntryStatements::update({id(employee), id(workCode), date, hours, description}, id(entry));
}

// The employee boxes Text1..Text16 (first, last, job title, company, phones,
// address, city, state, ZIP, country, e-mail, web page, notes).
const EmployeeStatements::Boxes kBoxes = {
    "Siobhan", "O'Brien", "Lead \"Dev\"", "Kay & Co", "555-0100", "555-0101", "555-0102", "555-0103", "1 Main St",
    "Springfield", "IL", "62701", "USA", "s.obrien@example.com", "http://example.com/~s", "line one\nline two; TRUE"};
const QStringList kColumnsInBoxOrder = {"First Name", "Last Name", "Job Title", "Company", "Business Phone",
                                        "Home Phone", "Mobile Phone", "Fax Number", "Address", "City", "State",
                                        "ZIP", "Country", "E-mail Address", "Web Page", "Notes"};

using Statements = StatementTest;
INSTANTIATE_TEST_SUITE_P(Backends, Statements, backends(), backendName);

TEST_P(Statements, EmployeeEditorWritesAndReadsEverySixteenColumns)
{
    execute(EmployeeStatements::insert(kBoxes));
    const qint64 employee = lastId(QStringLiteral("Employees"));
    const QString select = EmployeeStatements::select(id(employee));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(value(select, kColumnsInBoxOrder.at(i)).toString(), kBoxes.at(i)) << kColumnsInBoxOrder.at(i).toStdString();

    EmployeeStatements::Boxes changed = kBoxes;
    changed[0] = QStringLiteral("  Shiv  ");
    changed[15] = QString();
    long affected = -1;
    db().Execute(EmployeeStatements::update(changed, id(employee)), &affected);
    EXPECT_EQ(affected, 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(value(select, kColumnsInBoxOrder.at(i)).toString(), changed.at(i));
    // An empty box is stored as empty text, not as Null.
    EXPECT_FALSE(value(select, QStringLiteral("Notes")).isNull());

    // Editing an employee that no longer exists changes nothing and fails nothing.
    db().Execute(EmployeeStatements::update(changed, id(employee + 100)), &affected);
    EXPECT_EQ(affected, 0);
}

TEST_P(Statements, WorkCodeEditorStoresBillableAsYesNo)
{
    execute(WorkCodeStatements::insert(QStringLiteral("Client's project"), true));
    const qint64 billable = lastId(QStringLiteral("Work Codes"));
    execute(WorkCodeStatements::insert(QStringLiteral("Training"), false));
    const qint64 internal = lastId(QStringLiteral("Work Codes"));

    const auto field = [this](qint64 workCode, const char* column) {
        return value(WorkCodeStatements::select(id(workCode)), QString::fromLatin1(column));
    };
    EXPECT_EQ(field(billable, "Description"), QVariant(QStringLiteral("Client's project")));
    EXPECT_EQ(field(billable, "Billable"), QVariant(true));
    EXPECT_EQ(field(internal, "Billable"), QVariant(false));

    execute(WorkCodeStatements::update(QStringLiteral("Client's project"), false, id(billable)));
    execute(WorkCodeStatements::update(QStringLiteral("Training (paid)"), true, id(internal)));
    EXPECT_EQ(field(billable, "Billable"), QVariant(false));
    EXPECT_EQ(field(internal, "Billable"), QVariant(true));
    EXPECT_EQ(field(internal, "Description"), QVariant(QStringLiteral("Training (paid)")));
    EXPECT_EQ(rows(WorkCodeStatements::list()).size(), 2);
}

TEST_P(Statements, EntryEditorInsertThenUpdateKeepsEveryKind)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 bob = addEmployee(QStringLiteral("Bob"), QStringLiteral("Kay"));
    const qint64 coding = addWorkCode(QStringLiteral("Coding"), true);
    const qint64 admin = addWorkCode(QStringLiteral("Admin"), false);

    execute(entryInsert(ann, QStringLiteral("12/7/2026"), coding, QStringLiteral("7"), QStringLiteral("Fixed Ann's bug")));
    const qint64 entry = lastId(QStringLiteral("Work Hours"));
    const QString select = EntryStatements::select(id(entry));
    QList<QVariantList> read = rows(select);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0], (QVariantList{QVariant::fromValue<qint64>(entry), QStringLiteral("Ann Lee"),
                                     QDate(2026, 12, 7), QStringLiteral("Coding"), 7.0,
                                     QStringLiteral("Fixed Ann's bug")}));
    EXPECT_EQ(read[0][0].typeId(), QMetaType::LongLong);
    EXPECT_EQ(read[0][2].typeId(), QMetaType::QDate);
    EXPECT_EQ(read[0][4].typeId(), QMetaType::Double);

    long affected = -1;
    db().Execute(entryUpdate(bob, admin, QStringLiteral("1/2/2027"), QStringLiteral("7.5"), QString(), entry), &affected);
    EXPECT_EQ(affected, 1);
    read = rows(select);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0], (QVariantList{QVariant::fromValue<qint64>(entry), QStringLiteral("Bob Kay"),
                                     QDate(2027, 1, 2), QStringLiteral("Admin"), 7.5, QString()}));
    EXPECT_FALSE(read[0][5].isNull());  // an empty description is empty text

    // The entry's ID does not exist any more: the update changes no row.
    execute(EntryStatements::remove(id(entry)));
    db().Execute(entryUpdate(bob, admin, QStringLiteral("1/2/2027"), QStringLiteral("7.5"), QString(), entry), &affected);
    EXPECT_EQ(affected, 0);
    EXPECT_TRUE(rows(EntryStatements::list()).isEmpty());
}

TEST_P(Statements, PickerDeletesRemoveTheRecordAndItsEntries)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 bob = addEmployee(QStringLiteral("Bob"), QStringLiteral("Kay"));
    const qint64 coding = addWorkCode(QStringLiteral("Coding"), true);
    const qint64 admin = addWorkCode(QStringLiteral("Admin"), false);
    const QDate day(2026, 3, 2);
    addEntry(ann, day, coding, QStringLiteral("1"), QStringLiteral("a"));
    addEntry(ann, day, admin, QStringLiteral("2"), QStringLiteral("b"));
    addEntry(bob, day, coding, QStringLiteral("3"), QStringLiteral("c"));
    const qint64 bobAdmin = addEntry(bob, day, admin, QStringLiteral("4"), QStringLiteral("d"));
    addEntry(bob, day, admin, QStringLiteral("5"), QStringLiteral("e"));

    const auto descriptions = [this] {
        QStringList list;
        for (const QVariantList& row : rows(EntryStatements::list()))
            list << row[5].toString();
        return list;
    };

    execute(EntryStatements::remove(id(bobAdmin)));
    EXPECT_EQ(descriptions(), (QStringList{"a", "b", "c", "e"}));

    execute(EmployeeStatements::remove(id(ann)));
    execute(EntryStatements::removeOfEmployee(id(ann)));
    EXPECT_EQ(descriptions(), (QStringList{"c", "e"}));
    EXPECT_EQ(rows(EmployeeStatements::names()).size(), 1);

    execute(WorkCodeStatements::remove(id(coding)));
    execute(EntryStatements::removeOfWorkCode(id(coding)));
    EXPECT_EQ(descriptions(), (QStringList{"e"}));
    EXPECT_EQ(rows(WorkCodeStatements::list()).size(), 1);
}

TEST_P(Statements, SampleDataLoadsAndBooksToFirstAndLastRows)
{
    // One press of the sample-data button: its statements, in its order.
    using Sample = SampleDataStatements;
    const QDate today(2026, 12, 7);
    const auto read = [this](const QString& sql, const char* column) {
        return value(sql, QString::fromLatin1(column)).toInt();
    };
    const auto addWhileFewerThanTwo = [this, &read](const QString& count, QString (*insert)(int)) {
        int held = read(count, Sample::kCountColumn);
        for (int sample = 0; sample < Sample::kSamples && held < 2; ++sample, ++held)
            execute(insert(sample));
    };
    const auto press = [&] {
        addWhileFewerThanTwo(Sample::employeeCount(), &Sample::employeeInsert);
        const int firstEmployee = read(Sample::firstEmployee(), Sample::kIdColumn);
        const int lastEmployee = read(Sample::lastEmployee(), Sample::kIdColumn);
        addWhileFewerThanTwo(Sample::workCodeCount(), &Sample::workCodeInsert);
        const int firstCode = read(Sample::firstWorkCode(), Sample::kIdColumn);
        const int lastCode = read(Sample::lastWorkCode(), Sample::kIdColumn);
        execute(Sample::entryInsert(lastEmployee, lastCode, 7, QStringLiteral("Research work"), today));
        execute(Sample::entryInsert(firstEmployee, firstCode, 16, QStringLiteral("Software programming"), today));
        execute(Sample::entryInsert(lastEmployee, firstCode, 3, QStringLiteral("Customazing"), today));
    };

    press();
    const QList<QVariantList> expected = {
        {QVariant::fromValue<qint64>(1), "Razozo Zedava", today, "Researching", 7.0, "Research work"},
        {QVariant::fromValue<qint64>(2), "Rivo Zarodu", today, "Software developing", 16.0, "Software programming"},
        {QVariant::fromValue<qint64>(3), "Razozo Zedava", today, "Software developing", 3.0, "Customazing"}};
    EXPECT_EQ(rows(EntryStatements::list()), expected);
    EXPECT_EQ(value(WorkCodeStatements::select(QStringLiteral("1")), QStringLiteral("Billable")), QVariant(true));
    EXPECT_EQ(value(WorkCodeStatements::select(QStringLiteral("2")), QStringLiteral("Billable")), QVariant(false));
    // Columns the sample does not give stay Null.
    EXPECT_TRUE(value(EmployeeStatements::select(QStringLiteral("1")), QStringLiteral("Notes")).isNull());

    press();
    EXPECT_EQ(rows(EntryStatements::list()).size(), 6);
    EXPECT_EQ(rows(EmployeeStatements::names()).size(), 2);
    EXPECT_EQ(rows(WorkCodeStatements::list()).size(), 2);
}

TEST_P(Statements, ReportQueriesSplitByBillableAndSortAsAsked)
{
    const qint64 zed = addEmployee(QStringLiteral("Zed"), QStringLiteral("Ray"));
    const qint64 amy = addEmployee(QStringLiteral("Amy"), QStringLiteral("Fox"));
    const qint64 web = addWorkCode(QStringLiteral("Website"), true);
    const qint64 apps = addWorkCode(QStringLiteral("Apps"), true);
    const qint64 leave = addWorkCode(QStringLiteral("Leave"), false);
    const QDate day(2026, 5, 4);
    addEntry(zed, day, web, QStringLiteral("1"), QStringLiteral("z-web"));
    addEntry(amy, day, apps, QStringLiteral("2"), QStringLiteral("a-apps"));
    addEntry(zed, day, leave, QStringLiteral("3"), QStringLiteral("z-leave"));
    addEntry(amy, day, web, QStringLiteral("4"), QStringLiteral("a-web"));

    const auto column = [this](const QString& sql, int index) {
        QStringList list;
        for (const QVariantList& row : rows(sql))
            list << row[index].toString();
        return list;
    };
    EXPECT_EQ(column(ReportStatements::billableHoursByEmployee(), 0),
              (QStringList{"Amy Fox", "Amy Fox", "Zed Ray"}));
    EXPECT_EQ(column(ReportStatements::billableHoursByProject(), 1),
              (QStringList{"Apps", "Website", "Website"}));
    EXPECT_EQ(column(ReportStatements::nonBillableHoursByEmployee(), 4),
              (QStringList{"z-leave"}));
    const QList<QVariantList> report = rows(ReportStatements::nonBillableHoursByEmployee());
    ASSERT_EQ(report.size(), 1);
    EXPECT_EQ(report[0], (QVariantList{"Zed Ray", "Leave", day, 3.0, "z-leave"}));
}

// A report keeps its rows a few bytes a cell: what it gives back is every
// value as the recordset read it, and each text as the field shows it.
TEST_P(Statements, AReportGivesBackEveryValueAsTheRecordsetReadIt)
{
    const qint64 amy = addEmployee(QStringLiteral("Amy"), QStringLiteral("Fox"));
    const qint64 web = addWorkCode(QStringLiteral("Website"), true);
    const QStringList hours{"0.1", "7", "2.5", "1234.015625", "0.2", "7"};
    for (int i = 0; i < hours.size(); ++i)
        addEntry(amy, QDate(2026, 1, 1).addDays(i % 4), web, hours[i], i % 2 ? QStringLiteral("same") : QStringLiteral("Ünï %1").arg(i));
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) values (%1,'2026-12-07T08:30:00',%2,'3')")
                .arg(amy)
                .arg(web));
    const qint64 gone = addEmployee(QStringLiteral("Gone"), QStringLiteral("Soon"));
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Work Code],[Work Description]) values (%1,%2,'')")
                .arg(gone)
                .arg(web));
    execute(QStringLiteral("delete from Employees where ID=") + id(gone));

    const reports::ReportLayout& layout = reports::rptBillableHoursByEmployee();
    data::Recordset kept;
    kept.Open(ReportStatements::billableHoursByEmployee(), db());
    const reports::ReportRows rows = reports::ReportRows::read(kept, layout);
    data::Recordset read;
    read.Open(ReportStatements::billableHoursByEmployee(), db());
    const int key = read.keyIndex(layout.groupKey);
    int row = 0;
    for (; !read.Eof(); read.MoveNext(), ++row) {
        ASSERT_LT(row, rows.rowCount());
        for (int field = 0; field < rows.columnCount(); ++field) {
            const reports::ReportControl& control = layout.fields().at(field);
            const QVariant value = read.value(read.fieldIndex(control.column));
            EXPECT_EQ(rows.value(row, field), value) << row << " " << control.column.toStdString();
            EXPECT_EQ(rows.text(row, field), reports::ReportRows::display(value, control.format)) << row;
        }
        const QVariant id = read.value(key);
        EXPECT_EQ(rows.groupKey(row).isNull(), id.isNull()) << row;
        EXPECT_EQ(rows.groupKey(row).toLongLong(), id.toLongLong()) << row;
    }
    EXPECT_EQ(rows.rowCount(), 8);
    EXPECT_EQ(row, rows.rowCount());
}

TEST_P(Statements, ApostrophesAndDialectWordsInsideTextAreStoredAsTyped)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const QString tricky = QStringLiteral("O'Brien's [Work Hours] \"TRUE\" FALSE First(x) 5;drop -- /* ''");
    execute(entryInsert(ann, QStringLiteral("12/7/2026"), code, QStringLiteral("1"), tricky));
    EXPECT_EQ(value(EntryStatements::list(), QStringLiteral("Work Description")),
              QVariant(tricky));
}

TEST_P(Statements, TextAfterTheStatementIsRefusedAndNothingRuns)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const qint64 entry = addEntry(ann, QDate(2026, 1, 1), code, QStringLiteral("1"), QStringLiteral("keep"));
    const QString injected = QString::number(entry) + QStringLiteral(";drop table [Work Hours]");

    for (const QString& sql : {EntryStatements::remove(injected),
                               EmployeeStatements::remove(injected),
                               entryUpdate(ann, code, QStringLiteral("1/1/2026"), QStringLiteral("2"), QStringLiteral("x"), entry)
                                   + QStringLiteral(";delete from [Work Hours]")}) {
        EXPECT_EQ(failureOf(sql), QStringLiteral("Characters found after end of SQL statement.")) << sql.toStdString();
    }
    EXPECT_EQ(rows(EntryStatements::list()).size(), 1);
    EXPECT_EQ(value(EntryStatements::list(), QStringLiteral("Hours")), QVariant(1.0));
    EXPECT_EQ(rows(EmployeeStatements::names()).size(), 1);

    data::Recordset recordset;
    EXPECT_THROW(recordset.Open(WorkCodeStatements::select(QStringLiteral("1;delete from [Work Codes]")), db()),
                 RuntimeError);
    EXPECT_EQ(recordset.state(), data::Recordset::StateClosed);
}

TEST_P(Statements, StructureChangesAreRefused)
{
    for (const char* sql : {"drop table [Work Hours]", "create table Foo (x)", "alter table Employees add column X",
                            "PRAGMA user_version = 7", "begin transaction", "attach database 'x.db' as x"}) {
        EXPECT_FALSE(failureOf(QString::fromLatin1(sql)).isEmpty()) << sql;
    }
    EXPECT_NO_THROW(rows(EntryStatements::list()));
    EXPECT_TRUE(failureOf(QStringLiteral("delete from Foo where ID=1")).contains(QStringLiteral("foo"), Qt::CaseInsensitive));
}

TEST_P(Statements, IdsAreNeverReusedAfterDelete)
{
    const qint64 first = addWorkCode(QStringLiteral("One"), true);
    const qint64 second = addWorkCode(QStringLiteral("Two"), true);
    execute(WorkCodeStatements::remove(id(second)));
    const qint64 third = addWorkCode(QStringLiteral("Three"), true);
    EXPECT_GT(second, first);
    EXPECT_GT(third, second);
}

TEST_P(Statements, FirstAndLastFollowReadingOrderNotValueOrder)
{
    const qint64 zeta = addWorkCode(QStringLiteral("Zeta"), true);
    const qint64 alpha = addWorkCode(QStringLiteral("Alpha"), true);
    const qint64 mid = addWorkCode(QStringLiteral("Mid"), true);
    const QString first = SampleDataStatements::firstWorkCode();
    const QString last = SampleDataStatements::lastWorkCode();
    EXPECT_EQ(value(first, QStringLiteral("MaxID")).toLongLong(), zeta);
    EXPECT_EQ(value(last, QStringLiteral("MaxID")).toLongLong(), mid);
    // By value the first description would be "Alpha" and the last "Zeta".
    EXPECT_EQ(value(QStringLiteral("SELECT First([Work Codes].Description) AS [D] FROM [Work Codes]"), QStringLiteral("D")),
              QVariant(QStringLiteral("Zeta")));
    EXPECT_EQ(value(QStringLiteral("SELECT Last([Work Codes].Description) AS [D] FROM [Work Codes]"), QStringLiteral("D")),
              QVariant(QStringLiteral("Mid")));

    execute(WorkCodeStatements::remove(id(zeta)));
    EXPECT_EQ(value(first, QStringLiteral("MaxID")).toLongLong(), alpha);
    execute(WorkCodeStatements::remove(id(alpha)));
    execute(WorkCodeStatements::remove(id(mid)));
    // Over an empty table the aggregates yield one row holding Null.
    EXPECT_TRUE(value(first, QStringLiteral("MaxID")).isNull());
    EXPECT_EQ(value(SampleDataStatements::workCodeCount(), QStringLiteral("CountID")),
              QVariant::fromValue<qint64>(0));
}

struct BillableCase {
    const char* written;
    bool expected;
};

class BillableValues : public StatementCaseTest<BillableCase> {};

TEST_P(BillableValues, ReadBackAsYesNoStoredAsMinusOneOrZero)
{
    execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x',") + QString::fromLatin1(param().written)
            + QStringLiteral(")"));
    const QString select = WorkCodeStatements::select(id(lastId(QStringLiteral("Work Codes"))));
    EXPECT_EQ(value(select, QStringLiteral("Billable")), QVariant(param().expected));
    EXPECT_EQ(value(QStringLiteral("select Billable+0 AS [Stored] from [Work Codes]"), QStringLiteral("Stored")),
              QVariant::fromValue<qint64>(param().expected ? -1 : 0));
}

HV_STATEMENT_CASES(Cases, BillableValues,
                   BillableCase{"TRUE", true}, BillableCase{"FALSE", false},
                                           BillableCase{"-1", true}, BillableCase{"0", false},
                                           BillableCase{"true", true}, BillableCase{"1", true},
                                           BillableCase{"'Yes'", true}, BillableCase{"'0'", false});

TEST_P(Statements, BillableRefusesWhatIsNotYesOrNo)
{
    EXPECT_TRUE(failureOf(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x','maybe')"))
                    .contains(QStringLiteral("[Billable]")));
    EXPECT_FALSE(failureOf(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x',Null)")).isEmpty());
    EXPECT_TRUE(rows(WorkCodeStatements::list()).isEmpty());
}

struct HoursCase {
    const char* locale;
    const char* hours;  // as placed in the statement, quotes included
    std::optional<double> stored;
};

class HoursValues : public StatementCaseTest<HoursCase> {};

TEST_P(HoursValues, StoredAsNumbersOrRefusedWithoutWriting)
{
    const HoursCase& c = param();
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const qint64 entry = addEntry(ann, QDate(2026, 1, 1), code, QStringLiteral("1"), QStringLiteral("before"));
    const ScopedLocale locale(QString::fromLatin1(c.locale));
    const QString date = text::dateToText(QDate(2026, 1, 1));
    const QString hours = QString::fromLatin1(c.hours);
    const bool quoted = hours.startsWith(u'\'');
    // Quoted hours go through the insert, bare hours through the update.
    const QString sql = quoted ? entryInsert(ann, date, code, hours.mid(1, hours.size() - 2), QStringLiteral("after"))
                               : entryUpdate(ann, code, date, hours, QStringLiteral("after"), entry);
    const QString failure = failureOf(sql);
    const QList<QVariantList> read = rows(EntryStatements::list());
    if (!c.stored) {
        EXPECT_FALSE(failure.isEmpty());
        ASSERT_EQ(read.size(), 1);
        EXPECT_EQ(read[0][4], QVariant(1.0));
        EXPECT_EQ(read[0][5], QVariant(QStringLiteral("before")));
        return;
    }
    EXPECT_EQ(failure, QString());
    ASSERT_EQ(read.size(), quoted ? 2 : 1);
    EXPECT_EQ(read.back()[4], QVariant(*c.stored));
}

HV_STATEMENT_CASES(
    Cases, HoursValues,
    HoursCase{"en_US", "'7'", 7.0}, HoursCase{"en_US", "'7.5'", 7.5}, HoursCase{"en_US", "' 8 '", 8.0},
                      HoursCase{"en_US", "'7,5'", std::nullopt}, HoursCase{"en_US", "'seven'", std::nullopt},
                      HoursCase{"en_US", "''", std::nullopt}, HoursCase{"de_DE", "'7,5'", 7.5},
                      HoursCase{"de_DE", "'7'", 7.0}, HoursCase{"de_DE", "'7.5'", 7.5},
                      HoursCase{"en_US", "7.5", 7.5}, HoursCase{"en_US", " 6 ", 6.0},
                      HoursCase{"de_DE", "7,5", std::nullopt}, HoursCase{"en_US", "'1e3'", 1000.0});

class DatesAcrossLocales : public StatementCaseTest<std::pair<const char*, const char*>> {};

TEST_P(DatesAcrossLocales, WrittenUnderOneLocaleReadUnderAnother)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const QDate day(2026, 12, 7);
    {
        const ScopedLocale writer(QString::fromLatin1(param().first));
        execute(entryInsert(ann, text::dateToText(day), code, QStringLiteral("1"), QStringLiteral("x")));
    }
    const ScopedLocale reader(QString::fromLatin1(param().second));
    data::Recordset recordset;
    recordset.Open(EntryStatements::list(), db());
    ASSERT_FALSE(recordset.Eof());
    EXPECT_EQ(recordset.Fields(QStringLiteral("Date Worked")), QVariant(day));
    EXPECT_EQ(recordset.text(recordset.fieldIndex(QStringLiteral("Date Worked"))), text::dateToText(day));
}

HV_STATEMENT_CASES(Cases, DatesAcrossLocales,
                   std::make_pair("en_US", "de_DE"), std::make_pair("de_DE", "en_US"),
                                           std::make_pair("en_GB", "en_US"), std::make_pair("en_US", "en_US"));

class BadDates : public StatementCaseTest<const char*> {};

TEST_P(BadDates, AreRefusedNamingTheTextAndTheColumn)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const QString date = QString::fromUtf8(param());
    const QString failure = failureOf(entryInsert(ann, date, code, QStringLiteral("1"), QStringLiteral("x")));
    EXPECT_TRUE(failure.contains(QStringLiteral("'") + date + QStringLiteral("'"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("[Date Worked]"))) << failure.toStdString();
    EXPECT_TRUE(rows(EntryStatements::list()).isEmpty());
}

HV_STATEMENT_CASES(Cases, BadDates,
                   "13/45/2026", "2/30/2026", "07.12.2026", "tomorrow", "", "12/7/2026 25:61");

TEST_P(Statements, ALongBadValueIsQuotedByItsBeginningAndTheColumnStillNamed)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    const QString date = QStringLiteral("🙂").repeated(1 << 18);
    const QString failure = failureOf(entryInsert(ann, date, code, QStringLiteral("1"), QStringLiteral("x")));
    EXPECT_LT(failure.size(), 300);
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Cannot store '🙂🙂"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("…' in the column [Date Worked]: it is not a date")))
        << failure.toStdString();
}

TEST_P(Statements, DateWithTimeOfDayReadsBackAsDateTime)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), false);
    execute(entryInsert(ann, QStringLiteral("12/7/2026 8:30:00 AM"), code, QStringLiteral("1"), QStringLiteral("x")));
    data::Recordset recordset;
    recordset.Open(EntryStatements::list(), db());
    const QVariant worked = recordset.Fields(QStringLiteral("Date Worked"));
    ASSERT_EQ(worked.typeId(), QMetaType::QDateTime);
    EXPECT_EQ(worked.toDateTime().date(), QDate(2026, 12, 7));
    EXPECT_EQ(worked.toDateTime().time(), QTime(8, 30));
    EXPECT_EQ(recordset.text(2), QStringLiteral("12/7/2026 8:30:00 AM"));
}

TEST_P(Statements, EmployeeNameIsComposedFromWhatIsThere)
{
    addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    addEmployee(QString(), QStringLiteral("Solo"));
    addEmployee(QStringLiteral("Cher"), QString());
    addEmployee(QString(), QString(), QStringLiteral("ACME"));
    execute(QStringLiteral("insert into Employees (Company) values ('Null Names Ltd')"));
    addEmployee(QStringLiteral("ann"), QStringLiteral("Lee"));
    addEmployee(QStringLiteral("Bob"), QStringLiteral("Kay"));
    addEmployee(QStringLiteral("bea"), QStringLiteral("Zu"));
    QStringList names;
    for (const QVariantList& row : rows(EmployeeStatements::names()))
        names << row[1].toString();
    // Ordered by name without regard to case, then by ID.
    EXPECT_EQ(names, (QStringList{"ACME", "Ann Lee", "ann Lee", "bea Zu", "Bob Kay", "Cher", "Null Names Ltd", "Solo"}));
}

TEST_P(Statements, EntriesWhoseEmployeeOrWorkCodeIsGoneStillAppear)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Misc"), true);
    addEntry(ann, QDate(2026, 1, 1), code, QStringLiteral("2"), QStringLiteral("orphan"));
    execute(EmployeeStatements::remove(id(ann)));
    execute(WorkCodeStatements::remove(id(code)));
    const QList<QVariantList> read = rows(EntryStatements::list());
    ASSERT_EQ(read.size(), 1);
    EXPECT_TRUE(read[0][1].isNull());
    EXPECT_TRUE(read[0][3].isNull());
    EXPECT_EQ(read[0][5], QVariant(QStringLiteral("orphan")));
}

struct QueryColumns {
    const char* query;
    QStringList columns;
};

class StoredQueryColumns : public StatementCaseTest<QueryColumns> {};

TEST_P(StoredQueryColumns, AreExactlyTheOnesTheProgramReads)
{
    data::Recordset recordset;
    recordset.Open(QStringLiteral("select * from [") + QString::fromLatin1(param().query) + QStringLiteral("]"), db());
    QStringList names;
    for (int i = 0; i < recordset.fieldCount(); ++i)
        names << recordset.fieldName(i);
    EXPECT_EQ(names, param().columns);
    EXPECT_TRUE(recordset.Eof());
}

HV_STATEMENT_CASES(
    Cases, StoredQueryColumns,
    
        QueryColumns{"Work Hours Extended", {"ID", "Employee Name", "Date Worked", "Work Code Description", "Hours", "Work Description"}},
        QueryColumns{"Employees Extended", {"ID", "Employee Name"}},
        QueryColumns{"Billable Hours", {"Employee Name", "Work Code Description", "Date Worked", "Hours", "Work Description"}},
        QueryColumns{"Non Billable Hours", {"Employee Name", "Work Code Description", "Date Worked", "Hours", "Work Description"}},
        QueryColumns{"Work Codes", {"ID", "Description", "Billable"}},
        QueryColumns{"Employees",
                     {"ID", "First Name", "Last Name", "E-mail Address", "Company", "Job Title", "Business Phone",
                      "Home Phone", "Mobile Phone", "Fax Number", "Address", "City", "State", "ZIP", "Country",
                      "Web Page", "Notes"}});

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

using TransactionTest = StatementTest;
INSTANTIATE_TEST_SUITE_P(Backends, TransactionTest, backends(), backendName);

TEST_P(TransactionTest, WritesAllOrNothing)
{
    const qint64 ann = addEmployee(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const qint64 code = addWorkCode(QStringLiteral("Build"), true);
    addEntry(ann, QDate(2026, 12, 7), code, QStringLiteral("2"), QStringLiteral("kept"));

    {
        data::Transaction unfinished(db());
        execute(EmployeeStatements::remove(id(ann)));
        EXPECT_THROW(execute(QStringLiteral("delete from [Work Hours] where [Nonsense]=1")), RuntimeError);
    }  // left without commit: undone
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(rows(QStringLiteral("select ID from Employees")).size(), 1);

    {
        data::Transaction both(db());
        execute(EmployeeStatements::remove(id(ann)));
        execute(EntryStatements::removeOfEmployee(id(ann)));
        both.commit();
    }
    EXPECT_TRUE(rows(QStringLiteral("select ID from Employees")).isEmpty());
    EXPECT_TRUE(rows(QStringLiteral("select ID from [Work Hours]")).isEmpty());

    // Transactions do not nest, and commit or rollback need one open.
    db().BeginTrans();
    EXPECT_THROW(db().BeginTrans(), RuntimeError);
    db().RollbackTrans();
    EXPECT_THROW(db().CommitTrans(), RuntimeError);
    EXPECT_THROW(db().RollbackTrans(), RuntimeError);
    // The statements themselves still cannot open or end one.
    EXPECT_FALSE(failureOf(QStringLiteral("begin transaction")).isEmpty());
}

// A prepared statement still open when its connection closes is closed with
// it: every later use is refused, and letting it go afterwards is harmless.
TEST_P(TransactionTest, PreparedStatementIsClosedWithItsConnection)
{
    data::PreparedStatement insert(db(), QStringLiteral("INSERT INTO \"Work Codes\" (\"Description\", \"Billable\") "
                                                        "VALUES (?, -1)"));
    insert.bindText(1, QStringLiteral("kept"));
    insert.execute();
    db().Close();
    EXPECT_EQ(errorOf([&] { insert.execute(); }).number(), err::ConnectionUnusable);
    EXPECT_EQ(errorOf([&] { insert.lastInsertId(); }).number(), err::ConnectionUnusable);
}

}  // namespace
}  // namespace hv::test
