// Start-up and closing on an unlucky machine: a bad template, a data folder
// with awkward characters, a database locked or damaged, settings that
// cannot be written.
#include "fixtures/main_window_fixture.h"
#include "support/page_damage.h"

#include "core/app_config.h"
#include "database/database_check_schedule.h"
#include "core/file_system.h"
#include "core/settings_store.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "databases/bench_database.h"
#include "data/connection.h"
#include "data/sqlite/handles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>


namespace hv::test {
namespace {

using PageCheck = data::PageCheck;

QByteArray goodTemplate()
{
    return fileBytes(programFolder() + QStringLiteral("/dbBlank.mdb"));
}

// A template gone bad in the program folder, and what its report must say.
struct BadTemplate {
    const char* name;
    void (*make)(const QString& templatePath);
    const char* phrase;
};

void damagedTemplate(const QString& path)
{
    writeFile(path, goodTemplate());
    PageDamage::overwrite(path, PageDamage::rootPage(path, QStringLiteral("Work Hours")));
}

void incompleteTemplate(const QString& path)
{
    writeFile(path, goodTemplate());
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "DROP VIEW \"Billable Hours\"", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

const BadTemplate kBadTemplates[] = {
    {"Missing", [](const QString&) {}, "Could not find file"},
    {"LinkToNowhere", [](const QString& path) { QFile::link(path + QStringLiteral(".gone"), path); },
     "which does not exist"},
    {"Empty", [](const QString& path) { writeFile(path, {}); }, "is empty"},
    {"OtherProgramsFile",
     [](const QString& path) {
         sqlite3* db = nullptr;
         sqlite3_open(QFile::encodeName(path).constData(), &db);
         sqlite3_exec(db, "CREATE TABLE notes (x)", nullptr, nullptr, nullptr);
         sqlite3_close(db);
     },
     "another program"},
    {"DamagedPage", &damagedTemplate, "is damaged"},
    {"WithoutAQuery", &incompleteTemplate, "lacks the query [Billable Hours]"},
};

class BadTemplateTest : public MainWindowTest, public ::testing::WithParamInterface<BadTemplate> {};

TEST_P(BadTemplateTest, IsNamedAndNeverBecomesTheDatabaseSoTheNextStartTriesAgain)
{
    QTemporaryDir programFolder;
    const QString templatePath = programFolder.filePath(QStringLiteral("dbBlank.mdb"));
    GetParam().make(templatePath);
    fs::setProgramFolder(programFolder.path());

    auto window = start();
    const QStringList reports = m_ui.errorReports();
    ASSERT_GE(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form1.Form_Load at line 110\r\r"))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(templatePath)) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QString::fromUtf8(GetParam().phrase))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("no database was made from it"))) << reports[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(liveDatabase()));
    EXPECT_TRUE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    closeWindow(window);

    QFile::remove(templatePath);
    writeFile(templatePath, goodTemplate());
    m_ui.clear();
    window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    EXPECT_EQ(SharedConnection::current().state(), data::Connection::StateOpen);
}

INSTANTIATE_TEST_SUITE_P(Templates, BadTemplateTest, ::testing::ValuesIn(kBadTemplates),
                         [](const auto& info) { return std::string(info.param.name); });

// A data folder whose path holds characters that mean something in a
// connection string works like any other.
class AwkwardDataFolderTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AwkwardDataFolderTest, HoldsAWorkingDatabase)
{
    const QString home = m_folders.dataHome() + u'/' + QString::fromUtf8(GetParam());
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home));
    const QString live = home + QStringLiteral("/Harrowfen/Hourvane/dbData.mdb");

