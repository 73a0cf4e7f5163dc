#include "fixtures/main_window_fixture.h"

#include "core/app_config.h"
#include "app/component_check.h"
#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/component_factory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace hv::test {
namespace {

const QString kRepairQuestion = QStringLiteral(
    "Error #193: ADO is not properly installed on this computer. \r\n"
    "You need to have it installed to use this software without error.\r\n\r\n"
    "Would you like to repair it now?");
const QString kRepairedQuestion = QStringLiteral(
    "ADO is fixed on this computer. \r\n"
    "You need to restart your computer and software.\r\n\r\n"
    "Would you like to stop software now?");
const QString kAdvice = QStringLiteral("Please check for MDAC installation.\r\n\r\nPlease check this: ")
    + config::kComponentUpdateArticle
    + QStringLiteral(" and look for 'How to obtain this update' section and download the appropriate update."
                     "\r\n\r\nPlease email ")
    + config::kSupportEmail + QStringLiteral(" with a screenshot of this message if you have any questions.");

// A main window whose program folder is a temporary copy holding the
// template and whatever repair packages a test puts there.
class ComponentCheckTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(m_programDir.isValid());
        ASSERT_TRUE(QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"),
                                m_programDir.filePath(QStringLiteral("dbBlank.mdb"))));
        fs::setProgramFolder(m_programDir.path());
    }
    void TearDown() override
    {
        data::ComponentFactory::resetAvailability();
        MainWindowTest::TearDown();
    }

    // A package that notes in "<name>.ran" that it ran and ends with the exit
    // code; runnable or not.
    QString writePackage(const QString& name, int exitCode, bool runnable = true)
    {
        const QString path = m_programDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho ran > \"$0.ran\"\nexit %1\n").arg(exitCode).toUtf8());
        file.close();
        if (runnable)
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    static bool ran(const QString& packagePath) { return QFileInfo::exists(packagePath + QStringLiteral(".ran")); }

    // The texts of the boxes shown other than error reports, checking that
    // each is a plain box with the product name as its title.
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const MessageRequest& m : m_ui.messages()) {
            if (m.title == QStringLiteral("Application Error"))
                continue;
            EXPECT_EQ(m.icon, QMessageBox::NoIcon) << m.text.toStdString();
            EXPECT_EQ(m.title, QStringLiteral("Hourvane")) << m.text.toStdString();
            const auto expected = m.text == kAdvice ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                                    : QMessageBox::Yes | QMessageBox::No;
            EXPECT_EQ(m.buttons, expected) << m.text.toStdString();
            texts.append(m.text);
        }
        return texts;
    }

    QTemporaryDir m_programDir;
};

class MissingComponentTest : public ComponentCheckTest, public ::testing::WithParamInterface<const char16_t*> {};

// Declining the repair shows where to get the update, and start-up goes on
// without the missing component.
TEST_P(MissingComponentTest, DecliningTheRepairAdvisesAndStartUpGoesOn)
{
    data::ComponentFactory::setAvailable(QStringView(GetParam()), false);
    m_ui.answerNext(QMessageBox::No);
    auto window = start();

    EXPECT_EQ(shownTexts(), QStringList({kRepairQuestion, kAdvice}));
    EXPECT_EQ(m_endCalls, 0);
    EXPECT_FALSE(window->endingProgram());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
    EXPECT_EQ(window->listModel()->columnCount(), 6);
    // The step that then needs the missing component reports its failure.
    ASSERT_FALSE(m_ui.errorReports().isEmpty());
    EXPECT_TRUE(m_ui.errorReports().first().contains(QStringLiteral("ActiveX component can't create object")))
        << m_ui.errorReports().first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Components, MissingComponentTest,
                         ::testing::Values(u"ADODB.Connection", u"adodb.recordset"));

// What follows "Yes" to the repair, by the package in the program folder.
struct RepairCase {
    const char* name;
    bool packagePresent;
    bool runnable;
    int exitCode;
    bool expectRepairedQuestion;
};

class RepairOutcomeTest : public ComponentCheckTest, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(RepairOutcomeTest, OnlyARepairThatEndedWellIsReportedAsOne)
{
    const RepairCase& c = GetParam();
    const QString package = repairPackagePath(ProcessorAddressWidth());
    if (c.packagePresent)
        writePackage(QFileInfo(package).fileName(), c.exitCode, c.runnable);
    data::ComponentFactory::setAvailable(data::kConnectionProgId, false);
    m_ui.answerNext(QMessageBox::Yes);
    m_ui.answerNext(QMessageBox::No);

    EXPECT_EQ(IsADOInstalled(nullptr), AfterComponentCheck::ContinueStartUp);

