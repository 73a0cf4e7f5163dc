#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "fixtures/database_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace hv::text {
namespace {

TEST(ShortDateFormat, AlwaysHasAFourDigitYear)
{
    EXPECT_EQ(shortDateFormat(QLocale(QStringLiteral("en_US"))), QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(shortDateFormat(QLocale(QStringLiteral("de_DE"))), QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(shortDateFormat(QLocale(QStringLiteral("en_GB"))), QStringLiteral("dd/MM/yyyy"));
    EXPECT_EQ(shortDateFormat(QLocale(QStringLiteral("ja_JP"))), QStringLiteral("yyyy/MM/dd"));
    EXPECT_EQ(dateToText(QDate(2026, 12, 7), QLocale(QStringLiteral("de_DE"))), QStringLiteral("07.12.2026"));
}

struct NumberCase {
    const char* locale;
    const char* text;
    std::optional<double> expected;
    std::optional<double> (*read)(const QString&, const QLocale&) = textToNumber;
};

class TextToNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(TextToNumber, ReadsOnlyWhatTheLocaleOrPlainSqlWrites)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(c.read(QString::fromUtf8(c.text), QLocale(QString::fromLatin1(c.locale))), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToNumber,
    ::testing::Values(NumberCase{"en_US", "7.5", 7.5}, NumberCase{"en_US", " 7 ", 7.0},
                      NumberCase{"en_US", "-3", -3.0}, NumberCase{"en_US", "+2.25", 2.25},
                      NumberCase{"en_US", "1e3", 1000.0}, NumberCase{"en_US", "7,5", std::nullopt},
                      NumberCase{"en_US", "1,234", std::nullopt}, NumberCase{"en_US", "", std::nullopt},
                      NumberCase{"en_US", "   ", std::nullopt}, NumberCase{"en_US", "inf", std::nullopt},
                      NumberCase{"en_US", "nan", std::nullopt}, NumberCase{"en_US", "0x10", std::nullopt},
                      NumberCase{"en_US", "7 hours", std::nullopt}, NumberCase{"en_US", "1e400", std::nullopt},
                      NumberCase{"de_DE", "7,5", 7.5}, NumberCase{"de_DE", "7.5", 7.5},
                      NumberCase{"de_DE", "1.234,5", std::nullopt}, NumberCase{"de_DE", "abc", std::nullopt},
                      // A grouped thousand is never read as a decimal point.
                      NumberCase{"de_DE", "1.000", std::nullopt}, NumberCase{"de_DE", "-12.500", std::nullopt},
                      NumberCase{"de_DE", "1.000.000", std::nullopt}, NumberCase{"de_DE", "1.000e2", std::nullopt},
                      NumberCase{"de_DE", "1.2345", 1.2345}, NumberCase{"de_DE", "0.25", 0.25},
                      NumberCase{"it_IT", "2.500", std::nullopt}, NumberCase{"en_US", "1,000", std::nullopt},
                      NumberCase{"fr_FR", "1\u202f000", std::nullopt}, NumberCase{"fr_FR", "7,5", 7.5},
                      NumberCase{"fr_FR", "7.5", 7.5}, NumberCase{"ru_RU", "1\u00a0000", std::nullopt},
                      NumberCase{"ru_RU", "2,5", 2.5}));

// Typed hours: h:mm reads as hours, anything else as a number, so the de_DE
// and fr_FR decimal commas and a time-like text that is not h:mm are judged
// as before.
NumberCase typed(const char* locale, const char* text, std::optional<double> expected)
{
    return {locale, text, expected, textToHours};
}

INSTANTIATE_TEST_SUITE_P(
    Hours, TextToNumber,
    ::testing::Values(typed("en_US", "1:30", 1.5), typed("en_US", " 0:45 ", 0.75), typed("de_DE", "8:00", 8.0),
                      typed("de_DE", "12:06", 12.1), typed("fr_FR", "1:30", 1.5), typed("ja_JP", "0:59", 59 / 60.0),
                      typed("de_DE", "7,5", 7.5), typed("fr_FR", "7,5", 7.5), typed("en_US", "7.5", 7.5),
                      typed("de_DE", "1.000", std::nullopt), typed("en_US", "1:60", std::nullopt),
                      typed("en_US", "1:5", std::nullopt), typed("en_US", "-1:30", std::nullopt),
                      typed("en_US", "+1:30", std::nullopt), typed("en_US", ":30", std::nullopt),
                      typed("en_US", "1:30:00", std::nullopt), typed("en_US", "1: 30", std::nullopt),
                      typed("en_US", "1,5:30", std::nullopt), typed("ar_EG", "\u0661:\u0663\u0660", std::nullopt),
                      typed("en_US", "1e400:00", std::nullopt), typed("en_US", "", std::nullopt)));

struct DateCase {
    const char* locale;
    const char* text;
    QDateTime expected;  // invalid: not a date
};

class TextToDateTime : public ::testing::TestWithParam<DateCase> {};

TEST_P(TextToDateTime, ReadsTheShortFormatAndIso)
{
    const DateCase& c = GetParam();
    const std::optional<QDateTime> read =
        textToDateTime(QString::fromUtf8(c.text), QLocale(QString::fromLatin1(c.locale)));
    if (!c.expected.isValid()) {
        EXPECT_FALSE(read.has_value()) << read->toString(Qt::ISODate).toStdString();
        return;
    }
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->date(), c.expected.date());
    EXPECT_EQ(read->time(), c.expected.time());
}

QDateTime at(int y, int m, int d, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(y, m, d), QTime(hour, minute, second), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToDateTime,
    ::testing::Values(DateCase{"en_US", "12/7/2026", at(2026, 12, 7)}, DateCase{"en_US", "12/07/2026", at(2026, 12, 7)},
                      DateCase{"en_US", " 1/2/2026 ", at(2026, 1, 2)}, DateCase{"en_US", "12/7/26", at(2026, 12, 7)},
                      DateCase{"en_US", "12/7/99", at(1999, 12, 7)}, DateCase{"en_US", "2026-12-07", at(2026, 12, 7)},
                      DateCase{"en_US", "2026-12-07T08:30:00", at(2026, 12, 7, 8, 30)},
                      DateCase{"en_US", "12/7/2026 8:30:15 AM", at(2026, 12, 7, 8, 30, 15)},
                      DateCase{"en_US", "12/7/2026 2:15 PM", at(2026, 12, 7, 14, 15)},
                      DateCase{"en_US", "2/30/2026", {}}, DateCase{"en_US", "13/1/2026", {}},
                      DateCase{"en_US", "7.12.2026", {}}, DateCase{"en_US", "", {}}, DateCase{"en_US", "today", {}},
                      DateCase{"en_US", "12/7/2026 25:00", {}}, DateCase{"en_US", "2026-02-30", {}},
                      DateCase{"de_DE", "07.12.2026", at(2026, 12, 7)}, DateCase{"de_DE", "7.12.2026", at(2026, 12, 7)},
                      DateCase{"de_DE", "07.12.26", at(2026, 12, 7)},
                      DateCase{"de_DE", "07.12.2026 17:05:00", at(2026, 12, 7, 17, 5)},
                      DateCase{"de_DE", "12/7/2026", {}}));

// Whatever a locale writes as a date, with or without a time of day, it reads
// back as the same date: also locales whose short date has blanks in it.
class DateRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(DateRoundTrip, ReadsBackWhatItWrites)
{
    const QLocale locale(QString::fromLatin1(GetParam()));
    for (const QDate date : {QDate(2026, 12, 7), QDate(1931, 1, 1), QDate(2099, 2, 28), QDate(2000, 10, 31)}) {
        const QString text = dateToText(date, locale);
        const std::optional<QDateTime> read = textToDateTime(text, locale);
        ASSERT_TRUE(read.has_value()) << GetParam() << " " << text.toStdString();
        EXPECT_EQ(read->date(), date) << GetParam() << " " << text.toStdString();

        const QDateTime withTime(date, QTime(15, 4, 5), Qt::UTC);
        const QString timed = valueToText(withTime, locale);
        const std::optional<QDateTime> readTimed = textToDateTime(timed, locale);
        ASSERT_TRUE(readTimed.has_value()) << GetParam() << " " << timed.toStdString();
        EXPECT_EQ(*readTimed, withTime) << GetParam() << " " << timed.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, DateRoundTrip,
                         ::testing::Values("C", "en_US", "de_DE", "en_GB", "fr_FR", "hu_HU", "ko_KR", "ja_JP",
                                           "zh_CN", "ru_RU", "nl_NL", "pt_BR"));

// The text a statement carries for a stored date and time reads back to
// exactly that value in every locale there is, in its own way or as stored.
TEST(DateTimeToText, ReadsBackExactlyInEveryLocale)
{
    const QList<QLocale> all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(all.size(), 100);
    int ownWay = 0;
    for (const QLocale& locale : all) {
        for (const QDateTime& value : {QDateTime(QDate(2024, 3, 31), QTime(2, 30, 59), Qt::UTC),
                                       QDateTime(QDate(1999, 12, 31), QTime(23, 59, 1), Qt::UTC),
                                       QDateTime(QDate(2026, 1, 2), QTime(0, 0), Qt::UTC)}) {
            const QString text = dateTimeToText(value, locale);
            const std::optional<QDateTime> read = textToDateTime(text, locale);
            ASSERT_TRUE(read.has_value()) << locale.name().toStdString() << " " << text.toStdString();
            EXPECT_EQ(read->date(), value.date()) << locale.name().toStdString() << " " << text.toStdString();
            EXPECT_EQ(read->time(), value.time()) << locale.name().toStdString() << " " << text.toStdString();
            ownWay += text.startsWith(QStringLiteral("20")) || text.startsWith(QStringLiteral("19")) ? 0 : 1;
        }
    }
    EXPECT_GT(ownWay, all.size());  // most locales write their own text
}

struct TextCase {
    const char* locale;
    QVariant value;
    const char* expected;
};

class ValueToText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ValueToText, JoinsTheValueToEmptyText)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(valueToText(c.value, QLocale(QString::fromLatin1(c.locale))), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueToText,
    ::testing::Values(TextCase{"en_US", QVariant(16.0), "16"}, TextCase{"en_US", QVariant(7.5), "7.5"},
                      TextCase{"de_DE", QVariant(7.5), "7,5"}, TextCase{"en_US", QVariant(1234567.5), "1234567.5"},
                      TextCase{"en_US", QVariant(0.1 + 0.2), "0.3"}, TextCase{"en_US", QVariant(-2.0), "-2"},
                      TextCase{"en_US", QVariant(1e20), "1E+20"},
                      TextCase{"en_US", QVariant::fromValue<qint64>(42), "42"},
                      TextCase{"en_US", QVariant(QDate(2026, 12, 7)), "12/7/2026"},
                      TextCase{"de_DE", QVariant(QDate(2026, 12, 7)), "07.12.2026"},
                      TextCase{"en_US", QVariant(QDateTime(QDate(2026, 12, 7), QTime(8, 30), Qt::UTC)),
                               "12/7/2026 8:30:00 AM"},
                      TextCase{"de_DE", QVariant(QDateTime(QDate(2026, 12, 7), QTime(17, 5), Qt::UTC)),
                               "07.12.2026 17:05:00"},
                      TextCase{"en_US", QVariant(true), "True"}, TextCase{"en_US", QVariant(false), "False"},
                      TextCase{"en_US", QVariant(), ""}, TextCase{"en_US", QVariant(QStringLiteral("O'Brien")), "O'Brien"}));

TEST(NumberToSqlText, WritesWhatSqlReadsBack)
{
    for (double value : {7.5, 16.0, 0.1, -2.25, 1e20, 1e-9, 123456789.125, 0.0}) {
        const QString text = numberToSqlText(value);
        EXPECT_FALSE(text.contains(u',')) << text.toStdString();
        EXPECT_EQ(QLocale::c().toDouble(text), value) << text.toStdString();
    }
    EXPECT_EQ(numberToSqlText(7.5), QStringLiteral("7.5"));
    EXPECT_EQ(numberToSqlText(16.0), QStringLiteral("16"));
}

long errorNumberOf(const std::function<void()>& call)
{
    return hv::test::errorOf(call).number();
}

TEST(SettingConversions, RoundHalfToEvenAndReportBadText)
{
    const QLocale us(QStringLiteral("en_US"));
    EXPECT_EQ(toSingle(QStringLiteral("1200"), us), 1200.0f);
    EXPECT_EQ(toSingle(QStringLiteral("1700,5"), QLocale(QStringLiteral("de_DE"))), 1700.5f);
    EXPECT_EQ(toInteger(QStringLiteral("2.5"), us), 2);
    EXPECT_EQ(toInteger(QStringLiteral("3.5"), us), 4);
    EXPECT_EQ(toInteger(QStringLiteral("-2.5"), us), -2);
    EXPECT_EQ(toInteger(QStringLiteral("32767"), us), 32767);
    EXPECT_EQ(toInteger(QStringLiteral("-32768.5"), us), -32768);

    EXPECT_EQ(errorNumberOf([&] { toSingle(QStringLiteral("wide"), us); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { toSingle(QString(), us); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { toSingle(QStringLiteral("1e39"), us); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([&] { toInteger(QStringLiteral("max"), us); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { toInteger(QStringLiteral("32768"), us); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([&] { toInteger(QStringLiteral("32767.5"), us); }), err::Overflow);
}

TEST(FieldConversions, TakeWholeNumbersOfEveryKindAndRefuseNull)
{
    const QLocale de(QStringLiteral("de_DE"));
    EXPECT_EQ(toLong(QVariant(qint64(2147483647)), de), 2147483647);
    EXPECT_EQ(toLong(QVariant(2.5), de), 2);
    EXPECT_EQ(toLong(QVariant(true), de), -1);
    EXPECT_EQ(toLong(QVariant(QStringLiteral(" 12,5 ")), de), 12);

    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(), de); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(qint64(2147483648LL)), de); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(-2147483648.6), de); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(qQNaN()), de); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(QStringLiteral("ten")), de); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { toLong(QVariant(QDate(2026, 12, 7)), de); }), err::TypeMismatch);
}

}  // namespace
}  // namespace hv::text
