// What start-up adds for the data's safety: the offer to convert an
// old-format database (answered Yes, No, and with a conversion that fails
// part-way), and the daily backup that follows the window.
#include "fixtures/main_window_fixture.h"
#include "fixtures/old_file_variants.h"

#include "core/data_places.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace hv::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class StartupConversionTest : public MainWindowTest {
protected:
    // Puts an old-format file (the test file, or a variant of it) in place of the live database.
    QByteArray placeOldDatabase(std::optional<BadOldFile> variant = std::nullopt)
    {
        EXPECT_TRUE(QDir().mkpath(dataFolder()));
        const QString source = variant ? makeBadOldFile(*variant, m_scratch.path()) : oldFixture();
        EXPECT_TRUE(QFile::copy(source, liveDatabase()));
        QFile::setPermissions(liveDatabase(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return bytesOf(liveDatabase());
    }

    QString kept(const QString& name = QStringLiteral("dbData (old format).mdb")) const
    {
        return dataFolder() + u'/' + name;
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const MessageRequest& request : m_ui.messages())
            texts << request.text;
        return texts;
    }

    QTemporaryDir m_scratch;
};

TEST_F(StartupConversionTest, YesConvertsTheDatabaseAndKeepsTheOldFileBesideIt)
{
    const QByteArray old = placeOldDatabase();
    // A file of that name from an earlier conversion is never overwritten.
    QFile earlier(kept());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    m_ui.answerNext(QMessageBox::Yes);

    auto window = start();
    const QStringList boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 2) << boxes.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_EQ(boxes[0], QStringLiteral("This database was written by an older version of the program. Convert it now? "
                                       "The original file is kept unchanged as dbData (old format 2).mdb."));
    EXPECT_EQ(m_ui.messages()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_ui.messages()[0].title, QStringLiteral("Hourvane"));
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("2000 entries"))) << boxes[1].toStdString();
    EXPECT_EQ(bytesOf(kept(QStringLiteral("dbData (old format 2).mdb"))), old);
    EXPECT_EQ(bytesOf(kept()), QByteArray("earlier"));
    EXPECT_EQ(SharedConnection::get().state(), data::Connection::StateOpen);
    EXPECT_EQ(window->listModel()->rowCount(), 2000);
}

TEST_F(StartupConversionTest, NoGoesOnAsBeforeAndTouchesNothing)
{
    const QByteArray old = placeOldDatabase();
    m_ui.answerNext(QMessageBox::No);

    auto window = start();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(m_ui.messages().size(), 3);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form1.Form_Load at line 144")));
    EXPECT_TRUE(reports[1].contains(QStringLiteral("Form1.ListData at line 104")));
    EXPECT_EQ(bytesOf(liveDatabase()), old);
    EXPECT_FALSE(QFileInfo::exists(kept()));
}

TEST_F(StartupConversionTest, AConversionThatFailsPartWayPutsTheOldFileBackByteForByte)
{
    const QByteArray old = placeOldDatabase(BadOldFile::TruncatedAtPage);
    m_ui.answerNext(QMessageBox::Yes);

    auto window = start();
    const QStringList boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 4) << boxes.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("could not be converted"))) << boxes[1].toStdString();
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("The original file is unchanged and still in use as '%1'.").arg(liveDatabase())))
        << boxes[1].toStdString();
    EXPECT_TRUE(boxes[2].contains(QStringLiteral("Form1.Form_Load at line 144")));
    EXPECT_EQ(bytesOf(liveDatabase()), old);
    QStringList left = QDir(dataFolder()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("dbData.mdb.in-use"));
    EXPECT_EQ(left, QStringList{QStringLiteral("dbData.mdb")});
}

