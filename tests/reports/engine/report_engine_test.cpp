#include "reports/engine/hours_total.h"
#include "reports/engine/paper_size.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_period.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace hv::test {
namespace {

using reports::DatePeriod;
using reports::HoursTotal;
using reports::QuickPeriod;

struct SumCase {
    std::vector<double> hours;
    const char* shown;  // as a report shows it, English
    const char* plain;  // as a file carries it
};

void PrintTo(const SumCase& c, std::ostream* out)
{
    *out << c.plain;
}

class HoursTotalTest : public ::testing::TestWithParam<SumCase> {};

// Decimal hours add up exactly, as typed; large and tiny values keep their
// digits; the shown total uses the locale's decimal separator.
TEST_P(HoursTotalTest, AddsTheDecimalsAsTyped)
{
    HoursTotal total;
    for (double h : GetParam().hours)
        total.add(h);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(total.toText(english), QString::fromLatin1(GetParam().shown));
    EXPECT_EQ(total.toPlainText(), QString::fromLatin1(GetParam().plain));
    QString german = QString::fromLatin1(GetParam().shown);
    german.replace(QLatin1Char('.'), QLatin1Char(','));
    EXPECT_EQ(total.toText(QLocale(QLocale::German, QLocale::Germany)), german);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, HoursTotalTest,
    ::testing::Values(SumCase{{}, "0", "0"}, SumCase{{0.1, 0.2}, "0.3", "0.3"},
                      SumCase{{0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, "1", "1"},
                      SumCase{{-5, 10, 16, 3}, "24", "24"}, SumCase{{7.25, -7.5}, "-0.25", "-0.25"},
                      SumCase{{1.005, 2.015, 0.0001}, "3.0201", "3.0201"},
                      SumCase{{0.333333333333333, 0.333333333333333, 0.333333333333333}, "0.999999999999999",
                              "0.999999999999999"},
                      SumCase{{123456789.125, 0.125}, "123456789.25", "123456789.25"},
                      SumCase{{1e-17}, "0", "0"}));

TEST(HoursTotalTest, SumsBeyondItsDigitsFallBackToBinary)
{
    HoursTotal total;
    total.add(1e30);
    total.add(1e30);
    EXPECT_DOUBLE_EQ(total.toPlainText().toDouble(), 2e30);
    EXPECT_DOUBLE_EQ(total.toText(QLocale(QLocale::English, QLocale::UnitedStates)).toDouble(), 2e30);
}

struct PeriodCase {
    QuickPeriod choice;
    QDate today;
    Qt::DayOfWeek firstDay;
    QDate from;
    QDate to;
};

class QuickPeriodTest : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(QuickPeriodTest, CoversItsDays)
{
    const PeriodCase& c = GetParam();
    const DatePeriod period = reports::periodOf(c.choice, c.today, c.firstDay);
    EXPECT_EQ(period.from, c.from) << period.from.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(period.to, c.to) << period.to.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(reports::quickPeriodFromKey(reports::quickPeriodKey(c.choice)), c.choice);
}

// Wednesday 4 March 2026, and New Year's Day 2026 (a Thursday).
const QDate kWednesday(2026, 3, 4);
const QDate kNewYear(2026, 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Choices, QuickPeriodTest,
    ::testing::Values(
        PeriodCase{QuickPeriod::ThisWeek, kWednesday, Qt::Monday, {2026, 3, 2}, {2026, 3, 8}},
        PeriodCase{QuickPeriod::ThisWeek, kWednesday, Qt::Sunday, {2026, 3, 1}, {2026, 3, 7}},
        PeriodCase{QuickPeriod::LastWeek, kWednesday, Qt::Monday, {2026, 2, 23}, {2026, 3, 1}},
        PeriodCase{QuickPeriod::LastWeek, kNewYear, Qt::Monday, {2025, 12, 22}, {2025, 12, 28}},
        PeriodCase{QuickPeriod::ThisMonth, kWednesday, Qt::Monday, {2026, 3, 1}, {2026, 3, 31}},
        PeriodCase{QuickPeriod::LastMonth, kWednesday, Qt::Monday, {2026, 2, 1}, {2026, 2, 28}},
        PeriodCase{QuickPeriod::LastMonth, kNewYear, Qt::Monday, {2025, 12, 1}, {2025, 12, 31}},
        PeriodCase{QuickPeriod::ThisYear, kWednesday, Qt::Monday, {2026, 1, 1}, {2026, 12, 31}},
        PeriodCase{QuickPeriod::LastYear, kNewYear, Qt::Monday, {2025, 1, 1}, {2025, 12, 31}},
        PeriodCase{QuickPeriod::AllDates, kWednesday, Qt::Monday, {}, {}},
        PeriodCase{QuickPeriod::Custom, kWednesday, Qt::Monday, {}, {}}));

struct PaperCase {
    QLocale::Language language;
    QLocale::Territory territory;
    QPageSize::PageSizeId paper;
};

class PaperTest : public ::testing::TestWithParam<PaperCase> {};

TEST_P(PaperTest, FollowsTheLocale)
{
    EXPECT_EQ(reports::paperForLocale(QLocale(GetParam().language, GetParam().territory)).id(), GetParam().paper)
        << QLocale(GetParam().language, GetParam().territory).name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Locales, PaperTest,
    ::testing::Values(PaperCase{QLocale::English, QLocale::UnitedStates, QPageSize::Letter},
                      PaperCase{QLocale::English, QLocale::Canada, QPageSize::Letter},
                      PaperCase{QLocale::French, QLocale::Canada, QPageSize::Letter},
                      PaperCase{QLocale::Spanish, QLocale::Mexico, QPageSize::Letter},
                      PaperCase{QLocale::English, QLocale::UnitedKingdom, QPageSize::A4},
                      PaperCase{QLocale::German, QLocale::Germany, QPageSize::A4},
                      PaperCase{QLocale::Japanese, QLocale::Japan, QPageSize::A4},
                      PaperCase{QLocale::English, QLocale::Australia, QPageSize::A4}));

// The paper without a printer, from the variables the C library reads for
// it, and from the system's paper file under the C locale.
struct PaperEnvironmentCase {
    const char* name;
    const char* lcAll;
    const char* lcPaper;
    const char* lang;
    const char* papersize;  // the paper file's text; nullptr: no file
    QPageSize::PageSizeId paper;
    const char* paperName = nullptr;  // PAPERSIZE
    bool fileInPaperconf = false;     // the file is named by PAPERCONF, not passed in
};

void PrintTo(const PaperEnvironmentCase& c, std::ostream* out)
{
    *out << c.name;
}

class PaperEnvironmentTest : public ::testing::TestWithParam<PaperEnvironmentCase> {};

TEST_P(PaperEnvironmentTest, FollowsThePaperLocaleOrThePaperFile)
{
    const PaperEnvironmentCase& c = GetParam();
    QProcessEnvironment environment;
    const std::pair<const char*, const char*> variables[] = {
        {"LC_ALL", c.lcAll}, {"LC_PAPER", c.lcPaper}, {"LANG", c.lang}, {"PAPERSIZE", c.paperName}};
    for (const auto& [variable, value] : variables) {
        if (value)
            environment.insert(QString::fromLatin1(variable), QString::fromLatin1(value));
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("papersize"));
    if (c.papersize) {
        QFile paper(file);
        ASSERT_TRUE(paper.open(QIODevice::WriteOnly));
        paper.write(c.papersize);
    }
    if (c.fileInPaperconf)
        environment.insert(QStringLiteral("PAPERCONF"), file);
    const QString passed = c.fileInPaperconf ? folder.filePath(QStringLiteral("none")) : file;
    EXPECT_EQ(reports::paperForEnvironment(environment, passed).id(), c.paper);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, PaperEnvironmentTest,
    ::testing::Values(
        PaperEnvironmentCase{"EnglishWithGermanFormats", nullptr, "de_DE.UTF-8", "en_US.UTF-8", "letter\n", QPageSize::A4},
        PaperEnvironmentCase{"LangAlone", nullptr, nullptr, "en_US.UTF-8", "a4\n", QPageSize::Letter},
        PaperEnvironmentCase{"LangGerman", nullptr, nullptr, "de_DE.UTF-8", nullptr, QPageSize::A4},
        PaperEnvironmentCase{"LcAllOverridesTheRest", "en_CA.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", nullptr,
                             QPageSize::Letter},
        PaperEnvironmentCase{"EmptyLcAllCountsAsUnset", "", "fr_FR.UTF-8", "en_US.UTF-8", nullptr, QPageSize::A4},
        PaperEnvironmentCase{"ModifierAndCodeset", nullptr, "de_AT.ISO-8859-15@euro", nullptr, nullptr, QPageSize::A4},
        PaperEnvironmentCase{"CUtf8ReadsThePaperFile", nullptr, nullptr, "C.UTF-8", "# the system's paper\n\na4\n",
                             QPageSize::A4},
        PaperEnvironmentCase{"PosixReadsThePaperFile", nullptr, nullptr, "POSIX", "Letter\n", QPageSize::Letter},
        PaperEnvironmentCase{"PaperInCReadsThePaperFile", nullptr, "C", "en_US.UTF-8", "a5\n", QPageSize::A5},
        PaperEnvironmentCase{"NothingSetReadsThePaperFile", nullptr, nullptr, nullptr, "a4", QPageSize::A4},
        PaperEnvironmentCase{"CWithoutAPaperFile", nullptr, nullptr, "C", nullptr, QPageSize::Letter},
        PaperEnvironmentCase{"CWithAnUnknownPaper", nullptr, nullptr, "C", "napkin\n", QPageSize::Letter},
        PaperEnvironmentCase{"PapersizeOverTheLocale", "de_DE.UTF-8", nullptr, nullptr, "a4\n", QPageSize::Letter,
                             "letter"},
        PaperEnvironmentCase{"UnknownPapersizeIsPassedOver", nullptr, nullptr, "de_DE.UTF-8", nullptr, QPageSize::A4,
                             "napkin"},
        PaperEnvironmentCase{"PaperconfNamesThePaperFile", nullptr, nullptr, "C.UTF-8", "a5\n", QPageSize::A5,
                             nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The additions go to a copy: the designed layout, shared by every preview,
// keeps its five bands as they were.
TEST(ReportLayoutTest, DecoratingLeavesTheDesignAsItWas)
{
    using reports::SectionKind;
    const reports::ReportLayout& design = reports::rptBillableHoursByEmployee();
    const reports::ReportLayout plus = reports::decorated(
        design, {{QStringLiteral("Period: all"), QStringLiteral("Employee: Tom Smith")}, true, true});
    EXPECT_EQ(plus.sections.size(), 7);
    EXPECT_EQ(plus.section(SectionKind::ReportHeader).controls.size(), 3);
    EXPECT_EQ(plus.section(SectionKind::PageFooter).controls.size(), 2);

    EXPECT_EQ(design.sections.size(), 5);
    EXPECT_EQ(design.section(SectionKind::ReportHeader).height, 435);
    EXPECT_EQ(design.section(SectionKind::ReportHeader).controls.size(), 1);
    EXPECT_EQ(design.section(SectionKind::PageFooter).height, 0);
    EXPECT_TRUE(design.section(SectionKind::PageFooter).controls.isEmpty());
}

}  // namespace
}  // namespace hv::test