    auto window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    ASSERT_EQ(SharedConnection::current().state(), data::Connection::StateOpen);
    EXPECT_EQ(SharedConnection::current().dataSource(), live);
    SharedConnection::get().Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('x',TRUE)"));
    closeWindow(window);
    EXPECT_GT(QFileInfo(live).size(), 0);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Folders, AwkwardDataFolderTest,
                         ::testing::Values("semi;colon", "equals=sign;data source=/elsewhere", "double \"quote\"",
                                           "\"", " leading blank and  two inside", "Zeiterfassung für Jürgen ☃"));

// A pipe in the database's place is named, and never opened to wait for a
// writer that does not come: the window appears at once.
TEST_F(MainWindowTest, ADatabaseThatIsAPipeIsNamedAndTheWindowStillAppears)
{
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(liveDatabase()).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    auto window = start();
    EXPECT_LT(timer.elapsed(), 5000);
    const QStringList reports = m_ui.errorReports();
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form_Load at line 144"))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("'%1' is a pipe, not a database file.").arg(liveDatabase())))
        << reports[0].toStdString();
    EXPECT_FALSE(QFileInfo(liveDatabase()).isFile());
}

// Waits and pauses shortened for one test, and set back afterwards.
class ShortWaits {
public:
    ShortWaits(int lockTimeout, int retryPause) : m_lockTimeout(data::Connection::lockTimeout())
    {
        data::Connection::setLockTimeout(lockTimeout);
        SharedConnection::setRetryPause(retryPause);
    }
    ~ShortWaits()
    {
        data::Connection::setLockTimeout(m_lockTimeout);
        SharedConnection::setRetryPause(3000);
    }

private:
    int m_lockTimeout;
};

TEST_F(MainWindowTest, ALockAtStartUpIsNamedAndTheNextUseOpensTheDatabase)
{
    {
        auto first = start();
        closeWindow(first);
    }
    execute({QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"),
             QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')"),
             QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                            "values (1,'2026-03-05',1,'7','x')")});
    const ShortWaits waits(300, 60000);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(liveDatabase()).constData(), &other), SQLITE_OK);
    const data::DatabaseHandle otherProgram(other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    QElapsedTimer timer;
    timer.start();
    auto window = start();
    // The open waits as a write would, once: the list's use right after it
    // does not wait again.
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_LT(timer.elapsed(), 2000);
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 2) << reports.join('\n').toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("is in use by another program"))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form_Load at line 144")));
    EXPECT_TRUE(reports[1].contains(QStringLiteral("is in use by another program"))) << reports[1].toStdString();
    EXPECT_TRUE(reports[1].contains(QStringLiteral("ListData at line 104")));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    SharedConnection::setRetryPause(0);
    m_ui.clear();
    window->ListData();
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    EXPECT_EQ(window->listModel()->rowCount(), 1);
    EXPECT_EQ(SharedConnection::current().state(), data::Connection::StateOpen);
}

class DamagedDatabaseStartTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        auto first = start();
        closeWindow(first);
        m_ui.clear();
        bench::writeEntries(liveDatabase(), 2000, 2, [](int code) { return code == 1; });
    }

    void damage()
    {
        const QString file = liveDatabase();
        ASSERT_TRUE(PageDamage::overwrite(file, PageDamage::lastChild(file, PageDamage::rootPage(file, QStringLiteral("Work Hours")))));
    }

    QStringList notices() const
    {
        QStringList texts;
        for (const MessageRequest& request : m_ui.messages()) {
            if (request.title != QStringLiteral("Application Error"))
                texts.append(request.text);
        }
        return texts;
    }
};

TEST_F(DamagedDatabaseStartTest, IsSaidOnceListsWhatCanBeReadAndTakesNoWrite)
{
    damage();
    const QByteArray before = fileBytes(liveDatabase());
    auto window = start();

    const QStringList said = notices();
    ASSERT_EQ(said.size(), 1) << said.join('\n').toStdString();
    EXPECT_TRUE(said[0].contains(liveDatabase() + QStringLiteral("' is damaged"))) << said[0].toStdString();
    EXPECT_TRUE(said[0].contains(QStringLiteral("nothing will be written"))) << said[0].toStdString();
    EXPECT_EQ(m_ui.messages().first().icon, QMessageBox::Warning);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane (read-only)"));
    EXPECT_GT(window->listModel()->rowCount(), 1000);
    EXPECT_LT(window->listModel()->rowCount(), 2000);

    m_ui.clear();
    window->PushButton4_Click();
    EXPECT_TRUE(notices().isEmpty()) << notices().join('\n').toStdString();
    const QStringList reports = m_ui.errorReports();
    ASSERT_FALSE(reports.isEmpty());
    for (const QString& report : reports)
        EXPECT_TRUE(report.startsWith(said[0])) << report.toStdString();
    closeWindow(window);
    EXPECT_EQ(fileBytes(liveDatabase()), before);
}

