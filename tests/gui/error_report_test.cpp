#include "gui/error_report.h"
#include "core/runtime_error.h"
#include "gui/ui_seam.h"
#include "support/ui_recorder.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace hv::test {
namespace {

TEST(ErrorReport, MessageTextHasItsExactLayout)
{
    const QString location = ErrorReport::location(QStringLiteral("Form1"), QStringLiteral("Form_Load"));
    EXPECT_EQ(location, QStringLiteral("in Vevudazor2021/08/31.Form1.Form_Load "));
    EXPECT_EQ(ErrorReport::messageText(QStringLiteral("Could not find file 'x'."), location, 144),
              QStringLiteral("Could not find file 'x'.\r\nin Vevudazor2021/08/31.Form1.Form_Load at line 144\r\r"
                             "Please email screenshot of this message to support@harrowfen.example"));
}

TEST(ErrorReport, EachFailedLineShowsOneBoxAndTheProcedureCarriesOn)
{
    UiRecorder ui;
    ErrorReport err(ErrorReport::location(QStringLiteral("Form9"), QStringLiteral("Work")));
    QStringList ran;
    EXPECT_FALSE(err.line(100, [&] {
        ran << QStringLiteral("100");
        throw RuntimeError(53, QStringLiteral("File not found"));
    }));
    EXPECT_TRUE(err.line(102, [&] { ran << QStringLiteral("102"); }));
    EXPECT_FALSE(err.line(104, [&] { throw std::runtime_error("engine said no"); }));
    EXPECT_EQ(ran, QStringList({"100", "102"}));
    EXPECT_EQ(err.failures(), 2);

    ASSERT_EQ(ui.messages().size(), 2);
    const MessageRequest& first = ui.messages().at(0);
    EXPECT_EQ(first.title, QStringLiteral("Application Error"));
    EXPECT_EQ(first.icon, QMessageBox::Warning);
    EXPECT_EQ(first.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(first.text.startsWith(QStringLiteral("File not found\r\nin Vevudazor2021/08/31.Form9.Work at line 100\r\r")));
    EXPECT_TRUE(ui.messages().at(1).text.startsWith(QStringLiteral("engine said no\r\n")));
}

TEST(ErrorReport, ARefusalSaysWhatHappenedWithoutTheReportOrTheRequestToSupport)
{
    UiRecorder ui;
    ErrorReport err(ErrorReport::location(QStringLiteral("Form2"), QStringLiteral("cmdSave_Click")));
    const QString said = QStringLiteral("Another person's work keeps this data locked. Try again.");
    EXPECT_FALSE(err.line(134, [&] { throw RuntimeError::refusal(err::DatabaseEngine, said); }));
    EXPECT_EQ(err.failures(), 1);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages().at(0).text, said);
    EXPECT_EQ(ui.messages().at(0).title, UiSeam::applicationTitle());
    EXPECT_TRUE(ui.errorReports().isEmpty());
}

TEST(ErrorReport, AFailedTestRunsWhatItGovernsAndAFailedLoopTestLeavesTheLoop)
{
    UiRecorder ui;
    ErrorReport err(QStringLiteral("in Vevudazor2021/08/31.Form1.ListData "));
    EXPECT_TRUE(err.test(100, []() -> bool { throw RuntimeError::objectNotSet(); }));
    EXPECT_FALSE(err.test(102, [] { return false; }));

    int passes = 0;
    while (err.loopTest(106, [&]() -> bool {
        if (passes == 2)
            throw RuntimeError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
        return true;
    }))
        ++passes;
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(ui.errorReports().size(), 2);
    EXPECT_TRUE(ui.errorReports().at(1).contains(QStringLiteral("at line 106\r\r")));
}

}  // namespace
}  // namespace hv::test
