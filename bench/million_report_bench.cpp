// Reports over a million entries (ten years of a firm's mix), each case
// measured in a process of its own for its peak memory:
// - a month's report from "Print Preview" to its first page drawn, against
//   the same report on a database that holds only that month's entries, and
//   against the month filtered out of every entry read (the report
//   component without the database's selection);
// - the report of all dates from "Print Preview" to its first page;
//   against the engine alone running the report's statement, every cell
//   read, with the program's sort threads;
// - the export of the report of all dates to PDF, against a plain painter
//   loop that draws the same rows' texts onto the same kind of PDF writer,
//   written to the disk the same way; the two run in turn, three times each,
//   and are compared by the processor time of the fastest (on a machine
//   others share, the wall time of one run against one other swung the
//   ratio from 1.0 to 2.3).
// - a month's payroll figures (each person's hours week by week against the
//   contract) read and worked out, against the same on the database of that
//   month alone.
// Prints the ratios and each peak.
#include "databases/bench_database.h"
#include "bench/plain_painter.h"
#include "bench/preview_pages.h"
#include "bench/ratio_reporter.h"
#include "core/file_system.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sqlite/handles.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "reports/data_report.h"
#include "reports/engine/payroll_hours.h"
#include "reports/engine/payroll_source.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_page_model.h"
#include "reports/engine/report_rows.h"
#include "reports/engine/report_statements.h"
#include "reports/report_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <ctime>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace {

constexpr int kEntries = 1000000;
const QDate kMonthStart(2030, 3, 1);
const QDate kMonthEnd(2030, 3, 31);
const QString kEntry = QStringLiteral("Billable Hours by Employee");

enum Case {
    MonthSelected,
    MonthAlone,
    MonthReadWhole,
    AllDatesPreview,
    EngineAlone,
    AllDatesPdf,
    PlainPainterPdf,
    PayrollMonthSelected,
    PayrollMonthAlone,
    CaseCount
};

// What each case reads, under which choices, and how.
struct CaseSetting {
    const char* name;
    bool monthDatabase;  // the database of the month's entries alone
    bool monthChosen;    // the month chosen, else all dates
};
constexpr std::array<CaseSetting, CaseCount> kCases{{
    {"month-selected", false, true},
    {"month-alone", true, true},
    {"month-read-whole", false, true},
    {"all-dates-preview", false, false},
    {"engine-alone", false, false},
    {"all-dates-pdf", false, false},
    {"plain-painter-pdf", false, false},
    {"payroll-month-selected", false, true},
    {"payroll-month-alone", true, true},
}};

struct Folders {
    QTemporaryDir databases;
    QTemporaryDir monthChoices;
    QTemporaryDir defaultChoices;
    QString database(bool month) const
    {
        return databases.filePath(month ? QStringLiteral("month.mdb") : QStringLiteral("million.mdb"));
    }
    QString pdf() const { return databases.filePath(QStringLiteral("report.pdf")); }
};
Folders* g_folders = nullptr;

struct Measure {
    double seconds = 0;
    double peakMb = 0;
    double cpuSeconds = 0;  // the process's processor time over the same span
};

double processorSeconds()
{
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// The processor time the timed part of a case used.
double g_cpuSeconds = 0;

void openDatabase(const QString& database)
{
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::SharedConnection::set(hv::data::ComponentFactory::createConnection());
    hv::SharedConnection::get().Open(QStringLiteral("data source=") + hv::data::Connection::quoted(database));
}

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

// The fastest of five previews to their first page; -1 unless each drew it.
double timePreviews(hv::Form4& chooser, bool readWhole)
{
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
    return drawn == 5 ? best : -1;
}

// The export to PDF from the preview, timed from the press of the button's
// work to the file written.
double timePdfExport(hv::Form4& chooser, const QString& pdf)
{
    double seconds = -1;
    hv::UiSeam::setModalHandler([&](QDialog& dialog) {
        if (auto* preview = qobject_cast<hv::reports::ReportPreview*>(&dialog)) {
            QElapsedTimer clock;
            clock.start();
            const double cpu = processorSeconds();
            if (preview->writePdf(pdf)) {
                seconds = clock.nsecsElapsed() / 1e9;
                g_cpuSeconds = processorSeconds() - cpu;
            }
        }
        return 0;
    });
    chooser.PushButton1_Click();
    return seconds;
}

// Reference: the rows' texts drawn with a plain loop, one font, at fixed
// steps, onto a PDF writer with the same paper, as many lines a page as the
// report prints.
double timePlainPainter(const QString& pdf)
{
    hv::DataReport report(hv::reports::rptBillableHoursByEmployee());
    report.setOrientation(hv::DataReport::kLandscape);
    hv::data::Recordset rs;
    rs.Open(hv::reports::ReportStatements::billableHoursByEmployee(), hv::SharedConnection::get());
    const hv::reports::ReportRows rows = hv::reports::ReportRows::read(rs, report.layout());
    rs.Close();
    const hv::reports::ReportPageModel pages(report.layout(), rows.rowCount(), report.paperTwips());
    const int perPage = pages.lineCount(std::min(1, pages.pageCount() - 1));
    QElapsedTimer clock;
    clock.start();
    const double cpu = processorSeconds();
    hv::bench::drawRowsPlainly(pdf, report, rows, perPage);
    g_cpuSeconds = processorSeconds() - cpu;
    return clock.nsecsElapsed() / 1e9;
}

// Reference: the report's statement in the engine's own dialect, run
// through its C API with the sort threads the program gives it, every cell
// read as the engine holds it; the fastest of five.
double timeEngineAlone(const QString& database)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    hv::data::sortOnHelperThreads(db);
    double best = -1;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select * from \"Billable Hours\" order by \"Employee Name\"", -1, &stmt, nullptr)
            != SQLITE_OK)
            break;
        std::size_t bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_TEXT)
                    bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, c));
                else
                    bytes += static_cast<std::size_t>(sqlite3_column_int64(stmt, c));
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
        const double seconds = clock.nsecsElapsed() / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    sqlite3_close(db);
    return best;
}