// The window shows its first rows before the rest is read: the page check
// beside it and a later batch of the list both find the damage, which is
// said once, and the database is read-only from then on.
TEST_F(DamagedDatabaseStartTest, DamageFoundAfterTheFirstRowsAreShownIsSaidOnce)
{
    damage();
    const QByteArray before = fileBytes(liveDatabase());
    m_listPace.firstBatch = 200;
    m_listPace.batchRows = 200;
    auto window = load();
    EXPECT_TRUE(window->listPending());
    EXPECT_EQ(window->listModel()->rowCount(), 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().isReady({.backupDone = true}); }, 60000));

    const QStringList said = notices();
    ASSERT_EQ(said.size(), 1) << said.join('\n').toStdString();
    EXPECT_TRUE(said[0].contains(liveDatabase() + QStringLiteral("' is damaged"))) << said[0].toStdString();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane (read-only)"));
    EXPECT_GT(window->listModel()->rowCount(), 1000);

    m_ui.clear();
    window->PushButton4_Click();
    EXPECT_TRUE(notices().isEmpty()) << notices().join('\n').toStdString();
    closeWindow(window);
    EXPECT_EQ(fileBytes(liveDatabase()), before);
}

// Delete on a database that takes no writes is refused before its question.
TEST_F(DamagedDatabaseStartTest, DeleteIsRefusedBeforeAskingWhetherToDelete)
{
    damage();
    const QByteArray before = fileBytes(liveDatabase());
    auto window = start();
    const QString said = notices().value(0);
    ASSERT_TRUE(said.contains(QStringLiteral("nothing will be written"))) << said.toStdString();

    m_ui.clear();
    m_ui.answerNext(QMessageBox::Yes);
    window->selectPosition(1);
    window->PushButton3_Click();
    EXPECT_TRUE(notices().isEmpty()) << notices().join('\n').toStdString();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 1) << reports.join('\n').toStdString();
    EXPECT_TRUE(reports[0].startsWith(said)) << reports[0].toStdString();
    closeWindow(window);
    EXPECT_EQ(fileBytes(liveDatabase()), before);
}

TEST_F(DamagedDatabaseStartTest, DamageFoundDuringTheSessionShowsInTheTitle)
{
    auto window = start();
    ASSERT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
    damage();
    window->ListData();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane (read-only)"));
    ASSERT_FALSE(m_ui.errorReports().isEmpty());
    EXPECT_TRUE(m_ui.errorReports().first().contains(QStringLiteral("nothing will be written")));
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenAreReportedOnceAtClosing)
{
    // A settings "folder" below a plain file cannot be made, not even by root.
    const QString blocker = m_folders.configHome() + QStringLiteral("/file");
    writeFile(blocker, "not a folder");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker + QStringLiteral("/config"));

    auto window = start();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    closeWindow(window);
    ASSERT_EQ(m_ui.messages().size(), 1);
    const MessageRequest& said = m_ui.messages().first();
    EXPECT_TRUE(said.text.contains(QStringLiteral("could not save its settings"))) << said.text.toStdString();
    EXPECT_TRUE(said.text.contains(blocker + QStringLiteral("/config"))) << said.text.toStdString();
    EXPECT_EQ(said.icon, QMessageBox::Warning);
    EXPECT_EQ(settings::takeSaveFailure(), QString());
}

TEST_F(MainWindowTest, TheFullCheckComesOnTheFirstOpenOfADayAndAfterAnUncleanEnd)
{
    const QDate today = QDate::currentDate();
    EXPECT_EQ(database::DatabaseCheckSchedule::depthForOpen(today), PageCheck::Full);  // never checked
    auto window = start();
    EXPECT_EQ(database::DatabaseCheckSchedule::depthForOpen(today), PageCheck::Full);  // the session is open
    closeWindow(window);
    EXPECT_EQ(database::DatabaseCheckSchedule::depthForOpen(today), PageCheck::Quick);
    EXPECT_EQ(database::DatabaseCheckSchedule::depthForOpen(today.addDays(1)), PageCheck::Full);
    window = start();
    window.reset();  // the program ends without closing its window
    SharedConnection::set(nullptr);
    EXPECT_EQ(database::DatabaseCheckSchedule::depthForOpen(today), PageCheck::Full);
}

}  // namespace
}  // namespace hv::test
