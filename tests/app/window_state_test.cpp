#include "fixtures/main_window_fixture.h"

#include "app/main_window_layout.h"
#include "core/settings_store.h"
#include "core/twips.h"
#include "app/work_hours_model.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>

namespace hv::test {
namespace {

class WindowStateTest : public MainWindowTest {
protected:
    static QString saved(const QString& key)
    {
        return settings::GetSetting(QStringLiteral("Harrowfen"), QStringLiteral("Hourvane"), key,
                                    QStringLiteral("<none>"));
    }
    static void save(const QString& key, const QString& value)
    {
        settings::SaveSetting(QStringLiteral("Harrowfen"), QStringLiteral("Hourvane"), key, value);
    }
    static int sectionWidth(const Form1& window, int position)
    {
        return window.listView()->header()->sectionSize(position - 1);
    }
    static QRect place(const Form1& window, const char* name)
    {
        return window.findChild<QWidget*>(QString::fromLatin1(name))->geometry();
    }
};

TEST_F(WindowStateTest, NoSavedSettingsGiveTheDefaultWidthsAndTheNormalState)
{
    auto window = start();
    EXPECT_EQ(sectionWidth(*window, 1), 80);  // 1200 twips
    for (int c = 2; c <= 6; ++c)
        EXPECT_EQ(sectionWidth(*window, c), 113) << c;  // 1700 twips
    EXPECT_EQ(window->windowStateNumber(), 0);
    EXPECT_FALSE(window->maximized());

    closeWindow(window);
    EXPECT_EQ(saved(QStringLiteral("1ColumnHeaders")), QStringLiteral("1200"));
    EXPECT_EQ(saved(QStringLiteral("6ColumnHeaders")), QStringLiteral("1700"));
    EXPECT_EQ(saved(QStringLiteral("WindowState")), QStringLiteral("0"));
}

TEST_F(WindowStateTest, DraggedWidthsAndTheStateRoundTripThroughARestart)
{
    auto window = start();
    window->show();
    window->listView()->header()->resizeSection(1, 200);  // as a drag of the divider would
    window->listView()->header()->resizeSection(5, 41);
    window->showMaximized();
    QTest::qWait(20);
    EXPECT_EQ(window->windowStateNumber(), 2);
    closeWindow(window);
    EXPECT_EQ(saved(QStringLiteral("2ColumnHeaders")), QStringLiteral("3000"));
    EXPECT_EQ(saved(QStringLiteral("6ColumnHeaders")), QStringLiteral("615"));
    EXPECT_EQ(saved(QStringLiteral("WindowState")), QStringLiteral("2"));

    window = start();
    EXPECT_EQ(sectionWidth(*window, 2), 200);
    EXPECT_EQ(sectionWidth(*window, 6), 41);
    EXPECT_EQ(sectionWidth(*window, 3), 113);
    EXPECT_TRUE(window->maximized());
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(WindowStateTest, MinimisedStateIsSavedAndRestored)
{
    auto window = start();
    window->show();
    window->showMinimized();
    QTest::qWait(20);
    closeWindow(window);
    EXPECT_EQ(saved(QStringLiteral("WindowState")), QStringLiteral("1"));
    window = start();
    EXPECT_EQ(window->windowStateNumber(), 1);
    EXPECT_TRUE(window->maximized());
}

// A saved value that is not a usable number is reported at its own line; the
// rest of start-up goes on and the other settings still apply.
struct BadSetting {
    const char* key;
    const char* value;
    int line;
};

class BadSettingTest : public WindowStateTest, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(BadSettingTest, IsReportedAtItsLine)
{
    save(QStringLiteral("3ColumnHeaders"), QStringLiteral("2400"));
    save(QString::fromLatin1(GetParam().key), QString::fromLatin1(GetParam().value));
    auto window = start();

    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 1) << reports.join(QStringLiteral("\n")).toStdString();
    EXPECT_TRUE(reports[0].endsWith(QStringLiteral("in Vevudazor2021/08/31.Form1.Form_Load at line ")
                                    + QString::number(GetParam().line)
                                    + QStringLiteral("\r\rPlease email screenshot of this message to support@harrowfen.example")))
        << reports[0].toStdString();
    EXPECT_EQ(sectionWidth(*window, 3), 160);
    EXPECT_EQ(window->listModel()->columnCount(), 6);
    if (GetParam().line == 168) {
        EXPECT_EQ(window->windowStateNumber(), 0);
        EXPECT_FALSE(window->maximized());
    } else {
        // The column keeps the width it was created with.
        EXPECT_EQ(sectionWidth(*window, GetParam().line == 158 ? 1 : 6),
                  GetParam().line == 158 ? 80 : 113);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, BadSettingTest,
                         ::testing::Values(BadSetting{"1ColumnHeaders", "wide", 158},
                                           BadSetting{"6ColumnHeaders", "", 162},
                                           BadSetting{"6ColumnHeaders", "-40", 162},
                                           BadSetting{"WindowState", "maximised", 168},
                                           BadSetting{"WindowState", "99999", 168},
                                           BadSetting{"WindowState", "5", 168}));

TEST_F(WindowStateTest, MaximisedLayoutStretchesAndRestoreBringsTheDesignBackCentred)
{
    auto window = start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->move(3, 4);
    window->showMaximized();
    QTest::qWait(20);
    ASSERT_EQ(window->windowStateNumber(), 2);
    EXPECT_TRUE(window->maximized());

    // Measured in the client area below the menu bar.
    ASSERT_GT(window->menuBarHeight(), 0);
    EXPECT_EQ(window->clientArea()->geometry().top(), window->menuBarHeight());
    const QSize outer = window->frameGeometry().size() - QSize(0, window->menuBarHeight());
    const layout::MainWindowPlaces stretched =
        layout::stretchedPlaces({twips::fromPixels(outer.width()), twips::fromPixels(outer.height())});
    const auto px = [](const QRectF& r) { return twips::rect(r.left(), r.top(), r.width(), r.height()); };
    EXPECT_EQ(place(*window, "ListView1"), px(stretched.list));
    EXPECT_EQ(place(*window, "PushButton2"), px(stretched.addButton));
    EXPECT_EQ(place(*window, "PushButton6"), px(stretched.helpButton));

    window->showNormal();
    QTest::qWait(20);
    ASSERT_EQ(window->windowStateNumber(), 0);
    const layout::MainWindowPlaces design = layout::designPlaces();
    EXPECT_EQ(place(*window, "ListView1"), px(design.list));
    EXPECT_EQ(place(*window, "PushButton4"), px(design.sampleButton));
    EXPECT_EQ(window->clientArea()->size(), QSize(704, 447));
    EXPECT_EQ(window->size(), window->designWindowSize());
    const QRect screen = window->screen()->geometry();
    EXPECT_NEAR(window->frameGeometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(window->frameGeometry().center().y(), screen.center().y(), 2);
    closeWindow(window);
}

TEST_F(WindowStateTest, ANormalWindowNeverMaximisedKeepsItsPlaceAndSize)
{
    auto window = start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->move(30, 40);
    window->resize(900, 700);  // a drag of the border
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->clientArea()->size() == QSize(704, 447); }, 2000))
        << window->width();
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_FALSE(window->maximized());
    closeWindow(window);
}

}  // namespace
}  // namespace hv::test
