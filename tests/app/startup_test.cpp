#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include "core/app_config.h"
#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/connection.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

namespace hv::test {
namespace {

QByteArray fileDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QByteArray templateBytes()
{
    QFile file(programFolder() + QStringLiteral("/dbBlank.mdb"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The next control that Tab reaches after a control of the window's client area.
QWidget* nextTabStop(QWidget* control)
{
    QWidget* next = control->nextInFocusChain();
    while (next != control
           && (next->parentWidget() != control->parentWidget() || !(next->focusPolicy() & Qt::TabFocus)))
        next = next->nextInFocusChain();
    return next;
}

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstStartCreatesTheFoldersAndCopiesTheTemplate)
{
    ASSERT_FALSE(QFileInfo::exists(m_folders.dataHome() + QStringLiteral("/Harrowfen")));
    auto window = start();

    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join(QStringLiteral("\n")).toStdString();
    EXPECT_TRUE(QFileInfo(dataFolder()).isDir());
    QFile live(liveDatabase());
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    EXPECT_EQ(live.readAll(), templateBytes());
    EXPECT_FALSE(QFileInfo::exists(liveDatabase() + QStringLiteral(".partial")));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
    EXPECT_EQ(SharedConnection::get().state(), data::Connection::StateOpen);
    EXPECT_EQ(window->listModel()->rowCount(), 0);
    const QStringList headers = [&] {
        QStringList h;
        for (int c = 0; c < window->listModel()->columnCount(); ++c)
            h.append(window->listModel()->headerData(c, Qt::Horizontal).toString());
        return h;
    }();
    EXPECT_EQ(headers, QStringList({"ID", "Employee", "Date Worked", " Work Code", "Hours", " Work Description"}));
}

TEST_F(StartupTest, ANewAccountWithoutADataFolderStartsCleanly)
{
    const QString missing = m_folders.dataHome() + QStringLiteral("/new-account/.local/share");
    qputenv("XDG_DATA_HOME", QFile::encodeName(missing));
    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(missing + QStringLiteral("/Harrowfen/Hourvane/dbData.mdb")));
    EXPECT_EQ(SharedConnection::get().state(), data::Connection::StateOpen);
}

TEST_F(StartupTest, LaterStartLeavesTheExistingDatabaseAsItIs)
{
    {
        auto first = start();
        closeWindow(first);
    }
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')")});
    const QByteArray before = fileDigest(liveDatabase());
    const QDateTime modified = QFileInfo(liveDatabase()).lastModified();

    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    EXPECT_EQ(fileDigest(liveDatabase()), before);
    EXPECT_EQ(QFileInfo(liveDatabase()).lastModified(), modified);
}

TEST_F(StartupTest, RemovedDatabaseIsCopiedAgainIntoTheExistingFolder)
{
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    const QDateTime folderMade = QFileInfo(dataFolder()).birthTime();
    auto window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(fileDigest(liveDatabase()), QCryptographicHash::hash(templateBytes(), QCryptographicHash::Sha256));
    closeWindow(window);

    ASSERT_TRUE(QFile::remove(liveDatabase()));
    window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(liveDatabase()));
    EXPECT_EQ(QFileInfo(dataFolder()).birthTime(), folderMade);
}

TEST_F(StartupTest, MissingTemplateIsReportedAtEachFailingLineAndTheWindowStillOpens)
{
    QTemporaryDir emptyProgramFolder;
    fs::setProgramFolder(emptyProgramFolder.path());
    auto window = start();

    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 3) << reports.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form1.Form_Load at line 110\r\r")));
    EXPECT_TRUE(reports[1].contains(QStringLiteral("Form1.Form_Load at line 144\r\r")));
    EXPECT_TRUE(reports[2].contains(QStringLiteral("Form1.ListData at line 104\r\r")));
    EXPECT_FALSE(QFileInfo::exists(liveDatabase()));
    EXPECT_EQ(window->listModel()->columnCount(), 6);
    EXPECT_EQ(window->listModel()->rowCount(), 0);
}

// Files that are not a database of this program: each is reported at line 144,
// the window opens, and the file is left byte for byte as it was.
class UnreadableDatabaseTest : public MainWindowTest, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(UnreadableDatabaseTest, IsReportedAndNeverTouched)
{
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    {
        QFile file(liveDatabase());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam());
    }
    const QByteArray before = fileDigest(liveDatabase());

    auto window = start();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 2) << reports.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\r\nin Vevudazor2021/08/31.Form1.Form_Load at line 144\r\r")));
    EXPECT_TRUE(reports[0].contains(liveDatabase())) << reports[0].toStdString();
    EXPECT_TRUE(reports[1].contains(QStringLiteral("Form1.ListData at line 104")));
    EXPECT_EQ(window->listModel()->rowCount(), 0);

    closeWindow(window);
    EXPECT_EQ(fileDigest(liveDatabase()), before);
    EXPECT_EQ(QFileInfo(liveDatabase()).size(), GetParam().size());
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableDatabaseTest,
                         ::testing::Values(QByteArray(), QByteArray("this is not a database at all\n"),
                                           QByteArray(4096, '\x7f'),
                                           QByteArray("SQLite format 3\0garbage after the header", 40)));