// The month's payroll figures, read through the index of the dates and
// worked out week by week; the fastest of five.
double timePayroll()
{
    const hv::reports::PayrollHours payroll(hv::reports::PayrollHours::Span::Week, Qt::Monday);
    const hv::reports::DatePeriod month{kMonthStart, kMonthEnd};
    double best = -1;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        const hv::reports::PayrollSource source = hv::reports::PayrollSource::read(hv::SharedConnection::get(), month);
        const hv::reports::PayrollHours::Result result =
            payroll.compute(month, source.employees, source.entries, source.contracts);
        benchmark::DoNotOptimize(result.firm.total.value());
        const double seconds = clock.nsecsElapsed() / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

// In the measuring process: one case, with the choices saved in its
// settings; prints the seconds and the process's peak memory.
int measure(Case which, const QString& database, const QString& pdf)
{
    if (which == EngineAlone) {
        const double seconds = timeEngineAlone(database);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%.6f %.1f\n", seconds, usage.ru_maxrss / 1024.0);
        return seconds >= 0 ? 0 : 1;
    }
    openDatabase(database);
    double seconds = -1;
    if (which == PlainPainterPdf) {
        seconds = timePlainPainter(pdf);
    } else if (which == PayrollMonthSelected || which == PayrollMonthAlone) {
        seconds = timePayroll();
    } else {
        hv::UiSeam::setModalHandler([](QDialog&) { return 0; });
        hv::Form4 chooser;
        chooser.Show();
        chooser.reportType()->setCurrentIndex(chooser.reportType()->findText(kEntry));
        seconds = which == AllDatesPdf ? timePdfExport(chooser, pdf) : timePreviews(chooser, which == MonthReadWhole);
    }
    hv::UiSeam::setModalHandler({});
    hv::SharedConnection::get().Close();
    hv::SharedConnection::release();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %.1f %.6f\n", seconds, usage.ru_maxrss / 1024.0, g_cpuSeconds);
    return seconds >= 0 ? 0 : 1;
}

Measure runMeasure(Case which)
{
    const CaseSetting& setting = kCases[which];
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
               setting.monthChosen ? g_folders->monthChoices.path() : g_folders->defaultChoices.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), QString::number(which), g_folders->database(setting.monthDatabase),
                 g_folders->pdf()});
    child.waitForFinished(-1);
    const QList<QByteArray> said = child.readAllStandardOutput().trimmed().split(' ');
    Measure result;
    if (child.exitCode() == 0 && said.size() >= 2) {
        result.seconds = said.at(0).toDouble();
        result.peakMb = said.at(1).toDouble();
        result.cpuSeconds = said.value(2).toDouble();
    }
    return result;
}

std::map<int, Measure> g_measured;

bool isPdfCase(Case which)
{
    return which == AllDatesPdf || which == PlainPainterPdf;
}

// The export to PDF and its reference, in turn, three times: each keeps its
// fastest run by processor time, and the most memory any run used.
void measurePdfInTurn()
{
    for (int round = 0; round < 3; ++round) {
        for (const Case which : {AllDatesPdf, PlainPainterPdf}) {
            const Measure run = runMeasure(which);
            Measure& best = g_measured[which];
            if (run.seconds == 0) {
                best.seconds = -1;
                continue;
            }
            if (best.seconds < 0)
                continue;
            const double peak = std::max(best.peakMb, run.peakMb);
            if (best.seconds == 0 || run.cpuSeconds < best.cpuSeconds)
                best = run;
            best.peakMb = peak;
        }
    }
}

