// Start-up's part in the safety net: the page check and the daily backup
// that follow the window, the daily backup of a damaged database over many
// days, the advice that names a sound backup, and a start while a restore
// holds the database.
#include "fixtures/main_window_fixture.h"
#include "support/page_damage.h"

#include "core/data_places.h"
#include "database/local_database.h"
#include "gui/shared_connection.h"
#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "backup/database_use_lock.h"
#include "databases/bench_database.h"
#include "data/connection.h"
#include "data/sqlite/file_check.h"
#include "data/sqlite/handles.h"
#include "core/runtime_error.h"
#include "backup/verified_backups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace hv::test {
namespace {

using PageCheck = data::PageCheck;

TEST_F(MainWindowTest, ADamagedDatabaseNeverPushesOutTheLastSoundBackup)
{
    // A data folder deep enough that one line of advice would be cut.
    const QString folder = m_folders.dataHome() + u'/' + QString(120, u'a') + u'/' + QString(120, u'b')
        + QStringLiteral("/Hourvane");
    ASSERT_TRUE(QDir().mkpath(folder));
    places::setDataFolder(folder);
    const auto reset = qScopeGuard([] { places::setDataFolder({}); });
    const QString live = database::LocalDatabase().path();
    const QString backups = backupsFolder();
    const QDateTime first(QDate(2026, 5, 1), QTime(9, 0));
    const auto startOn = [&](int day) {
        m_now = first.addDays(day);
        auto window = start();
        closeWindow(window);
    };

    startOn(0);
    bench::writeEntries(live, 2000, 2, [](int code) { return code == 1; });
    startOn(1);
    const QString sound = backup::VerifiedBackups(backups, live).newest();
    ASSERT_TRUE(sound.contains(QStringLiteral("2026-05-02"))) << sound.toStdString();
    ASSERT_TRUE(PageDamage::overwrite(live, PageDamage::lastChild(live, PageDamage::rootPage(live, QStringLiteral("Work Hours")))));

    QStringList warnings;
    for (int day = 2; day < 18; ++day) {
        m_ui.clear();
        startOn(day);
        // The list's reports of the pages it cannot read aside, the warning is said once.
        warnings.clear();
        for (const MessageRequest& request : m_ui.messages()) {
            if (request.title != QStringLiteral("Application Error"))
                warnings << request.text;
        }
        ASSERT_EQ(warnings.size(), 1) << day;
        // A backup asked for (as --backup and --import do) is refused too.
        EXPECT_THROW(backup::DatabaseBackup::intoFolder(live, backups, m_now), RuntimeError);
    }

    for (const backup::BackupFolder::Copy& copy : backup::BackupFolder(backups, live).copies())
        EXPECT_TRUE(data::DatabaseFileCheck::checkPages(copy.path, PageCheck::Full, 5000).isSound()) << copy.path.toStdString();
    EXPECT_EQ(backup::VerifiedBackups(backups, live).newest(), sound);
    // The warning names that copy and the steps, each on a line of its own and whole.
    const QString said = warnings.first();
    for (const QString& line : {u'\t' + sound, QStringLiteral("\t1. Close Hourvane."),
                                QStringLiteral("\t3. Copy the backup to '%1'.").arg(live)})
        EXPECT_TRUE(said.split(u'\n').contains(line)) << said.toStdString();
}

// The page check and the daily backup follow the shown window: the backup
// of the day is made on a thread of its own once the event loop runs. (A
// damaged database found then: DamagedDatabaseStartTest.)
TEST_F(MainWindowTest, TheCheckAndTheBackupComeOnceTheWindowIsUp)
{
    m_now = QDateTime(QDate(2026, 5, 1), QTime(9, 0));
    auto first = start();
    closeWindow(first);
    const QString backups = backupsFolder();
    QDir(backups).removeRecursively();
    bench::writeEntries(liveDatabase(), 2000, 2, [](int code) { return code == 1; });
    m_ui.clear();

    auto window = load();
    EXPECT_FALSE(window->session().isReady({.backupDone = true}));
    EXPECT_FALSE(QFileInfo::exists(backups));

    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().isReady({.backupDone = true}); }, 60000));
    EXPECT_EQ(backup::BackupFolder(backups, liveDatabase()).copies().size(), 1);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.messages().value(0).text.toStdString();
    closeWindow(window);
}

// The daily backup of a start on 1 May over a database of 2,000 entries,
// with no backup made yet.
class DailyBackupTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_now = QDateTime(QDate(2026, 5, 1), QTime(9, 0));
        auto first = start();
        closeWindow(first);
        QDir(backupsFolder()).removeRecursively();
        bench::writeEntries(liveDatabase(), 2000, 2, [](int code) { return code == 1; });
        m_ui.clear();
    }

    QList<backup::BackupFolder::Copy> copies(bool unfinished = false) const
    {
        return backup::BackupFolder(backupsFolder(), liveDatabase()).copies(unfinished);
    }

    // How many entries of a database file carry the description.
    static int entriesSaying(const QString& file, const char* description)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        const data::DatabaseHandle owner(db);
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM \"Work Hours\" WHERE \"Work Description\" = ?", -1, &raw, nullptr);
        const data::StatementHandle statement(raw);
        sqlite3_bind_text(raw, 1, description, -1, SQLITE_STATIC);
        return raw && sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : -1;
    }
};

