// The conversion of an old-format live database stopped at any moment, as a
// killed program or a power cut stops it: the live database is the old file
// or the whole converted one, never an empty or half-filled one, and the next
// conversion finishes the work.
#include "fixtures/old_file_variants.h"
#include "support/test_environment.h"

#include "import/database_conversion.h"
#include "import/import_error.h"
#include "core/file_system.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hv::test {
namespace {

// The entries of a whole database of the program, its pages checked.
QList<QByteArray> entriesIn(const QString& path)
{
    return storedBytes(path, "SELECT (SELECT count(*) FROM \"Work Hours\") FROM pragma_integrity_check "
                             "WHERE integrity_check = 'ok'");
}

const QList<QByteArray> kAllEntries{"2000"};

class DatabaseConversionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::setProgramFolder(programFolder());
        m_old = fileBytes(oldFixture());
    }
    void TearDown() override { fs::setProgramFolder({}); }

    QString live() const { return m_folder.filePath(QStringLiteral("dbData.mdb")); }
    QString kept() const { return m_folder.filePath(QStringLiteral("dbData (old format).mdb")); }
    QStringList files() const { return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    // The old file as the live database, and nothing else in the folder.
    void placeOldDatabase()
    {
        for (const QString& name : files())
            QFile::remove(m_folder.filePath(name));
        QFile file(live());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(m_old);
    }

    // Runs a conversion in a process of its own, killed after `ms`.
    void convertKilledAfter(qint64 ms) const
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                import::DatabaseConversion(live()).run();
            } catch (...) {
            }
            _exit(0);
        }
        QThread::usleep(static_cast<unsigned long>(ms * 1000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
    }

    QTemporaryDir m_folder;
    QByteArray m_old;
};

TEST_F(DatabaseConversionTest, KilledAtAnyMomentLeavesTheOldFileOrTheWholeNewDatabase)
{
    // The time of a whole conversion, the faster of two: the first also
    // pays for what a process does once (and a moment of load on the
    // machine), which would put most kills past the end.
    qint64 whole = 0;
    for (int run = 0; run < 2; ++run) {
        placeOldDatabase();
        QElapsedTimer timer;
        timer.start();
        import::DatabaseConversion(live()).run();
        whole = run == 0 ? timer.elapsed() : std::min(whole, timer.elapsed());
        ASSERT_EQ(entriesIn(live()), kAllEntries);
    }
    whole = std::max<qint64>(whole, 20);

    int stoppedPartWay = 0;
    // Past the whole time too, as the conversion in a process of its own may take longer.
    for (int step = 0; step <= 14; ++step) {
        placeOldDatabase();
        convertKilledAfter(whole * step / 10);
        const QString when = QStringLiteral("killed after %1 of %2 ms").arg(whole * step / 10).arg(whole);
        if (fileBytes(live()) == m_old) {
            // Not converted yet: the old file stays in use, and the next
            // conversion (the next start's offer) finishes the work.
            ++stoppedPartWay;
            import::DatabaseConversion again(live());
            EXPECT_EQ(again.keptPath(), kept()) << when.toStdString();
            const import::ImportSummary summary = again.run();
            EXPECT_EQ(summary.entries, 2000) << when.toStdString();
        }
        EXPECT_EQ(entriesIn(live()), kAllEntries) << when.toStdString();
        EXPECT_EQ(fileBytes(kept()), m_old) << when.toStdString();
        EXPECT_EQ(files(), (QStringList{QStringLiteral("dbData (old format).mdb"), QStringLiteral("dbData.mdb")}))
            << when.toStdString();
    }
    // Most kills land before the end.
    EXPECT_GE(stoppedPartWay, 5);
    RecordProperty("wholeConversionMs", static_cast<int>(whole));
    RecordProperty("killedPartWay", stoppedPartWay);
}

TEST_F(DatabaseConversionTest, AFullDiskPartWayLeavesTheOldFileInUseAndNothingBeside)
{
    placeOldDatabase();
    // In a process of its own whose files may not grow past 100 KiB, as on
    // a disk that fills up while the new database is written.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100 * 1024, 100 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            import::DatabaseConversion(live()).run();
        } catch (const import::ImportError& failure) {
            const bool told = failure.message().contains(
                QStringLiteral("The original file is unchanged and still in use as '%1'.").arg(live()));
            _exit(told ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(fileBytes(live()), m_old);
    EXPECT_EQ(files(), QStringList{QStringLiteral("dbData.mdb")});
}

}  // namespace
}  // namespace hv::test