    QStringList expected{kRepairQuestion};
    if (c.packagePresent)
        expected.append(c.expectRepairedQuestion ? kRepairedQuestion : kAdvice);
    EXPECT_EQ(shownTexts(), expected);
    EXPECT_EQ(ran(package), c.packagePresent && c.runnable);
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Packages, RepairOutcomeTest,
                         ::testing::Values(RepairCase{"EndsWell", true, true, 0, true},
                                           RepairCase{"Fails", true, true, 1, false},
                                           RepairCase{"CannotStart", true, false, 0, false},
                                           RepairCase{"Missing", false, false, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComponentCheckTest, ThePackageForThisMachinesAddressWidthRuns)
{
    const QString mine = repairPackagePath(ProcessorAddressWidth());
    const QString other = repairPackagePath(ProcessorAddressWidth() == QStringLiteral("64") ? QString()
                                                                                            : QStringLiteral("64"));
    ASSERT_NE(mine, other);
    writePackage(QFileInfo(mine).fileName(), 0);
    writePackage(QFileInfo(other).fileName(), 0);
    data::ComponentFactory::setAvailable(data::kRecordsetProgId, false);
    m_ui.answerNext(QMessageBox::Yes);

    IsADOInstalled(nullptr);
    EXPECT_TRUE(ran(mine));
    EXPECT_FALSE(ran(other));
}

// A program folder whose path holds blanks (and a quote) still starts its
// package: the path is the program, never split like a command line.
TEST_F(ComponentCheckTest, ThePackageStartsFromAFolderWhosePathHasBlanks)
{
    const QString folder = m_programDir.filePath(QStringLiteral("My Apps/Bob's hourvane"));
    ASSERT_TRUE(QDir().mkpath(folder));
    fs::setProgramFolder(folder);
    const QString package = repairPackagePath(ProcessorAddressWidth());
    ASSERT_TRUE(package.startsWith(folder));
    writePackage(QStringLiteral("My Apps/Bob's hourvane/") + QFileInfo(package).fileName(), 0);
    data::ComponentFactory::setAvailable(data::kConnectionProgId, false);
    m_ui.answerNext(QMessageBox::Yes);
    m_ui.answerNext(QMessageBox::No);

    EXPECT_EQ(IsADOInstalled(nullptr), AfterComponentCheck::ContinueStartUp);
    EXPECT_TRUE(ran(package));
    EXPECT_EQ(shownTexts(), QStringList({kRepairQuestion, kRepairedQuestion}));
}

TEST_F(ComponentCheckTest, StoppingAfterTheRepairEndsTheProgramBeforeTheRestOfStartUp)
{
    writePackage(QFileInfo(repairPackagePath(ProcessorAddressWidth())).fileName(), 0);
    data::ComponentFactory::setAvailable(data::kConnectionProgId, false);
    m_ui.answerNext(QMessageBox::Yes);
    m_ui.answerNext(QMessageBox::Yes);
    auto window = start();

    EXPECT_EQ(shownTexts(), QStringList({kRepairQuestion, kRepairedQuestion}));
    EXPECT_EQ(m_endCalls, 1);
    EXPECT_TRUE(window->endingProgram());
    // Nothing after the check ran: no caption, no columns, no connection.
    EXPECT_TRUE(window->windowTitle().isEmpty());
    EXPECT_EQ(window->listModel()->columnCount(), 0);
    EXPECT_FALSE(SharedConnection::isSet());
}

TEST(ProcessorAddressWidthTest, ArchitecturesGiveTheirWidth)
{
    const struct {
        const char* architecture;
        const char* width;
    } cases[] = {{"x86_64", "64"}, {"arm64", "64"}, {"riscv64", "64"}, {"i386", "32"},
                 {"arm", "32"},    {"", ""},         {"z80", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(addressWidthOfArchitecture(QString::fromLatin1(c.architecture)), QString::fromLatin1(c.width))
            << c.architecture;
    const QString width = ProcessorAddressWidth();
    EXPECT_TRUE(width == QStringLiteral("64") || width == QStringLiteral("32")) << width.toStdString();
}

TEST(RepairPackageTest, OnlyWidth64ChoosesThe64BitPackage)
{
    const QString folder = fs::programFolder();
    EXPECT_EQ(repairPackagePath(QStringLiteral("64")), folder + QStringLiteral("/ADOFix64.msu"));
    for (const QString& width : {QStringLiteral("32"), QString(), QStringLiteral("6"), QStringLiteral("64 ")})
        EXPECT_EQ(repairPackagePath(width), folder + QStringLiteral("/ADOFix86.msu")) << width.toStdString();
}

}  // namespace
}  // namespace hv::test
