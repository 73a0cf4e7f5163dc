// The week sheet driven as a person drives it: keys typed into the real
// window opened from the main window, the entries read back from the list.
#include "app/main_window.h"
#include "app/find_bar.h"
#include "app/undo_actions.h"
#include "entries/week_sheet.h"
#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

namespace hv::test {
namespace {

using entries::WeekSheet;

class WeekSheetTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    // Types into whatever has the keyboard in the sheet; counts every key,
    // and apart the keys that are not digits.
    void type(QWidget& sheet, const QString& keys)
    {
        for (const QChar c : keys) {
            QTest::keyClick(target(sheet), c.toLatin1());
            ++m_keys;
            if (!c.isDigit())
                ++m_controlKeys;
        }
    }
    void key(QWidget& sheet, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(target(sheet), key, modifiers);
            ++m_keys;
            ++m_controlKeys;
        }
    }
    static QWidget* target(QWidget& sheet)
    {
        QWidget* focus = sheet.focusWidget();
        return focus ? focus : sheet.findChild<QTableWidget*>(QStringLiteral("WeekTable"));
    }

    // Opens the sheet as Ctrl+W does (one key) and runs the script in it.
    void openSheet(const std::function<void(WeekSheet&)>& script)
    {
        m_ui.onNextModal([&](QDialog& dialog) { script(static_cast<WeekSheet&>(dialog)); });
        auto* action = m_window->findChild<QAction*>(QStringLiteral("actionWeekSheet"));
        ASSERT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
        action->trigger();
        ++m_keys;
        ++m_controlKeys;
    }

    // A new row of Design on five days, 8 hours each, saved with Enter.
    void typeFiveDays(WeekSheet& sheet)
    {
        type(sheet, QStringLiteral("D"));
        key(sheet, Qt::Key_Tab, Qt::NoModifier, 2);
        for (int day = 0; day < 5; ++day) {
            if (day > 0)
                key(sheet, Qt::Key_Tab);
            type(sheet, QStringLiteral("8"));
        }
        key(sheet, Qt::Key_Return);
    }

    QStringList column(int cell) const
    {
        QStringList texts;
        for (const QStringList& row : listRows(*m_window))
            texts << row.at(cell);
        return texts;
    }

    std::unique_ptr<Form1> m_window;
    int m_keys = 0;
    int m_controlKeys = 0;
};

TEST_F(WeekSheetTest, AFiveDayWeekIsTypedWithFewKeysAndIsOneUndoableChange)
{
    m_window = start();
    addAnnsEntries({});
    m_window->ListData();
    QDate monday;
    openSheet([&](WeekSheet& sheet) {
        monday = sheet.firstDay();
        typeFiveDays(sheet);
        EXPECT_FALSE(sheet.grid().changed());
        key(sheet, Qt::Key_Escape);
        EXPECT_FALSE(sheet.isVisible());
    });
    EXPECT_LE(m_controlKeys, 15);
    EXPECT_EQ(monday.dayOfWeek(), Qt::Monday);
    EXPECT_EQ(column(4), QStringList(5, QStringLiteral("8")));
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(m_window->undoActions()->undo()->text(),
              QStringLiteral("&Undo Week of %1 for Ann Archer: 5 entries added")
                  .arg(QLocale::c().toString(monday, QStringLiteral("d MMM yyyy"))));
    m_window->undoActions()->undo()->trigger();
    EXPECT_TRUE(listRows(*m_window).isEmpty());
}

TEST_F(WeekSheetTest, TenEmployeesWeeksTakeFewerThanTwoHundredKeys)
{
    m_window = start();
    addAnnsEntries({});
    QStringList staff;
    for (int n = 2; n <= 10; ++n)
        staff << QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Staff','%1')").arg(n, 2, 10, QLatin1Char('0'));
    staff << QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',TRUE)");
    execute(staff);
    m_window->ListData();
    openSheet([&](WeekSheet& sheet) {
        for (int employee = 0; employee < 10; ++employee) {
            if (employee > 0)
                key(sheet, Qt::Key_Down, Qt::ControlModifier);
            typeFiveDays(sheet);
        }
        key(sheet, Qt::Key_Escape);
    });
    EXPECT_LT(m_keys, 200);
    EXPECT_EQ(column(4).size(), 50);
    EXPECT_EQ(column(1).count(QStringLiteral("Staff 10")), 5);
    EXPECT_EQ(column(3).count(QStringLiteral("Design")), 50);
}

