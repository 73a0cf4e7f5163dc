#include "reports_fixture.h"

#include "data/recordset.h"
#include "gui/shared_connection.h"
#include "core/runtime_error.h"
#include "reports/data_report.h"
#include "gui/eliding_combo_box.h"
#include "reports/report_chooser.h"
#include "reports/report_page_view.h"
#include "reports/report_preview.h"
#include "reports/optional_date_edit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

namespace hv::test {
namespace {

class ReportPreviewTest : public ReportsTest {
protected:
    void addRows(int count) const
    {
        QList<Entry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                            QStringLiteral("2026-01-05"), 1, QStringLiteral("Line %1").arg(i)});
        addEntries(entries);
    }

    void withPreview(const std::function<void(reports::ReportPreview&)>& script)
    {
        openChooser([&](Form4& form) { preview(form, QStringLiteral("Billable Hours by Employee"), script); });
    }
};

// Pages are drawn only when shown; the buttons move through them.
TEST_F(ReportPreviewTest, PagesThroughALongReportDrawingOnlyThePagesShown)
{
    addRows(1000);
    withPreview([](reports::ReportPreview& shown) {
        // 23 lines on the first landscape page, 25 on each of the others.
        ASSERT_EQ(shown.pageCount(), 41);
        reports::ReportPageView* view = shown.pageView();
        view->pageImage();
        EXPECT_EQ(view->pagesDrawn(), 1);
        auto* label = shown.findChild<QLabel*>(QStringLiteral("PageNumber"));
        EXPECT_EQ(label->text(), QStringLiteral("Page 1 of 41"));
        EXPECT_FALSE(shown.findChild<QPushButton*>(QStringLiteral("PreviousPage"))->isEnabled());

        press(shown, QStringLiteral("NextPage"));
        EXPECT_EQ(shown.currentPage(), 1);
        press(shown, QStringLiteral("LastPage"));
        EXPECT_EQ(shown.currentPage(), 40);
        EXPECT_EQ(label->text(), QStringLiteral("Page 41 of 41"));
        EXPECT_FALSE(shown.findChild<QPushButton*>(QStringLiteral("NextPage"))->isEnabled());
        view->pageImage();
        press(shown, QStringLiteral("PreviousPage"));
        EXPECT_EQ(shown.currentPage(), 39);
        press(shown, QStringLiteral("FirstPage"));
        EXPECT_EQ(shown.currentPage(), 0);
        QTest::keyClick(&shown, Qt::Key_PageDown);
        EXPECT_EQ(shown.currentPage(), 1);
        QTest::keyClick(&shown, Qt::Key_End);
        EXPECT_EQ(shown.currentPage(), 40);
        QTest::keyClick(&shown, Qt::Key_PageUp);
        EXPECT_EQ(shown.currentPage(), 39);
        QTest::keyClick(&shown, Qt::Key_Home);
        EXPECT_EQ(shown.currentPage(), 0);
        view->pageImage();
        EXPECT_EQ(view->pagesDrawn(), 3);
    });
}

// Zoom draws the page at a larger size, with the same page at the same place.
TEST_F(ReportPreviewTest, ZoomScalesThePage)
{
    addRows(3);
    withPreview([](reports::ReportPreview& shown) {
        reports::ReportPageView* view = shown.pageView();
        const QSize normal = view->pageImage().size();
        // Landscape Letter, 11 by 8.5 inches, at the screen's resolution.
        EXPECT_NEAR(normal.width(), 11 * view->logicalDpiX() * view->devicePixelRatioF(), 1);
        shown.setZoom(2.0);
        EXPECT_EQ(shown.findChild<QComboBox*>(QStringLiteral("Zoom"))->currentText(), QStringLiteral("200%"));
        const QImage& zoomed = view->pageImage();
        EXPECT_NEAR(zoomed.width(), 2 * normal.width(), 1);
        EXPECT_NEAR(zoomed.height(), 2 * normal.height(), 1);
        EXPECT_EQ(view->size(), zoomed.size() / zoomed.devicePixelRatio());
    });
}