// A change made while the copy is under way waits for nothing it does; the
// program going away stops the copy, which leaves no part of itself and is
// not said, and the next start of the day makes it, change and all.
TEST_F(DailyBackupTest, GoesOnBesideAChangeAndStopsWithTheProgramLeavingNoPart)
{
    // The copy is held after its first step until the program goes away.
    std::atomic<bool> copying{false};
    m_backupStep = [&] {
        copying = true;
        QElapsedTimer held;
        held.start();
        while (!QThread::currentThread()->isInterruptionRequested() && held.elapsed() < 20000)
            QThread::msleep(1);
    };
    auto window = load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return copying.load(); }, 60000));

    QElapsedTimer change;
    change.start();
    window->session().ready({.write = true});
    SharedConnection::get().Execute(entryInsert(1, QStringLiteral("2026-05-01"), 1, QStringLiteral("1"),
                                                QStringLiteral("made while copying")));
    EXPECT_LT(change.elapsed(), 5000);
    EXPECT_FALSE(window->session().isReady({.backupDone = true}));

    closeWindow(window);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.messages().value(0).text.toStdString();
    EXPECT_TRUE(copies().isEmpty());
    EXPECT_TRUE(copies(true).isEmpty());
    EXPECT_TRUE(backup::VerifiedBackups(backupsFolder(), liveDatabase()).newest().isEmpty());

    m_backupStep = {};
    auto again = start();
    ASSERT_EQ(copies().size(), 1);
    EXPECT_EQ(entriesSaying(copies().first().path, "made while copying"), 1);
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.messages().value(0).text.toStdString();
    closeWindow(again);
}

// A disk that fills up while the copy is written: said once with the
// system's reason, no part of the copy left, and the program goes on.
TEST_F(DailyBackupTest, AFullDiskIsSaidOnceAndLeavesNoPartOfTheCopy)
{
    const QByteArray before = fileBytes(liveDatabase());
    // No file may grow past a quarter of the database's size meanwhile.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(before.size() / 4);
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
    });
    auto window = load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().isReady({.backupDone = true}); }, 60000));

    ASSERT_EQ(m_ui.messages().size(), 1);
    const QString said = m_ui.messages().first().text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("The daily backup of the database could not be made:"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("File too large"))) << said.toStdString();
    EXPECT_TRUE(copies().isEmpty());
    EXPECT_TRUE(copies(true).isEmpty());
    EXPECT_EQ(fileBytes(liveDatabase()), before);
    EXPECT_FALSE(window->windowTitle().contains(QStringLiteral("read-only")));
    closeWindow(window);
}

// A start while a restore holds the database alone: the user is told, and
// either waits for it (and the database opens once the restore is done) or
// ends the program; nothing is opened meanwhile.
struct RestoreRunningCase {
    const char* name;
    QMessageBox::StandardButton answer;
};

void PrintTo(const RestoreRunningCase& c, std::ostream* out)
{
    *out << c.name;
}

class StartDuringRestoreTest : public MainWindowTest, public ::testing::WithParamInterface<RestoreRunningCase> {};

TEST_P(StartDuringRestoreTest, WaitsOrEndsAndNeverOpensTheFileBeingReplaced)
{
    auto earlier = start();
    closeWindow(earlier);
    m_ui.clear();
    backup::DatabaseUseLock restore;
    ASSERT_TRUE(restore.useAlone(liveDatabase()));
    const bool waits = GetParam().answer == QMessageBox::Retry;
    bool openWhileAsked = true;
    m_ui.beforeNextAnswer([&] {
        openWhileAsked = SharedConnection::isSet() && SharedConnection::current().state() == data::Connection::StateOpen;
        if (waits)
            restore.release();  // the restore ends while the question is shown
    });
    m_ui.answerNext(GetParam().answer);
    m_waitForRestoreMs = 20;

    const int endsBefore = m_endCalls;
    auto window = start();
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().first().text.contains(QStringLiteral("is being restored by another copy of Hourvane")));
    EXPECT_EQ(m_ui.messages().first().buttons, QMessageBox::Retry | QMessageBox::Cancel);
    EXPECT_FALSE(openWhileAsked);
    EXPECT_EQ(window->endingProgram(), !waits);
    EXPECT_EQ(m_endCalls - endsBefore, waits ? 0 : 1);
    EXPECT_EQ(SharedConnection::isSet() && SharedConnection::current().state() == data::Connection::StateOpen, waits);
}

INSTANTIATE_TEST_SUITE_P(Answers, StartDuringRestoreTest,
                         ::testing::Values(RestoreRunningCase{"Waits", QMessageBox::Retry},
                                           RestoreRunningCase{"Ends", QMessageBox::Cancel}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test