TEST_F(WeekSheetTest, ACellOfSeveralEntriesShowsTheirSumAndOpensThemInTheList)
{
    m_window = start();
    addAnnsEntries({QStringLiteral("x")});
    execute({entryInsert(1, QStringLiteral("2026-12-01"), 1, QStringLiteral("3"), QStringLiteral("x"))});
    m_window->ListData();
    m_window->selectPosition(1);
    openSheet([&](WeekSheet& sheet) {
        auto* table = sheet.findChild<QTableWidget*>(QStringLiteral("WeekTable"));
        EXPECT_EQ(sheet.firstDay(), QDate(2026, 11, 30));
        // Tuesday, the first row: 2 + 3 hours, not to be typed over.
        EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("5"));
        table->setCurrentCell(0, 3);
        type(sheet, QStringLiteral("9"));
        EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("5"));
        EXPECT_FALSE(sheet.grid().changed());
        Q_EMIT table->cellDoubleClicked(0, 3);
        EXPECT_FALSE(sheet.isVisible());
    });
    EXPECT_TRUE(m_window->findBarShown());
    EXPECT_EQ(column(4), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
}

struct DropCase {
    Qt::Key key;
    QMessageBox::StandardButton answer;
    bool stillOpen;
    int weeksMoved;
};

class DroppingChanges : public WeekSheetTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DroppingChanges, LeavingAWeekWithChangesAsksFirstAndNoKeepsThem)
{
    m_window = start();
    addAnnsEntries({QStringLiteral("x")});
    m_window->ListData();
    m_window->selectPosition(1);
    openSheet([&](WeekSheet& sheet) {
        const QDate first = sheet.firstDay();
        type(sheet, QStringLiteral("4"));  // Monday of the first row
        key(sheet, Qt::Key_Up);
        m_ui.answerNext(GetParam().answer);
        key(sheet, GetParam().key);
        EXPECT_EQ(sheet.isVisible(), GetParam().stillOpen);
        EXPECT_EQ(sheet.firstDay(), first.addDays(7 * GetParam().weeksMoved));
        if (sheet.isVisible()) {
            EXPECT_EQ(sheet.grid().changed(), GetParam().answer == QMessageBox::No);
            sheet.done(0);
        }
    });
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_EQ(m_ui.messages().first().text, QStringLiteral("Drop the changes to this week?"));
    EXPECT_EQ(m_ui.messages().first().defaultButton, QMessageBox::No);
    EXPECT_EQ(column(4), QStringList{QStringLiteral("2")});
}

INSTANTIATE_TEST_SUITE_P(Keys, DroppingChanges,
                         ::testing::Values(DropCase{Qt::Key_Escape, QMessageBox::No, true, 0},
                                           DropCase{Qt::Key_Escape, QMessageBox::Yes, false, 0},
                                           DropCase{Qt::Key_PageDown, QMessageBox::No, true, 0},
                                           DropCase{Qt::Key_PageDown, QMessageBox::Yes, true, 1},
                                           DropCase{Qt::Key_PageUp, QMessageBox::Yes, true, -1}));

// An emptied cell deletes its one entry, and the entry current before the
// sheet stays current after the save, though it now stands higher in the list.
TEST_F(WeekSheetTest, TheCurrentEntryStaysCurrentWhenAnEntryBeforeItGoes)
{
    m_window = start();
    addAnnsEntries({QStringLiteral("x"), QStringLiteral("x")});  // Tuesday 2, Wednesday 3 hours
    execute({entryInsert(1, QStringLiteral("2026-11-23"), 1, QStringLiteral("7"), QStringLiteral("x"))});
    m_window->ListData();
    m_window->selectPosition(2);
    const QString current = m_window->selectedText(0);
    openSheet([&](WeekSheet& sheet) {
        sheet.findChild<QTableWidget*>(QStringLiteral("WeekTable"))->setCurrentCell(0, 3);  // Tuesday
        key(sheet, Qt::Key_F2);
        key(sheet, Qt::Key_Backspace);
        key(sheet, Qt::Key_Return);
        sheet.done(0);
    });
    // The emptied cell's entry is gone, and one Undo brings it back.
    ASSERT_EQ(column(4), (QStringList{QStringLiteral("3"), QStringLiteral("7")}));
    EXPECT_EQ(m_window->selectedPosition(), 1);
    EXPECT_EQ(m_window->selectedText(0), current);
    m_window->undoActions()->undo()->trigger();
    EXPECT_EQ(column(4), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("7")}));
}

}  // namespace
}  // namespace hv::test
