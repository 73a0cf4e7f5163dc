// The payroll figures, worked out from a database of generated entries on
// both engines, each equal to a plain count of the same entries: weeks that
// cross months and years, weeks starting on Monday or Sunday, months,
// periods that cut weeks, contracts that change in mid-week, entries with a
// time of day, and the days the clocks change in a zone the test sets.
#include "fixtures/database_fixture.h"

#include "data/record_terms.h"
#include "reports/engine/payroll_hours.h"
#include "reports/engine/payroll_source.h"

#include <QRandomGenerator>
#include <ctime>

namespace hv::test {
namespace {

using data::RecordTerms;
using reports::DatePeriod;
using reports::PayrollHours;

// Local time where the clocks change on 2026-03-29 and 2026-10-25, for the
// life of the object.
class BerlinTime {
public:
    BerlinTime() { set("Europe/Berlin"); }
    ~BerlinTime() { set("UTC"); }
    BerlinTime(const BerlinTime&) = delete;
    BerlinTime& operator=(const BerlinTime&) = delete;

private:
    static void set(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
};

struct GeneratedEntry {
    qint64 employee;
    QString worked;  // as stored: "2026-03-29" or "2026-03-29 02:30:00"
    bool billable;
    double hours;
};

struct PayrollCase {
    const char* name;
    QDate from;  // invalid: open
    QDate to;
    PayrollHours::Span span;
    Qt::DayOfWeek firstDay;
};

void PrintTo(const PayrollCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr int kEmployees = 10;
const QDate kFirstDay(2025, 12, 1);
const QDate kLastDay(2027, 1, 31);

class PayrollHoursTest : public DatabaseTest, public ::testing::WithParamInterface<std::tuple<Backend, PayrollCase>> {
protected:
    PayrollHoursTest() : DatabaseTest(std::get<0>(GetParam())) {}
    const PayrollCase& param() const { return std::get<1>(GetParam()); }

    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped())
            return;
        QRandomGenerator random(33);
        const qint64 billable = addWorkCode(QStringLiteral("Design"), true);
        const qint64 other = addWorkCode(QStringLiteral("Meetings"), false);
        data::Transaction all(db());
        for (int e = 0; e < kEmployees; ++e) {
            // Two of the same name; the last two no longer active, one of
            // them without hours.
            const qint64 id = addEmployee(e == 3 ? QStringLiteral("Ann") : QStringLiteral("Person%1").arg(e),
                                          e == 3 ? QStringLiteral("Archer") : QStringLiteral("Surname"));
            if (e == 0)
                addEmployee(QStringLiteral("Ann"), QStringLiteral("Archer"));
            m_names[id] = e == 3 ? QStringLiteral("Ann Archer") : QStringLiteral("Person%1 Surname").arg(e);
            if (e >= kEmployees - 2) {
                RecordTerms::setInactive(db(), RecordTerms::Record::Employee, id, true);
                m_inactive.insert(id);
            }
            RecordTerms::Contracts contracts;
            QDate day = kFirstDay.addDays(random.bounded(-60, 120));
            for (int c = random.bounded(0, 4); c > 0; --c, day = day.addDays(random.bounded(20, 200)))
                contracts.push_back({day, random.bounded(0, 161) * 0.25});
            RecordTerms::setContracts(db(), id, contracts);
            m_contracts[id] = contracts;
            if (e == kEmployees - 1)
                continue;
            for (QDate d = kFirstDay; d <= kLastDay; d = d.addDays(random.bounded(1, 5)))
                add(id, d, random, random.bounded(2) ? billable : other);
        }
        // The days the clocks change, at the hours that do not exist or
        // happen twice, and late and early hours around a new year.
        const qint64 first = m_names.firstKey();
        for (const char* worked : {"2026-03-29 02:30:00", "2026-03-28 23:45:00", "2026-10-25 02:30:00",
                                   "2026-10-25 00:15:00", "2026-12-31 23:59:59", "2027-01-01 00:00:01"})
            addAt(first, QString::fromLatin1(worked), billable, 1.25);
        all.commit();
    }

    void add(qint64 employee, const QDate& day, QRandomGenerator& random, qint64 workCode)
    {
        static const char* const times[] = {"", " 00:15:00", " 08:30:00", " 23:45:00"};
        const QString worked = day.toString(Qt::ISODate) + QString::fromLatin1(times[random.bounded(4)]);
        addAt(employee, worked, workCode, random.bounded(1, 48) * 0.25);
    }

    void addAt(qint64 employee, const QString& worked, qint64 workCode, double hours)
    {
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) values (%1,'%2',%3,%4)")
                    .arg(employee)
                    .arg(worked)
                    .arg(workCode)
                    .arg(hours));
        m_entries.push_back({employee, worked, workCode == 1, hours});
    }

    QMap<qint64, QString> m_names;
    QSet<qint64> m_inactive;
    std::map<qint64, RecordTerms::Contracts> m_contracts;
    std::vector<GeneratedEntry> m_entries;
};

// The plain count: a bucket per week (days since a day that began a week,
// over 7) or month, and the contract found day by day.
struct Counted {
    double billable = 0;
    double nonBillable = 0;
    double contracted = 0;
};