TEST_F(StartupTest, HomePageOpensOnlyWhenTheDrawIsSeven)
{
    for (const double draw : {0.0, 0.05, 0.0599, 0.069, 0.07, 0.5, 0.9999}) {
        m_draw = draw;
        m_openedPages.clear();
        auto window = start();
        const bool seven = static_cast<int>(draw * 100) + 1 == 7;
        EXPECT_EQ(m_openedPages, seven ? QStringList{config::kHomePage} : QStringList{}) << draw;
        closeWindow(window);
    }
}

TEST_F(StartupTest, ClosingClosesTheConnectionAndEndsTheProgram)
{
    auto window = start();
    ASSERT_TRUE(SharedConnection::isSet());
    closeWindow(window);
    EXPECT_FALSE(SharedConnection::isSet());
    EXPECT_EQ(m_endCalls, 1);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(StartupTest, ClosingAfterAFailedOpenStillSavesAndReleases)
{
    QTemporaryDir emptyProgramFolder;
    fs::setProgramFolder(emptyProgramFolder.path());
    auto window = start();
    m_ui.clear();
    closeWindow(window);
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(QStringLiteral("\n")).toStdString();
    EXPECT_FALSE(SharedConnection::isSet());
    EXPECT_EQ(m_endCalls, 1);
}

// Screen readers meet the main window as a window (a "frame"), named by its
// caption, holding the list and the buttons in its client area.
TEST_F(StartupTest, ScreenReadersSeeTheMainWindowAsAWindow)
{
    auto window = start();
    window->show();
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(window.get());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->role(), QAccessible::Window);
    EXPECT_EQ(shown->text(QAccessible::Name), QStringLiteral("Hourvane"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window->listView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->parent()->object(), window->clientArea());
    EXPECT_EQ(list->parent()->role(), QAccessible::Client);
    EXPECT_EQ(list->parent()->parent()->object(), window.get());
    EXPECT_NE(list->role(), QAccessible::Window);
}

TEST_F(StartupTest, ControlsCarryTheirNamesCaptionsAndTabOrder)
{
    auto window = start();
    struct Expected {
        const char* name;
        const char* caption;
        QRect place;
    };
    const Expected expected[] = {
        {"PushButton2", "Add New Work", {8, 379, 224, 27}},
        {"PushButton1", "Edit Selected Work", {8, 413, 224, 27}},
        {"PushButton3", "Delete Selected Work", {240, 379, 224, 27}},
        {"PushButton5", "Reports", {240, 413, 224, 27}},
        {"PushButton4", "Load Sample/Example Data", {472, 379, 224, 27}},
        {"PushButton6", "Help", {472, 413, 224, 27}},
    };
    QWidget* previous = window->findChild<QTreeView*>(QStringLiteral("ListView1"));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->geometry(), QRect(8, 8, 688, 365));
    for (const Expected& e : expected) {
        auto* button = window->findChild<QPushButton*>(QString::fromLatin1(e.name));
        ASSERT_NE(button, nullptr) << e.name;
        EXPECT_EQ(button->text(), QString::fromLatin1(e.caption));
        EXPECT_EQ(button->geometry(), e.place) << e.name;
        EXPECT_FALSE(button->autoDefault());
        EXPECT_EQ(nextTabStop(previous), button) << e.name;
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);
        EXPECT_TRUE(button->font().bold());
        previous = button;
    }
    // The design size is the client area's, below the menu bar.
    EXPECT_EQ(window->clientArea()->size(), QSize(704, 447));
    EXPECT_EQ(window->size(), QSize(704, 447 + window->menuBarHeight()));
}

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

TEST_F(MainWindowTest, UnloadEndsTheProgramWithEveryOtherWindow)
{
    QWidget other;
    other.show();
    Form1::Environment env = Form1::Environment::standard();
    env.random = [] { return 0.5; };
    env.openPage = [](const QString&) { ADD_FAILURE() << "no page is opened"; };
    Form1 window(env);
    window.Form_Load();
    window.show();
    window.close();
    EXPECT_FALSE(other.isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(SharedConnection::isSet());
}

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

TEST_F(MainWindowTest, PointerIsTheHandOverButtonsAndTheArrowElsewhereUnlessBusy)
{
    auto window = start();
    auto* button = window->findChild<QPushButton*>(QStringLiteral("PushButton5"));
    hover(button);
    EXPECT_EQ(window->mousePointer(), Form1::PointerCustom);
    hover(window->listView()->viewport());
    EXPECT_EQ(window->mousePointer(), Form1::PointerDefault);
    hover(button);
    hover(window->clientArea());  // the window's bare surface, below the menu bar
    EXPECT_EQ(window->mousePointer(), Form1::PointerDefault);
    hover(button);
    hover(window->menuBar());
    EXPECT_EQ(window->mousePointer(), Form1::PointerDefault);

    window->setMousePointer(Form1::PointerHourglass);
    hover(button);
    hover(window->listView()->viewport());
    EXPECT_EQ(window->mousePointer(), Form1::PointerHourglass);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
}

}  // namespace
}  // namespace hv::test
