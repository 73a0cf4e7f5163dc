#include "gui/date_box.h"

#include "core/locale_text.h"

#include <QCalendarWidget>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

struct EndOfTypingCase {
    const char* name;
    DateBox::Empty empty;
    DateBox::WrongText wrongText;
    const char* typed;
    const char* shown;  // the text when the typing has ended
    QDate held;
    bool signalled;  // dateChanged was sent
};

void PrintTo(const EndOfTypingCase& c, std::ostream* os)
{
    *os << c.name;
}

class DateBoxEnd : public ::testing::TestWithParam<EndOfTypingCase> {
protected:
    DateBoxEnd() { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }
    ~DateBoxEnd() override { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

// When the typing ends, a date is written out in full, an empty box is "no
// date" only where that is a choice, and a text that is no date stays for
// the user to mend or goes back to the date held, as the box is made.
TEST_P(DateBoxEnd, WritesTheDateOutOrKeepsWhatIsNoDate)
{
    const EndOfTypingCase& c = GetParam();
    DateBox box(nullptr, c.empty, c.wrongText);
    box.setDate(QDate(2026, 11, 30));
    QSignalSpy changes(&box, &DateBox::dateChanged);
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Delete);
    QTest::keyClicks(&box, QString::fromLatin1(c.typed));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.text(), QString::fromLatin1(c.shown));
    EXPECT_EQ(box.date(), c.held);
    EXPECT_EQ(changes.size(), c.signalled ? 1 : 0);
    EXPECT_EQ(box.weekday(), c.held.isValid() ? QLocale().dayName(c.held.dayOfWeek()) : QString());
}

constexpr auto kRefused = DateBox::Empty::Refused;
constexpr auto kAllowed = DateBox::Empty::Allowed;
constexpr auto kKept = DateBox::WrongText::Kept;
constexpr auto kReverted = DateBox::WrongText::Reverted;

INSTANTIATE_TEST_SUITE_P(
    Cases, DateBoxEnd,
    ::testing::Values(EndOfTypingCase{"ShortDate", kRefused, kKept, "02/03/26", "2/3/2026", QDate(2026, 2, 3), true},
                      EndOfTypingCase{"WrongKept", kRefused, kKept, "2/30/2026", "2/30/2026", QDate(), false},
                      EndOfTypingCase{"WrongReverted", kAllowed, kReverted, "2/30/2026", "11/30/2026",
                                      QDate(2026, 11, 30), false},
                      EndOfTypingCase{"EmptyRefused", kRefused, kKept, "", "", QDate(), false},
                      EndOfTypingCase{"EmptyRefusedReverts", kRefused, kReverted, "", "11/30/2026",
                                      QDate(2026, 11, 30), false},
                      EndOfTypingCase{"EmptyAllowed", kAllowed, kReverted, "", "", QDate(), true}),
    [](const auto& info) { return std::string(info.param.name); });

// F4 opens the calendar on the date held; the day chosen there is the box's.
TEST(DateBoxCalendar, OpensOnTheDateHeldAndTakesTheDayChosen)
{
    DateBox box;
    box.setDate(QDate(2026, 11, 30));
    QSignalSpy changes(&box, &DateBox::dateChanged);
    QTest::keyClick(&box, Qt::Key_F4);
    auto* calendar = box.findChild<QCalendarWidget*>(QStringLiteral("CalendarChoice"));
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 11, 30));
    EXPECT_EQ(calendar->minimumDate(), text::firstTypedDate());
    Q_EMIT calendar->activated(QDate(2026, 12, 4));
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(box.date(), QDate(2026, 12, 4));
    EXPECT_EQ(box.text(), text::dateToText(QDate(2026, 12, 4)));
    EXPECT_EQ(changes.size(), 1);
}

}  // namespace
}  // namespace hv::test