void BM_Report(benchmark::State& state)
{
    const auto which = static_cast<Case>(state.range(0));
    state.SetLabel(kCases[which].name);
    if (isPdfCase(which)) {
        const Measure& best = g_measured[which];
        for (auto _ : state) {
            if (best.seconds <= 0) {
                state.SkipWithError("the report was not made");
                break;
            }
            state.SetIterationTime(best.seconds);
        }
        state.counters["cpu_s"] = best.cpuSeconds;
        state.counters["peak_MB"] = best.peakMb;
        return;
    }
    Measure best;
    for (auto _ : state) {
        const Measure run = runMeasure(which);
        if (run.seconds == 0) {
            state.SkipWithError("the report was not made");
            break;
        }
        state.SetIterationTime(run.seconds);
        best.seconds = best.seconds == 0 ? run.seconds : std::min(best.seconds, run.seconds);
        best.peakMb = std::max(best.peakMb, run.peakMb);
    }
    state.counters["peak_MB"] = best.peakMb;
    g_measured[which] = best;
}
BENCHMARK(BM_Report)->ArgName("case")->DenseRange(0, CaseCount - 1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

bool saveMonthChoices()
{
    QSettings settings(g_folders->monthChoices.filePath(QStringLiteral("Harrowfen.ini")), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Hourvane"));
    settings.setValue(QStringLiteral("ReportPeriod"), QStringLiteral("Custom"));
    settings.setValue(QStringLiteral("ReportFrom"), kMonthStart.toString(Qt::ISODate));
    settings.setValue(QStringLiteral("ReportTo"), kMonthEnd.toString(Qt::ISODate));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool prepare()
{
    const QString program = QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR);
    const auto million = [](const QString& file) {
        hv::bench::writeEntries(file, kEntries, 6, [](int w) { return w % 2 == 1; }, hv::bench::Descriptions::FirmMix,
                                3652);
    };
    if (!hv::bench::copyCachedDatabase(QStringLiteral("firm-%1").arg(kEntries), program, million,
                                       g_folders->database(false)))
        return false;
    const auto month = [&](const QString& file) {
        QFile::remove(file);
        QFile::copy(g_folders->database(false), file);
        hv::bench::keepEntriesBetween(file, kMonthStart, kMonthEnd);
    };
    return hv::bench::copyCachedDatabase(QStringLiteral("firm-%1-month").arg(kEntries), program, month,
                                         g_folders->database(true))
        && saveMonthChoices();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--measure") == 0) {
        QApplication app(argc, argv);
        const int which = QByteArray(argv[2]).toInt();
        if (which < 0 || which >= CaseCount)
            return 2;
        return measure(static_cast<Case>(which), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    Folders folders;
    g_folders = &folders;
    if (!prepare()) {
        std::fprintf(stderr, "The databases could not be made.\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    measurePdfInTurn();
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto measured = [](Case which) { return g_measured[which]; };
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\nA month's report, Print Preview to its first page (fastest of five):\n");
    std::printf("  a million entries / that month's entries alone: %.2f (%.3f s / %.3f s; goal within 0.3 s)\n",
                ratio(measured(MonthSelected).seconds, measured(MonthAlone).seconds), measured(MonthSelected).seconds,
                measured(MonthAlone).seconds);
    std::printf("  every entry read and filtered / a million entries selected: %.1f (%.3f s)\n",
                ratio(measured(MonthReadWhole).seconds, measured(MonthSelected).seconds),
                measured(MonthReadWhole).seconds);
    std::printf("  peak memory: %.1f MB / %.1f MB, every entry read %.1f MB (goal within 80 MB)\n",
                measured(MonthSelected).peakMb, measured(MonthAlone).peakMb, measured(MonthReadWhole).peakMb);
    std::printf("The report of all dates:\n");
    std::printf("  Print Preview to its first page: %.3f s (goal within 1 s), peak memory %.1f MB (goal within "
                "200 MB)\n",
                measured(AllDatesPreview).seconds, measured(AllDatesPreview).peakMb);
    std::printf("  Print Preview / the engine alone running the report's statement: %.2f (%.3f s)\n",
                ratio(measured(AllDatesPreview).seconds, measured(EngineAlone).seconds), measured(EngineAlone).seconds);
    std::printf("  export to PDF / plain painter loop, processor time: %.2f (%.1f s / %.1f s; wall time %.1f s / "
                "%.1f s), peak memory %.1f MB / %.1f MB\n",
                ratio(measured(AllDatesPdf).cpuSeconds, measured(PlainPainterPdf).cpuSeconds),
                measured(AllDatesPdf).cpuSeconds, measured(PlainPainterPdf).cpuSeconds, measured(AllDatesPdf).seconds,
                measured(PlainPainterPdf).seconds, measured(AllDatesPdf).peakMb, measured(PlainPainterPdf).peakMb);
    std::printf("A month's payroll figures, read and worked out (fastest of five):\n");
    std::printf("  a million entries / that month's entries alone: %.2f (%.3f s / %.3f s; goal within 0.3 s), peak "
                "memory %.1f MB / %.1f MB (goal within 80 MB)\n",
                ratio(measured(PayrollMonthSelected).seconds, measured(PayrollMonthAlone).seconds),
                measured(PayrollMonthSelected).seconds, measured(PayrollMonthAlone).seconds,
                measured(PayrollMonthSelected).peakMb, measured(PayrollMonthAlone).peakMb);
    return 0;
}
