// The start-up copy of the template: each failure in the system's own words,
// nothing left half-made, and a copy that survives a power cut.
#include "support/test_environment.h"
#include "support/unprivileged.h"

#include "core/file_system.h"
#include "core/runtime_error.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Every fsync of this test program passes here first, so that a test can see
// which folders were synced, and when.
namespace {

struct FolderSync {
    dev_t device;
    ino_t inode;
    bool copyNamed;  // the copy had its final name when the folder was synced
};

std::vector<FolderSync> g_folderSyncs;
QString g_watchedCopy;

}  // namespace

extern "C" int fsync(int fd)
{
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fsync"));
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        g_folderSyncs.push_back({info.st_dev, info.st_ino, !g_watchedCopy.isEmpty() && QFileInfo::exists(g_watchedCopy)});
    return real(fd);
}

namespace hv::test {
namespace {

QString templatePath()
{
    return programFolder() + QStringLiteral("/dbBlank.mdb");
}

// A copy of the template in the test's folder, readable by everyone.
QString localTemplate(const QString& folder)
{
    const QString copy = folder + QStringLiteral("/template.mdb");
    QFile::copy(templatePath(), copy);
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    return copy;
}

QString copyFailure(const QString& source, const QString& destination)
{
    try {
        fs::copyFile(source, destination);
    } catch (const RuntimeError& error) {
        return error.description();
    }
    return {};
}

TEST(copyFile, TheFolderIsSyncedAfterTheCopyTakesItsName)
{
    QTemporaryDir folder;
    const QString destination = folder.filePath(QStringLiteral("dbData.mdb"));
    g_watchedCopy = destination;
    g_folderSyncs.clear();
    fs::copyFile(templatePath(), destination);
    g_watchedCopy.clear();

    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(folder.path()).constData(), &info), 0);
    const auto synced = std::find_if(g_folderSyncs.begin(), g_folderSyncs.end(), [&](const FolderSync& sync) {
        return sync.device == info.st_dev && sync.inode == info.st_ino;
    });
    ASSERT_NE(synced, g_folderSyncs.end()) << "the folder was never synced";
    EXPECT_TRUE(synced->copyNamed) << "the folder was synced before the rename";
    QFile copy(destination);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    QFile original(templatePath());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
}

// One way for a copy to fail, and the words the failure must carry.
struct CopyFault {
    const char* name;
    // Prepares the fault; returns the source to copy.
    QString (*arrange)(const QString& folder, const QString& destination);
    const char* reason;
};

const CopyFault kCopyFaults[] = {
    {"DestinationLinksToNowhere",
     [](const QString& folder, const QString& destination) {
         QFile::link(folder + QStringLiteral("/on-a-drive-not-mounted.mdb"), destination);
         return localTemplate(folder);
     },
     "which does not exist; it is left as it is"},
    {"SourceCannotBeRead",
     [](const QString& folder, const QString&) {
         const QString source = localTemplate(folder);
         QFile::setPermissions(source, QFileDevice::WriteOwner);
         return source;
     },
     "Permission denied"},
    {"DiskRefusesTheData",
     [](const QString& folder, const QString&) {
         const QString source = localTemplate(folder);
         // A file-size limit below the template's size: the write fails as
         // on a full disk, with the system's own reason.
         signal(SIGXFSZ, SIG_IGN);
         rlimit limit{};
         getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = 8192;
         setrlimit(RLIMIT_FSIZE, &limit);
         return source;
     },
     "File too large"},
};

class CopyFaults : public ::testing::TestWithParam<CopyFault> {
protected:
    void SetUp() override { getrlimit(RLIMIT_FSIZE, &m_fileSizeLimit); }
    void TearDown() override { setrlimit(RLIMIT_FSIZE, &m_fileSizeLimit); }

    rlimit m_fileSizeLimit{};
};

TEST_P(CopyFaults, AreNamedInTheSystemsWordsAndLeaveNothingBehind)
{
    QTemporaryDir folder;
    Unprivileged::openToOthers(folder.path());
    QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) | QFileDevice::WriteOther);
    const QString destination = folder.filePath(QStringLiteral("dbData.mdb"));
    const QString source = GetParam().arrange(folder.path(), destination);
    const QFileInfo before(destination);

    QString failure;
    {
        const Unprivileged user;
        if (!user.binds())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        failure = copyFailure(source, destination);
    }
    EXPECT_TRUE(failure.contains(QString::fromUtf8(GetParam().reason))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(before.isSymLink() ? destination : source)) << failure.toStdString();
    EXPECT_FALSE(failure.contains(QStringLiteral("Unknown error"))) << failure.toStdString();
    EXPECT_FALSE(QFileInfo::exists(destination + QStringLiteral(".partial")));
    EXPECT_EQ(QFileInfo(destination).isSymLink(), before.isSymLink());
    EXPECT_FALSE(QFileInfo(destination).isFile());
}

INSTANTIATE_TEST_SUITE_P(Faults, CopyFaults, ::testing::ValuesIn(kCopyFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test
