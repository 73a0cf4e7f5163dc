#include "app/component_check.h"

#include "core/app_config.h"
#include "core/file_system.h"
#include "core/launcher.h"
#include "gui/ui_seam.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QStringList>
#include <QSysInfo>
#include <functional>
#include <memory>

namespace hv {

namespace {

// Runs the check's steps with silent continuation: a failing step is skipped
// without any message and its number stays pending for the tests that follow.
class SilentSteps {
public:
    void run(const std::function<void()>& statements)
    {
        try {
            statements();
        } catch (const RuntimeError& failure) {
            m_pending = failure.number() != 0 ? failure.number() : err::DatabaseEngine;
        } catch (const std::exception&) {
            m_pending = err::DatabaseEngine;
        }
    }
    bool failurePending() const { return m_pending != 0; }
    void clear() { m_pending = 0; }

private:
    long m_pending = 0;
};

QString repairQuestion()
{
    return QStringLiteral("Error #193: ADO is not properly installed on this computer. ") + QStringLiteral("\r\n")
        + QStringLiteral("You need to have it installed to use this software without error.")
        + QStringLiteral("\r\n\r\n") + QStringLiteral("Would you like to repair it now?");
}

QString repairedQuestion()
{
    return QStringLiteral("ADO is fixed on this computer. ") + QStringLiteral("\r\n")
        + QStringLiteral("You need to restart your computer and software.") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Would you like to stop software now?");
}

QString installationAdvice()
{
    return QStringLiteral("Please check for MDAC installation.") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Please check this: ") + config::kComponentUpdateArticle
        + QStringLiteral(" and look for 'How to obtain this update' section and download the appropriate update.")
        + QStringLiteral("\r\n\r\n") + QStringLiteral("Please email ") + config::kSupportEmail
        + QStringLiteral(" with a screenshot of this message if you have any questions.");
}

// How an offered repair went.
enum class Repair { Declined, NoPackage, Failed, Completed };

// Asks whether to repair; on Yes starts the package for this machine hidden
// and waits until it has ended.
Repair offerRepair(QWidget* parent, SilentSteps& steps)
{
    if (UiSeam::tell(parent, repairQuestion(), QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return Repair::Declined;
    QString addressWidth;
    steps.run([&] { addressWidth = ProcessorAddressWidth(); });
    const QString packagePath = repairPackagePath(addressWidth);
    if (!fs::FileExists(packagePath))
        return Repair::NoPackage;
    // The package is the program itself: its path is never split at blanks.
    return shell32::LaunchProgramAndWait(packagePath, {}, shell32::StyleHidden) == 0 ? Repair::Completed
                                                                                       : Repair::Failed;
}

}  // namespace

QString addressWidthOfArchitecture(const QString& architecture)
{
    static const QStringList k64 = {QStringLiteral("x86_64"),  QStringLiteral("arm64"),   QStringLiteral("ia64"),
                                    QStringLiteral("mips64"),  QStringLiteral("power64"), QStringLiteral("sparcv9"),
                                    QStringLiteral("riscv64"), QStringLiteral("s390x"),   QStringLiteral("loongarch64")};
    static const QStringList k32 = {QStringLiteral("i386"),  QStringLiteral("arm"),     QStringLiteral("mips"),
                                    QStringLiteral("power"), QStringLiteral("sparc"),   QStringLiteral("riscv32"),
                                    QStringLiteral("s390"),  QStringLiteral("wasm")};
    if (k64.contains(architecture))
        return QStringLiteral("64");
    if (k32.contains(architecture))
        return QStringLiteral("32");
    return {};
}

QString ProcessorAddressWidth()
{
    return addressWidthOfArchitecture(QSysInfo::currentCpuArchitecture());
}

QString repairPackagePath(const QString& addressWidth)
{
    return fs::programFolder() + QLatin1Char('/')
        + (addressWidth == QStringLiteral("64") ? QStringLiteral("ADOFix64.msu") : QStringLiteral("ADOFix86.msu"));
}

AfterComponentCheck IsADOInstalled(QWidget* parent)
{
    SilentSteps steps;
    std::unique_ptr<data::Connection> testConnection;
    std::unique_ptr<data::Recordset> testRecordset;
    AfterComponentCheck after = AfterComponentCheck::ContinueStartUp;

    steps.run([&] { testConnection = data::ComponentFactory::createConnection(); });  // 100
    steps.run([&] { testRecordset = data::ComponentFactory::createRecordset(); });    // 102
    if (steps.failurePending() || !testConnection || !testRecordset) {                // 104
        Repair repair = Repair::Declined;
        steps.run([&] { repair = offerRepair(parent, steps); });  // 106 to 120
        if (repair == Repair::Completed) {
            steps.run([&] {  // 122, 124
                if (UiSeam::tell(parent, repairedQuestion(), QMessageBox::Yes | QMessageBox::No)
                    == QMessageBox::Yes)
                    after = AfterComponentCheck::EndProgram;
            });
        } else if (repair != Repair::NoPackage) {
            // Declined, or the package could not start or failed: it repaired
            // nothing, so the user learns where to get the update.
            steps.run([&] { UiSeam::tell(parent, installationAdvice()); });  // 126
        }
    }
    testRecordset.reset();   // 128
    testConnection.reset();  // 130
    steps.clear();           // 132
    return after;
}

}  // namespace hv