// Printing through the print dialog to the printer's file output prints
// every page; a printer that cannot start says so.
TEST_F(ReportPreviewTest, PrintsThroughThePrintDialog)
{
    addRows(60);
    const QString file = m_output.filePath(QStringLiteral("printed.pdf"));
    int pageCount = 0;
    withPreview([&](reports::ReportPreview& shown) {
        pageCount = shown.pageCount();
        m_ui.onNextModal([&](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            ASSERT_NE(print, nullptr);
            print->printer()->setOutputFileName(file);
            print->done(QDialog::Accepted);
        });
        press(shown, QStringLiteral("Print"));
    });
    EXPECT_TRUE(m_ui.messages().isEmpty());
    const QList<PdfPage> pages = readPdf(file);
    EXPECT_EQ(pages.size(), pageCount);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.last().text.contains(QStringLiteral("Line 59")));
}

TEST_F(ReportPreviewTest, PrintingWithoutAPrinterSaysSo)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed on this machine";
    addRows(2);
    withPreview([&](reports::ReportPreview& shown) {
        m_ui.onNextModal([](QDialog& dialog) { dialog.done(QDialog::Accepted); });
        press(shown, QStringLiteral("Print"));
        EXPECT_TRUE(shown.isVisible());
    });
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().first().text.startsWith(QStringLiteral("No printer is installed")));
}

// A file that cannot be written is reported; a cancelled dialog writes nothing.
TEST_F(ReportPreviewTest, ExportToAFolderThatIsNotThereIsReported)
{
    addRows(2);
    const QString file = m_output.filePath(QStringLiteral("missing/folder/report.pdf"));
    withPreview([&](reports::ReportPreview& shown) {
        EXPECT_FALSE(shown.writePdf(file));
        m_ui.onNextModal([](QDialog& dialog) { dialog.reject(); });
        press(shown, QStringLiteral("ExportToPdf"));
        EXPECT_TRUE(m_ui.messages().isEmpty());
    });
    EXPECT_FALSE(QFile::exists(file));
}

// A name of any length leaves the preview as narrow as short names do: the
// filter boxes keep a sensible width and show the chosen name shortened
// with "…", the buttons in reach.
TEST_F(ReportPreviewTest, ALongNameLeavesThePreviewAsNarrowAsShortNames)
{
    addEntries({{QStringLiteral("Annabelle"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 1, QStringLiteral("Call")}});
    int narrowest = 0;
    withPreview([&](reports::ReportPreview& shown) { narrowest = shown.minimumSizeHint().width(); });
    const QString surname(10000, u'W');
    addEntries({{QStringLiteral("Anna"), surname, QStringLiteral("Billable support"), QStringLiteral("2026-01-06"), 1,
                 QStringLiteral("Call")}});
    withPreview([&](reports::ReportPreview& shown) {
        EXPECT_EQ(shown.minimumSizeHint().width(), narrowest);
        EXPECT_LT(shown.sizeHint().width(), 1280);
        auto* employee = shown.findChild<ElidingComboBox*>(QStringLiteral("EmployeeFilter"));
        ASSERT_NE(employee, nullptr);
        employee->setCurrentIndex(employee->findData(QStringLiteral("Anna ") + surname));
        shown.show();
        QCoreApplication::processEvents();
        const auto* close = shown.findChild<QPushButton*>(QStringLiteral("ClosePreview"));
        EXPECT_TRUE(shown.rect().contains(QRect(close->mapTo(&shown, QPoint()), close->size())));
        EXPECT_TRUE(employee->shownText().startsWith(QStringLiteral("Anna W")));
        EXPECT_TRUE(employee->shownText().endsWith(QChar(0x2026)));
        EXPECT_EQ(employee->currentText(), QStringLiteral("Anna ") + surname);
        shown.hide();
    });
}

// On a small screen or at a large scaling the choices wrap onto further
// rows: the preview fits the screen, less a panel, with every button, box
// and check box inside it and room left for the page.
struct ScreenCase {
    const char* name;
    QSize logical;  // the screen in device-independent pixels
};

void PrintTo(const ScreenCase& c, std::ostream* out)
{
    *out << c.name;
}

class PreviewFitTest : public ReportPreviewTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(PreviewFitTest, EveryControlIsInsideTheScreen)
{
    addRows(3);
    const QSize available = GetParam().logical - QSize(0, 40);
    withPreview([&](reports::ReportPreview& shown) {
        shown.resize(available);
        shown.show();
        QCoreApplication::processEvents();
        EXPECT_LE(shown.width(), available.width());
        EXPECT_LE(shown.height(), available.height());
        int controls = 0;
        for (QWidget* control : shown.findChildren<QWidget*>()) {
            if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control)
                && !qobject_cast<reports::OptionalDateEdit*>(control))
                continue;
            if (control->window() != &shown)
                continue;
            ++controls;
            const QRect place(control->mapTo(&shown, QPoint()), control->size());
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
            EXPECT_TRUE(shown.rect().contains(place)) << control->objectName().toStdString();
        }
        EXPECT_GE(controls, 15);
        EXPECT_GE(shown.findChild<QWidget*>(QStringLiteral("PageArea"))->height(), 150);
        shown.hide();
    });
}