TEST_F(StartupConversionTest, AConversionStoppedPartWayIsOfferedAgainAndFinished)
{
    // What a conversion killed just before its last rename leaves: the old
    // file still live, its kept name given, the new database beside it.
    const QByteArray old = placeOldDatabase();
    ASSERT_EQ(::link(QFile::encodeName(liveDatabase()).constData(), QFile::encodeName(kept()).constData()), 0);
    ASSERT_TRUE(QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"), liveDatabase() + QStringLiteral(".converting")));
    m_ui.answerNext(QMessageBox::Yes);

    auto window = start();
    const QStringList boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 2) << boxes.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("An earlier conversion of it was stopped before it finished, and "
                                                   "the database is still the original file. This database was written")))
        << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].endsWith(QStringLiteral("kept unchanged as dbData (old format).mdb."))) << boxes[0].toStdString();
    EXPECT_EQ(window->listModel()->rowCount(), 2000);
    EXPECT_EQ(bytesOf(kept()), old);
    QStringList left = QDir(dataFolder()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("dbData.mdb.in-use"));
    EXPECT_EQ(left, (QStringList{QStringLiteral("dbData (old format).mdb"), QStringLiteral("dbData.mdb")}));
}

// Characters that mean something in a connection string, in the data
// folder's name, change nothing for the conversion.
class AwkwardFolderConversionTest : public StartupConversionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AwkwardFolderConversionTest, ConvertsAndOpensTheDatabase)
{
    const QString folder = m_scratch.filePath(QString::fromUtf8(GetParam()));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(oldFixture(), folder + QStringLiteral("/dbData.mdb")));
    places::setDataFolder(folder);
    m_ui.answerNext(QMessageBox::Yes);
    auto window = start();
    places::setDataFolder({});
    const QStringList boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 2) << boxes.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(boxes[1].startsWith(QStringLiteral("The database was converted."))) << boxes[1].toStdString();
    EXPECT_EQ(SharedConnection::get().dataSource(), folder + QStringLiteral("/dbData.mdb"));
    EXPECT_EQ(window->listModel()->rowCount(), 2000);
}

INSTANTIATE_TEST_SUITE_P(Folders, AwkwardFolderConversionTest,
                         ::testing::Values("say \"hi\"", "semi;colon", "data source=elsewhere;x=\"", " blank ends "));

TEST_F(StartupConversionTest, TheFirstStartOfEachDayBacksUpTheDatabase)
{
    const QString backups = dataFolder() + QStringLiteral("/backups");
    const QList<std::pair<const char*, int>> starts = {
        {"2026-03-02 08:00:00", 1}, {"2026-03-02 17:45:00", 1}, {"2026-03-03 07:30:00", 2}};
    for (const auto& [time, copies] : starts) {
        m_now = QDateTime::fromString(QString::fromLatin1(time), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        auto window = start();
        EXPECT_TRUE(m_ui.messages().isEmpty()) << time;
        EXPECT_EQ(QDir(backups).entryList({QStringLiteral("dbData-*.mdb")}, QDir::Files).size(), copies) << time;
        closeWindow(window);
    }
    EXPECT_TRUE(QFileInfo::exists(backups + QStringLiteral("/dbData-2026-03-03-073000.mdb")));
}

TEST_F(StartupConversionTest, AFailedBackupIsToldOnceAndTheListIsStillFilled)
{
    {
        auto first = start();
        closeWindow(first);
    }
    execute({QStringLiteral("insert into [Work Hours] ([Date Worked],Hours) values ('2026-03-02','7')")});
    QDir(dataFolder() + QStringLiteral("/backups")).removeRecursively();
    QFile blocker(dataFolder() + QStringLiteral("/backups"));  // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray before = bytesOf(liveDatabase());
    m_ui.clear();

    auto window = start();
    const QStringList boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 1) << boxes.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("The daily backup of the database could not be made:")));
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    EXPECT_EQ(window->listModel()->rowCount(), 1);
    EXPECT_EQ(bytesOf(liveDatabase()), before);
}

TEST_F(StartupConversionTest, ADataFolderOfTheRunTakesThePlaceOfTheStandardOne)
{
    const QString folder = m_scratch.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(folder));
    places::setDataFolder(folder);
    auto window = start();
    places::setDataFolder({});
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(SharedConnection::get().dataSource(), folder + QStringLiteral("/dbData.mdb"));
    EXPECT_EQ(QDir(folder + QStringLiteral("/backups")).entryList({QStringLiteral("dbData-*.mdb")}, QDir::Files).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));
}

}  // namespace
}  // namespace hv::test
