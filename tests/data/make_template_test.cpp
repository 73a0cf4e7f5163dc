#include "fixtures/database_fixture.h"

#include "data/connection.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace hv::test {
namespace {

int runTool(const QStringList& schemas, const QString& out)
{
    QProcess tool;
    tool.start(QStringLiteral(HOURVANE_MAKE_TEMPLATE), schemas + QStringList{out});
    if (!tool.waitForFinished(30000))
        return -1;
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

TEST(MakeTemplate, ReplacesAStaleTemplateWithAWorkingDatabase)
{
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("dbBlank.mdb"));
    writeFile(out, "stale bytes from an older build");
    ASSERT_EQ(runTool({QStringLiteral(HOURVANE_SCHEMA_SQL), QStringLiteral(HOURVANE_REPORT_VIEWS_SQL),
                       QStringLiteral(HOURVANE_JOURNAL_SQL)},
                      out), 0);
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral(".tmp")));

    data::Connection connection;
    connection.Open(QStringLiteral("data source=") + out);
    EXPECT_TRUE(readRows(connection, QStringLiteral("select * from [Work Hours Extended]")).isEmpty());
}

TEST(MakeTemplate, BrokenSchemaLeavesNoTemplate)
{
    QTemporaryDir folder;
    const QString schema = folder.filePath(QStringLiteral("broken.sql"));
    writeFile(schema, "CREATE TABLE \"Employees\" (\"ID\" INTEGER PRIMARY KEY); CREATE TABEL oops;");
    const QString out = folder.filePath(QStringLiteral("dbBlank.mdb"));
    writeFile(out, "stale");
    EXPECT_EQ(runTool({schema}, out), 1);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral(".tmp")));
    EXPECT_EQ(runTool({QStringLiteral(HOURVANE_SCHEMA_SQL), folder.filePath(QStringLiteral("missing.sql"))}, out), 1);
    EXPECT_FALSE(QFileInfo::exists(out));
}

}  // namespace
}  // namespace hv::test
