// Reports over a million entries (ten years of a firm's mix), each measured
// in a process of its own for its peak memory: a month's report from "Print
// Preview" to its first page drawn, against the same report on a database
// that holds only that month's entries, and against the month filtered out
// of every entry read (the report component without the database's
// selection). Prints the ratios and each peak.
#include "databases/bench_database.h"
#include "bench/preview_pages.h"
#include "bench/ratio_reporter.h"
#include "core/file_system.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "gui/shared_connection.h"
#include "data/recordset.h"
#include "gui/ui_seam.h"
#include "reports/data_report.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_statements.h"
#include "reports/report_chooser.h"
#include "reports/report_page_view.h"
#include "reports/report_preview.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>

namespace {

constexpr int kEntries = 1000000;
const QDate kMonthStart(2030, 3, 1);
const QDate kMonthEnd(2030, 3, 31);
const QString kEntry = QStringLiteral("Billable Hours by Employee");

// What is measured: the month of the million entries, the month's entries
// alone, and the month of every entry read.
enum Database { Million, MonthOnly, MillionReadWhole };

struct Folders {
    QTemporaryDir databases;
    QTemporaryDir config;
    QString path(Database which) const
    {
        return databases.filePath(which == MonthOnly ? QStringLiteral("month.mdb") : QStringLiteral("million.mdb"));
    }
};
Folders* g_folders = nullptr;

struct Measure {
    double seconds = 0;  // the fastest preview to its first page
    double peakMb = 0;
};

// Previews the report as the chooser does, but from every row its design
// reads, which the preview then filters.
void previewReadWhole()
{
    hv::data::Recordset rs;
    rs.Open(hv::reports::ReportStatements::billableHoursByEmployee(), hv::SharedConnection::get());
    hv::DataReport report(hv::reports::rptBillableHoursByEmployee());
    report.setDataSource(&rs);
    report.setOrientation(hv::DataReport::kLandscape);
    report.Show(hv::DataReport::kModal, nullptr);
    rs.Close();
}

// In the measuring process: previews the report five times with the
// choices saved in its settings, drawing the first page each time.
int measure(const QString& database, bool readWhole)
{
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::SharedConnection::set(hv::data::ComponentFactory::createConnection());
    hv::SharedConnection::get().Open(QStringLiteral("data source=") + hv::data::Connection::quoted(database));
    hv::UiSeam::setModalHandler([](QDialog&) { return 0; });
    hv::Form4 chooser;
    chooser.Show();
    chooser.reportType()->setCurrentIndex(chooser.reportType()->findText(kEntry));
    int drawn = 0;
    hv::bench::drawFirstPageOfEveryPreview(drawn);
    double best = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (readWhole)
            previewReadWhole();
        else
            chooser.PushButton1_Click();
        const double seconds = clock.nsecsElapsed() / 1e9;
        best = run == 0 ? seconds : std::min(best, seconds);
    }
    hv::UiSeam::setModalHandler({});
    hv::SharedConnection::get().Close();
    hv::SharedConnection::release();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %.6f %.1f\n", drawn, best, usage.ru_maxrss / 1024.0);
    return drawn == 5 ? 0 : 1;
}

Measure runMeasure(Database which)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), g_folders->config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {which == MillionReadWhole ? QStringLiteral("--measure-read-whole") : QStringLiteral("--measure"),
                 g_folders->path(which)});
    child.waitForFinished(600000);
    const QList<QByteArray> said = child.readAllStandardOutput().trimmed().split(' ');
    Measure result;
    if (child.exitCode() == 0 && said.size() == 3) {
        result.seconds = said.at(1).toDouble();
        result.peakMb = said.at(2).toDouble();
    }
    return result;
}

std::map<int, Measure> g_measured;

void BM_MonthReportToFirstPage(benchmark::State& state)
{
    const auto which = static_cast<Database>(state.range(0));
    Measure best;
    for (auto _ : state) {
        const Measure run = runMeasure(which);
        if (run.seconds == 0) {
            state.SkipWithError("the report was not previewed");
            break;
        }
        state.SetIterationTime(run.seconds);
        best.seconds = best.seconds == 0 ? run.seconds : std::min(best.seconds, run.seconds);
        best.peakMb = std::max(best.peakMb, run.peakMb);
    }
    state.counters["peak_MB"] = best.peakMb;
    g_measured[which] = best;
}
BENCHMARK(BM_MonthReportToFirstPage)
    ->ArgName("database")
    ->DenseRange(Million, MillionReadWhole)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

bool prepare()
{
    const QString program = QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR);
    const auto million = [](const QString& file) {
        hv::bench::writeEntries(file, kEntries, 6, [](int w) { return w % 2 == 1; }, hv::bench::Descriptions::FirmMix,
                                3652);
    };
    if (!hv::bench::copyCachedDatabase(QStringLiteral("firm-%1").arg(kEntries), program, million,
                                       g_folders->path(Million)))
        return false;
    const auto month = [&](const QString& file) {
        QFile::remove(file);
        QFile::copy(g_folders->path(Million), file);
        hv::bench::keepEntriesBetween(file, kMonthStart, kMonthEnd);
    };
    if (!hv::bench::copyCachedDatabase(QStringLiteral("firm-%1-month").arg(kEntries), program, month,
                                       g_folders->path(MonthOnly)))
        return false;
    // The choices the preview starts from: the month.
    QSettings settings(g_folders->config.filePath(QStringLiteral("Harrowfen.ini")), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Hourvane"));
    settings.setValue(QStringLiteral("ReportPeriod"), QStringLiteral("Custom"));
    settings.setValue(QStringLiteral("ReportFrom"), kMonthStart.toString(Qt::ISODate));
    settings.setValue(QStringLiteral("ReportTo"), kMonthEnd.toString(Qt::ISODate));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "--measure") == 0 || qstrcmp(argv[1], "--measure-read-whole") == 0)) {
        QApplication app(argc, argv);
        return measure(QString::fromLocal8Bit(argv[2]), qstrcmp(argv[1], "--measure-read-whole") == 0);
    }
    QCoreApplication app(argc, argv);
    Folders folders;
    g_folders = &folders;
    if (!prepare()) {
        std::fprintf(stderr, "The databases could not be made.\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const Measure& million = g_measured[Million];
    const Measure& month = g_measured[MonthOnly];
    const Measure& whole = g_measured[MillionReadWhole];
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\nA month's report, Print Preview to its first page (fastest of each):\n");
    std::printf("  a million entries / that month's entries alone: %.2f (%.3f s / %.3f s; goal within 0.3 s)\n",
                ratio(million.seconds, month.seconds), million.seconds, month.seconds);
    std::printf("  every entry read and filtered / a million entries selected: %.1f (%.3f s)\n",
                ratio(whole.seconds, million.seconds), whole.seconds);
    std::printf("  peak memory of the process: %.1f MB / %.1f MB, every entry read %.1f MB (goal within 80 MB)\n",
                million.peakMb, month.peakMb, whole.peakMb);
    return 0;
}
