// The program's own terms of employees and work codes on both engines: which
// are no longer active, and contracts from a day on; bad contracts are
// refused with nothing written, and an unchanged one writes nothing.
#include "fixtures/database_fixture.h"
#include "support/error_of.h"

#include "data/change_journal.h"
#include "data/record_terms.h"

namespace hv::test {
namespace {

using data::RecordTerms;
using Record = RecordTerms::Record;

class RecordTermsTest : public StatementTest {
protected:
    std::size_t changes() { return db().journal().recent(1000).size(); }
};

TEST_P(RecordTermsTest, AnEmployeeAndAWorkCodeOfTheSameIdAreMarkedApartAndMadeActiveAgain)
{
    const qint64 tom = addEmployee(QStringLiteral("Tom"), QStringLiteral("Smith"));
    const qint64 support = addWorkCode(QStringLiteral("Support"), true);
    ASSERT_EQ(tom, support);
    RecordTerms::setInactive(db(), Record::Employee, tom, true);
    EXPECT_EQ(RecordTerms::inactive(db(), Record::Employee), QSet<qint64>{tom});
    EXPECT_TRUE(RecordTerms::inactive(db(), Record::WorkCode).isEmpty());

    const std::size_t before = changes();
    RecordTerms::setInactive(db(), Record::Employee, tom, true);
    RecordTerms::setInactive(db(), Record::WorkCode, support, false);
    EXPECT_EQ(changes(), before);

    RecordTerms::setInactive(db(), Record::Employee, tom, false);
    EXPECT_TRUE(RecordTerms::inactive(db(), Record::Employee).isEmpty());
}

TEST_P(RecordTermsTest, ANameIsInactiveOnlyWhenNoActiveRecordBearsIt)
{
    const qint64 tom = addEmployee(QStringLiteral("Tom"), QStringLiteral("Smith"));
    const qint64 otherTom = addEmployee(QStringLiteral("Tom"), QStringLiteral("Smith"));
    const qint64 firm = addEmployee(QString(), QString(), QStringLiteral("Acme"));
    const qint64 travel = addWorkCode(QStringLiteral("Travel"), false);
    RecordTerms::setInactive(db(), Record::Employee, tom, true);
    RecordTerms::setInactive(db(), Record::Employee, firm, true);
    RecordTerms::setInactive(db(), Record::WorkCode, travel, true);
    EXPECT_EQ(RecordTerms::inactiveNames(db(), Record::Employee), QSet<QString>{QStringLiteral("Acme")});
    EXPECT_EQ(RecordTerms::inactiveNames(db(), Record::WorkCode), QSet<QString>{QStringLiteral("Travel")});
    RecordTerms::setInactive(db(), Record::Employee, otherTom, true);
    EXPECT_EQ(RecordTerms::inactiveNames(db(), Record::Employee),
              (QSet<QString>{QStringLiteral("Acme"), QStringLiteral("Tom Smith")}));
}

TEST_P(RecordTermsTest, ContractsComeBackInTheOrderOfTheirDaysAndAnUnchangedSetWritesNothing)
{
    const RecordTerms::Contracts given = {{QDate(2026, 7, 1), 20}, {QDate(2025, 1, 6), 37.5}};
    RecordTerms::setContracts(db(), 4, given);
    RecordTerms::setContracts(db(), 5, {{QDate(2024, 2, 29), 0}});
    const RecordTerms::Contracts ordered = {given[1], given[0]};
    EXPECT_EQ(RecordTerms::contracts(db(), 4), ordered);
    const auto all = RecordTerms::allContracts(db());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all.at(4), ordered);

    const std::size_t before = changes();
    RecordTerms::setContracts(db(), 4, given);
    EXPECT_EQ(changes(), before);
}

struct BadContracts {
    const char* name;
    RecordTerms::Contracts contracts;
    const char* refusal;
};

class RecordTermsRefusal : public StatementCaseTest<BadContracts> {};

TEST_P(RecordTermsRefusal, RefusesAndWritesNothing)
{
    RecordTerms::setContracts(db(), 1, {{QDate(2026, 1, 1), 40}});
    EXPECT_EQ(errorOf([&] { RecordTerms::setContracts(db(), 1, param().contracts); }).description(),
              QString::fromUtf8(param().refusal));
    EXPECT_EQ(RecordTerms::contracts(db(), 1), (RecordTerms::Contracts{{QDate(2026, 1, 1), 40}}));
}

HV_STATEMENT_CASES(Cases, RecordTermsRefusal,
                   BadContracts{"NoDay", {{QDate(), 10}}, "A contract needs the date from which it holds."},
                   BadContracts{"TooMany", {{QDate(2026, 1, 1), 168.5}},
                                "The contracted hours must be a number from 0 to 168 a week."},
                   BadContracts{"Negative", {{QDate(2026, 1, 1), -1}},
                                "The contracted hours must be a number from 0 to 168 a week."},
                   BadContracts{"SameDayTwice", {{QDate(2026, 2, 1), 10}, {QDate(2026, 1, 1), 5}, {QDate(2026, 2, 1), 8}},
                                "Two contracts hold from 2026-02-01; keep one of them."});

INSTANTIATE_TEST_SUITE_P(Backends, RecordTermsTest, backends(), backendName);

struct HoursOn {
    QDate day;
    double hours;
};

class WeeklyHoursOn : public ::testing::TestWithParam<HoursOn> {};

TEST_P(WeeklyHoursOn, IsTheLastContractValidOnTheDay)
{
    const RecordTerms::Contracts contracts = {{QDate(2025, 1, 6), 37.5}, {QDate(2026, 7, 1), 20}};
    EXPECT_EQ(RecordTerms::weeklyHoursOn(contracts, GetParam().day), GetParam().hours);
}

INSTANTIATE_TEST_SUITE_P(Days, WeeklyHoursOn,
                         ::testing::Values(HoursOn{QDate(2025, 1, 5), 0}, HoursOn{QDate(2025, 1, 6), 37.5},
                                           HoursOn{QDate(2026, 6, 30), 37.5}, HoursOn{QDate(2026, 7, 1), 20},
                                           HoursOn{QDate(2030, 1, 1), 20}));

}  // namespace
}  // namespace hv::test
