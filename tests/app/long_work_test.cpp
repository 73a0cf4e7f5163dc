#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

namespace hv::test {
namespace {

// A long piece of work that writes a file, and how the user starts it.
struct LongOutput {
    const char* name;
    const char* file;
    // Starts the work on the window, naming `file` where the program asks.
    void (*start)(Form1& window, UiRecorder& ui, const QString& file);
};

void PrintTo(const LongOutput& output, std::ostream* out)
{
    *out << output.name;
}

void exportEntries(Form1& window, UiRecorder& ui, const QString& file)
{
    ui.answerNextFile(file);
    window.findChild<QAction*>(QStringLiteral("actionExport"))->trigger();
}

// Opens "Billable Hours by Employee" from the main window and presses one of
// the preview's buttons, answering the dialog it opens with `answer`.
void fromPreview(Form1& window, UiRecorder& ui, const QString& button, std::function<void(QDialog&)> answer)
{
    ui.onNextModal([&ui, button, answer](QDialog& chooser) {
        auto* entries = chooser.findChild<QComboBox*>(QStringLiteral("Combo1"));
        entries->setCurrentIndex(entries->findText(QStringLiteral("Billable Hours by Employee")));
        ui.onNextModal([&ui, button, answer](QDialog& preview) {
            ui.onNextModal(answer);
            press(preview, button);
        });
        press(chooser, QStringLiteral("PushButton1"));
    });
    press(window, QStringLiteral("PushButton5"));
}

void exportReport(Form1& window, UiRecorder& ui, const QString& button, const QString& file)
{
    fromPreview(window, ui, button, [file](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        // Qt's own question about replacing the file is not the program's.
        files->setOption(QFileDialog::DontConfirmOverwrite);
        files->selectFile(file);
        static_cast<QDialog*>(files)->accept();
    });
}

void printReport(Form1& window, UiRecorder& ui, const QString& file)
{
    fromPreview(window, ui, QStringLiteral("Print"), [file](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        ASSERT_NE(print, nullptr);
        print->printer()->setOutputFileName(file);
        print->done(QDialog::Accepted);
    });
}

class LongWorkTest : public MainWindowTest, public ::testing::WithParamInterface<LongOutput> {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_window = start();
        // Enough billable entries for a report of several pages.
        QStringList statements{QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"),
                               QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)")};
        for (int n = 0; n < 120; ++n)
            statements << entryInsert(1, QDate(2026, 1, 1).addDays(n).toString(Qt::ISODate), 1, QStringLiteral("2"),
                                      QStringLiteral("Task %1").arg(n));
        execute(statements);
        m_window->ListData();
        m_ui.clear();
    }

    void TearDown() override
    {
        closeWindow(m_window);
        MainWindowTest::TearDown();
    }

    QByteArray contents(const QString& file) const
    {
        QFile read(file);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("(missing)");
    }

    std::unique_ptr<Form1> m_window;
    QTemporaryDir m_out;
};

// Stopped midway, the file that was there stays as it was, nothing is left
// beside it and nothing is said; let run, the work tells how far it has come
// up to its end and replaces the file.
TEST_P(LongWorkTest, StoppedLeavesTheFileAsItWasAndOtherwiseRunsToItsEnd)
{
    const QString file = m_out.filePath(QString::fromLatin1(GetParam().file));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("what was there");
    }

    m_ui.cancelNextWorkMidway();
    GetParam().start(*m_window, m_ui, file);
    ASSERT_FALSE(m_ui.progressRequests().isEmpty());
    const ProgressRequest& stopped = m_ui.progressRequests().last();
    EXPECT_GT(stopped.done, 0);
    EXPECT_LT(stopped.done, stopped.total);
    EXPECT_EQ(contents(file), "what was there");
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files), QStringList{QString::fromLatin1(GetParam().file)});
    EXPECT_TRUE(m_ui.messages().isEmpty()) << m_ui.messages().value(0).text.toStdString();

    m_ui.clear();
    GetParam().start(*m_window, m_ui, file);
    ASSERT_FALSE(m_ui.progressRequests().isEmpty());
    const ProgressRequest& last = m_ui.progressRequests().last();
    EXPECT_GT(last.total, 1);
    EXPECT_EQ(last.done, last.total);
    EXPECT_FALSE(last.caption.isEmpty());
    EXPECT_NE(contents(file), "what was there");
    EXPECT_GT(contents(file).size(), 1000);
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files), QStringList{QString::fromLatin1(GetParam().file)});
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, LongWorkTest,
    ::testing::Values(LongOutput{"EntriesCsv", "hours.csv", exportEntries},
                      LongOutput{"EntriesXlsx", "hours.xlsx", exportEntries},
                      LongOutput{"ReportPdf", "report.pdf",
                                 [](Form1& w, UiRecorder& ui, const QString& f) {
                                     exportReport(w, ui, QStringLiteral("ExportToPdf"), f);
                                 }},
                      LongOutput{"ReportCsv", "report.csv",
                                 [](Form1& w, UiRecorder& ui, const QString& f) {
                                     exportReport(w, ui, QStringLiteral("ExportToCsv"), f);
                                 }},
                      LongOutput{"ReportXlsx", "report.xlsx",
                                 [](Form1& w, UiRecorder& ui, const QString& f) {
                                     exportReport(w, ui, QStringLiteral("ExportToXlsx"), f);
                                 }},
                      LongOutput{"PrintToFile", "printed.pdf", printReport}),
    [](const ::testing::TestParamInfo<LongOutput>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test