TEST_P(PayrollHoursTest, EveryFigureEqualsAPlainCountOfTheEntries)
{
    const BerlinTime zone;
    const PayrollCase& c = param();
    const DatePeriod period{c.from, c.to};
    const PayrollHours payroll(c.span, c.firstDay);
    const reports::PayrollSource source = reports::PayrollSource::read(db(), period);
    const PayrollHours::Result result = payroll.compute(period, source.employees, source.entries, source.contracts);

    // 2001-01-01 was a Monday.
    const QDate weekOrigin = QDate(2001, 1, 1).addDays(c.firstDay - Qt::Monday);
    const auto bucketOf = [&](const QDate& day) {
        return c.span == PayrollHours::Span::Month ? day.year() * 12 + day.month() - 1
                                                  : static_cast<int>(weekOrigin.daysTo(day) / 7);
    };
    QDate first = c.from;
    QDate last = c.to;
    std::map<qint64, std::map<int, Counted>> counted;
    for (const GeneratedEntry& entry : m_entries) {
        const QDate day = QDate::fromString(entry.worked.left(10), Qt::ISODate);
        if ((c.from.isValid() && day < c.from) || (c.to.isValid() && day > c.to))
            continue;
        Counted& bucket = counted[entry.employee][bucketOf(day)];
        (entry.billable ? bucket.billable : bucket.nonBillable) += entry.hours;
        if (!c.from.isValid() && (!first.isValid() || day < first))
            first = day;
        if (!c.to.isValid() && (!last.isValid() || day > last))
            last = day;
    }
    std::vector<qint64> shown;
    for (auto it = m_names.begin(); it != m_names.end(); ++it) {
        if (!m_inactive.contains(it.key()) || counted.count(it.key()))
            shown.push_back(it.key());
    }
    for (const qint64 id : shown) {
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            double weekly = 0;
            QDate holdsFrom;
            for (const RecordTerms::Contract& contract : m_contracts[id]) {
                if (contract.validFrom <= day && (!holdsFrom.isValid() || contract.validFrom > holdsFrom)) {
                    holdsFrom = contract.validFrom;
                    weekly = contract.weeklyHours;
                }
            }
            counted[id][bucketOf(day)].contracted += weekly / 7;
        }
    }

    ASSERT_EQ(result.blocks.size(), shown.size() + 1);  // the other Ann Archer, without hours
    double firmTotal = 0;
    double firmContracted = 0;
    for (const PayrollHours::Block& block : result.blocks) {
        SCOPED_TRACE(block.name.toStdString());
        const auto& buckets = counted[block.employee];
        if (m_names.contains(block.employee)) {
            EXPECT_EQ(block.name, m_names.value(block.employee) == u"Ann Archer"
                                      ? QStringLiteral("Ann Archer (%1)").arg(block.employee)
                                      : m_names.value(block.employee));
        }
        ASSERT_FALSE(block.lines.empty());
        EXPECT_EQ(block.lines.front().from, first);
        EXPECT_EQ(block.lines.back().to, last);
        double sum = 0;
        for (std::size_t i = 0; i < block.lines.size(); ++i) {
            const PayrollHours::Line& line = block.lines[i];
            if (i > 0) {
                EXPECT_EQ(line.from, block.lines[i - 1].to.addDays(1));
            }
            EXPECT_EQ(bucketOf(line.from), bucketOf(line.to));
            const auto found = buckets.find(bucketOf(line.from));
            const Counted expected = found == buckets.end() ? Counted{} : found->second;
            EXPECT_EQ(line.billable.value(), expected.billable) << line.from.toString(Qt::ISODate).toStdString();
            EXPECT_EQ(line.nonBillable.value(), expected.nonBillable);
            EXPECT_EQ(line.total.value(), expected.billable + expected.nonBillable);
            EXPECT_NEAR(line.contracted, expected.contracted, 1e-9);
            EXPECT_NEAR(line.difference(), expected.billable + expected.nonBillable - expected.contracted, 1e-9);
            sum += expected.billable + expected.nonBillable;
        }
        EXPECT_EQ(block.sum.total.value(), sum);
        firmTotal += sum;
        firmContracted += block.sum.contracted;
    }
    EXPECT_EQ(result.firm.total.value(), firmTotal);
    EXPECT_NEAR(result.firm.contracted, firmContracted, 1e-6);
}

HV_STATEMENT_CASES(
    Periods, PayrollHoursTest,
    PayrollCase{"AllDatesByMondayWeeks", {}, {}, PayrollHours::Span::Week, Qt::Monday},
    PayrollCase{"AMonthBySundayWeeks", QDate(2026, 3, 1), QDate(2026, 3, 31), PayrollHours::Span::Week, Qt::Sunday},
    PayrollCase{"ANewYearCutInMidWeek", QDate(2026, 12, 23), QDate(2027, 1, 5), PayrollHours::Span::Week, Qt::Monday},
    PayrollCase{"TheClocksChangeBySaturdayWeeks", QDate(2026, 10, 20), QDate(2026, 11, 2), PayrollHours::Span::Week,
                Qt::Saturday},
    PayrollCase{"AllDatesByMonths", {}, {}, PayrollHours::Span::Month, Qt::Monday},
    PayrollCase{"FromADayOnByMonths", QDate(2026, 2, 14), {}, PayrollHours::Span::Month, Qt::Monday});

}  // namespace
}  // namespace hv::test
