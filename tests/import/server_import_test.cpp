// The import of an old-format file into a database on a server, whose rows
// go there by the COPY protocol: the same rows, IDs and links as the same
// import into a local file, into an empty database and into one that holds
// rows; a file that fails part-way leaves the server database as it was.
#include "fixtures/database_fixture.h"
#include "fixtures/old_file_variants.h"

#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "data/change_journal.h"

#include <QFileInfo>

#include <QTemporaryDir>

namespace hv::test {
namespace {

const char* const kTables[] = {"select * from Employees order by ID", "select * from [Work Codes] order by ID",
                               "select * from [Work Hours] order by ID", "select * from [Work Hours Extended]"};

class ServerImportTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        m_local.Open(m_file.connectionString());
        m_server.Open(m_schema.address());
        if (GetParam()) {
            for (data::Connection* db : {&m_local, &m_server}) {
                db->Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Zoe','Old')"));
                db->Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Old',TRUE)"));
                db->Execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) "
                                           "values (1,'2020-01-01',1,'3')"));
            }
        }
    }

    ScopedLocale m_locale{QStringLiteral("en_US")};
    TemporaryDatabase m_file;
    TestServerSchema m_schema;
    data::Connection m_local;
    data::Connection m_server;
};
INSTANTIATE_TEST_SUITE_P(Database, ServerImportTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "HoldingRows" : "Empty"; });

TEST_P(ServerImportTest, GivesTheRowsTheSameImportGivesALocalFile)
{
    const import::ImportSummary local = import::OldDatabaseImporter(m_local).importFile(oldFixture());
    const import::ImportSummary server = import::OldDatabaseImporter(m_server).importFile(oldFixture());
    EXPECT_EQ(server.entries, local.entries);
    EXPECT_EQ(server.idsKept, !GetParam());
    for (const char* sql : kTables)
        EXPECT_EQ(readRows(m_server, QString::fromLatin1(sql)), readRows(m_local, QString::fromLatin1(sql))) << sql;
    // The import is one change, undone whole.
    const std::vector<data::JournalChange> newest = m_server.journal().recent(1);
    ASSERT_EQ(newest.size(), 1u);
    EXPECT_EQ(newest[0].description, QStringLiteral("Import %1").arg(QFileInfo(oldFixture()).fileName()));
}

TEST_P(ServerImportTest, AFileThatFailsPartWayLeavesTheDatabaseAsItWas)
{
    QTemporaryDir folder;
    const QString path = makeBadOldFile(BadOldFile::TruncatedAtPage, folder.path());
    QList<QList<QVariantList>> before;
    for (const char* sql : kTables)
        before << readRows(m_server, QString::fromLatin1(sql));
    EXPECT_THROW(import::OldDatabaseImporter(m_server).importFile(path), import::ImportError);
    EXPECT_FALSE(m_server.inTransaction());
    for (qsizetype i = 0; i < before.size(); ++i)
        EXPECT_EQ(readRows(m_server, QString::fromLatin1(kTables[i])), before[i]) << kTables[i];
}

}  // namespace
}  // namespace hv::test
