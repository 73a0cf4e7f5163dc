// A report over 10,000 entries: the time from "Print Preview" to the first
// page drawn, and the export of the whole report to PDF, each against a
// plain QPainter loop that draws the same rows' texts onto the same kind of
// PDF writer. Prints the ratios.
#include "databases/bench_database.h"
#include "bench/preview_pages.h"
#include "bench/plain_painter.h"
#include "bench/ratio_reporter.h"
#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "reports/data_report.h"
#include "reports/report_chooser.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_options.h"
#include "reports/engine/report_page_model.h"
#include "reports/report_page_view.h"
#include "reports/report_preview.h"
#include "reports/engine/report_rows.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr int kEntries = 10000;
const QString kEntry = QStringLiteral("Billable Hours by Employee");
const QString kSql = QStringLiteral("select * from [Billable Hours] order by [Employee Name]");

QTemporaryDir* g_dir = nullptr;

QString databasePath()
{
    return g_dir->filePath(QStringLiteral("dbData.mdb"));
}

QString pdfPath()
{
    return g_dir->filePath(QStringLiteral("report.pdf"));
}

// 2 work codes, both billable, and kEntries entries.
void fillDatabase()
{
    QFile::copy(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/dbBlank.mdb"), databasePath());
    QFile::setPermissions(databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    hv::bench::writeEntries(databasePath(), kEntries, 2, [](int) { return true; });
}

// The report's rows and pages, read once for the export benchmarks.
struct PreparedReport {
    hv::DataReport report{hv::reports::rptBillableHoursByEmployee()};
    hv::reports::ReportRows rows;
    std::unique_ptr<hv::reports::ReportPageModel> pages;

    PreparedReport()
    {
        report.setOrientation(hv::DataReport::kLandscape);
        hv::data::Recordset rs;
        rs.Open(kSql, hv::SharedConnection::get());
        rows = hv::reports::ReportRows::read(rs, report.layout());
        rs.Close();
        pages = std::make_unique<hv::reports::ReportPageModel>(report.layout(), rows.rowCount(), report.paperTwips());
    }
};

PreparedReport& prepared()
{
    static PreparedReport report;
    return report;
}

// The chooser, loaded once; its previews draw their first page and close.
hv::Form4& chooser()
{
    static hv::Form4* form = [] {
        auto* f = new hv::Form4;
        f->Show();  // loads the list; the modal handler returns at once
        f->reportType()->setCurrentIndex(f->reportType()->findText(kEntry));
        return f;
    }();
    return *form;
}

void BM_PrintPreviewToFirstPage(benchmark::State& state)
{
    hv::Form4& form = chooser();
    int drawn = 0;
    hv::bench::drawFirstPageOfEveryPreview(drawn);
    for (auto _ : state)
        form.PushButton1_Click();
    if (drawn != static_cast<int>(state.iterations()))
        state.SkipWithError("the preview did not draw exactly its first page");
    hv::UiSeam::setModalHandler({});
}
BENCHMARK(BM_PrintPreviewToFirstPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ExportPdf(benchmark::State& state)
{
    PreparedReport& report = prepared();
    hv::reports::ReportPreview preview(report.report.layout(), report.rows, report.report.paperTwips(),
                                       report.report.pageSize(), report.report.pageOrientation(), nullptr);
    for (auto _ : state) {
        if (!preview.writePdf(pdfPath()))
            state.SkipWithError("the PDF could not be written");
    }
    state.counters["pages"] = report.pages->pageCount();
}
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same export with a subtotal after each employee's lines and a grand
// total, summed exactly.
void BM_ExportPdfWithTotals(benchmark::State& state)
{
    PreparedReport& report = prepared();
    hv::reports::ReportPreview preview(report.report.layout(), report.rows, report.report.paperTwips(),
                                       report.report.pageSize(), report.report.pageOrientation(), nullptr);
    hv::reports::ReportOptions options;
    options.totals = true;
    preview.setOptions(options);
    for (auto _ : state) {
        if (!preview.writePdf(pdfPath()))
            state.SkipWithError("the PDF could not be written");
    }
    state.counters["pages"] = preview.pageCount();
    state.counters["lines"] = preview.lines().count();
}
BENCHMARK(BM_ExportPdfWithTotals)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Reference: the same rows' texts drawn with a plain loop, one font, at
// fixed steps, onto a PDF writer with the same paper.
void BM_PlainPainterPdf(benchmark::State& state)
{
    PreparedReport& report = prepared();
    const hv::reports::ReportRows& rows = report.rows;
    const int perPage = report.pages->lineCount(1);
    for (auto _ : state)
        hv::bench::drawRowsPlainly(pdfPath(), report.report, rows, perPage);
}
BENCHMARK(BM_PlainPainterPdf)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    // The preview reads and keeps its choices in the settings: here its own,
    // never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    fillDatabase();
    hv::SharedConnection::set(hv::data::ComponentFactory::createConnection());
    hv::SharedConnection::get().Open(
        QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + databasePath()
        + QStringLiteral(";JET OLEDB:Database Password="));
    hv::UiSeam::setModalHandler([](QDialog&) { return 0; });
    chooser();
    hv::UiSeam::setModalHandler({});

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto time = [&](const char* name) { return reporter.time(name); };
    const double reference = time("BM_PlainPainterPdf/min_time:3.000");
    const double exported = time("BM_ExportPdf/min_time:3.000");
    const double firstPage = time("BM_PrintPreviewToFirstPage/min_time:2.000");
    const double withTotals = time("BM_ExportPdfWithTotals/min_time:3.000");
    std::printf("\nPDF export / plain painter loop: %.2f (target at most 1.5)\n", reference > 0 ? exported / reference : 0.0);
    std::printf("PDF export with totals / without: %.2f (target at most 1.3)\n",
                exported > 0 ? withTotals / exported : 0.0);
    std::printf("Print Preview to first page / plain painter loop: %.2f (%.0f ms; target well under a second)\n",
                reference > 0 ? firstPage / reference : 0.0, firstPage);

    delete &chooser();
    hv::SharedConnection::get().Close();
    hv::SharedConnection::release();
    return 0;
}