INSTANTIATE_TEST_SUITE_P(Screens, PreviewFitTest,
                         ::testing::Values(ScreenCase{"Laptop1366x768At125", QSize(1093, 614)},
                                           ScreenCase{"FullHd1920x1080At200", QSize(960, 540)}),
                         [](const auto& info) { return std::string(info.param.name); });

// The report reads its data source when shown: one that lacks a bound column
// or is closed raises a run-time error and shows nothing.
TEST_F(ReportPreviewTest, ADataSourceThatCannotBeReadRaisesAndShowsNothing)
{
    addRows(2);
    const int shows = m_ui.modalShows();
    for (const QString& sql : {QStringLiteral("select [Employee Name], Hours from [Billable Hours]"), QString()}) {
        data::Recordset rs;
        if (!sql.isEmpty())
            rs.Open(sql, SharedConnection::get());
        DataReport report(reports::rptBillableHoursByEmployee());
        report.setDataSource(&rs);
        EXPECT_THROW(report.Show(DataReport::kModal, nullptr), RuntimeError) << sql.toStdString();
    }
    DataReport unbound(reports::rptBillableHoursByEmployee());
    EXPECT_THROW(unbound.Show(DataReport::kModal, nullptr), RuntimeError);
    EXPECT_THROW(unbound.setOrientation(3), RuntimeError);
    EXPECT_EQ(m_ui.modalShows(), shows);
}

// The three layouts bind the same five columns: rows of either stored query
// print in any of them.
TEST_F(ReportPreviewTest, EitherStoredQueryFeedsEveryLayout)
{
    addEntries({{QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-01-05"), 3, QStringLiteral("Billed call")},
                {QStringLiteral("Mia"), QStringLiteral("Oduya"), QStringLiteral("Training"), QStringLiteral("2026-01-06"),
                 4, QStringLiteral("Course day")}});
    const QList<std::pair<QString, QString>> queries{
        {QStringLiteral("select * from [Billable Hours]"), QStringLiteral("Billed call")},
        {QStringLiteral("select * from [Non Billable Hours]"), QStringLiteral("Course day")}};
    for (const reports::ReportLayout* layout : {&reports::rptBillableHoursByEmployee(), &reports::rptBillableHoursByProject(),
                                                &reports::rptNonBillableHoursByEmployee()}) {
        for (const auto& [sql, description] : queries) {
            data::Recordset rs;
            rs.Open(sql, SharedConnection::get());
            DataReport report(*layout);
            report.setDataSource(&rs);
            const QString file = m_output.filePath(QStringLiteral("either.pdf"));
            m_ui.onNextModal([&](QDialog& dialog) {
                EXPECT_TRUE(qobject_cast<reports::ReportPreview*>(&dialog)->writePdf(file));
            });
            report.Show(DataReport::kModal, nullptr);
            const QList<PdfPage> pages = readPdf(file);
            ASSERT_EQ(pages.size(), 1);
            EXPECT_EQ(pages.first().text.count(description), 1) << layout->name.toStdString() << " " << sql.toStdString();
            EXPECT_TRUE(pages.first().text.contains(layout->title));
        }
    }
}

}  // namespace
}  // namespace hv::test
