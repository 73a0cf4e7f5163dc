// The work-hours list over many entries (100,000 with a text of its own each,
// or a million in a firm's mix of texts): the fill (ListData) against reading
// the same stored query row by row with the raw SQLite API, every column
// taken as text, and a header-click sort of each column against the fill.
// Prints the ratios, the first fill and first sorts (after the window's idle
// moment, in which the texts' sort keys are made), and the memory the filled
// list holds.
#include "databases/bench_database.h"
#include "bench/bench_window.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_list_read.h"
#include "core/file_system.h"
#include "app/main_window.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <cstdio>
#include <string>

namespace {

#ifndef HOURVANE_BENCH_ENTRIES
#define HOURVANE_BENCH_ENTRIES 100000
#endif
constexpr int kEntries = HOURVANE_BENCH_ENTRIES;
#ifdef HOURVANE_BENCH_FIRM_MIX
constexpr auto kDescriptions = hv::bench::Descriptions::FirmMix;
#else
constexpr auto kDescriptions = hv::bench::Descriptions::EachOwn;
#endif

QString g_databasePath;

// Resident memory of the process in kilobytes.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Processor time of this thread in milliseconds: the checks that follow the
// window run on threads of their own.
double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::unique_ptr<hv::Form1> g_window;

hv::Form1& window()
{
    if (!g_window)
        g_window = hv::bench::startedWindow();
    return *g_window;
}

// Reference: every row of the stored query read with the raw SQLite API.
void BM_RawQueryRead(benchmark::State& state)
{
    hv::bench::rawListRead(state, g_databasePath, kEntries);
}
BENCHMARK(BM_RawQueryRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ListData(benchmark::State& state)
{
    hv::Form1& form = window();
    for (auto _ : state) {
        form.ListData();
        form.session().ready({.wholeList = true});
    }
    if (form.listModel()->rowCount() != kEntries)
        state.SkipWithError("the list does not show every entry");
}
BENCHMARK(BM_ListData)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Each click reverses the order of the column, so every iteration is a full sort.
void BM_HeaderClickSort(benchmark::State& state)
{
    hv::Form1& form = window();
    for (auto _ : state)
        form.ListView1_ColumnClick(static_cast<int>(state.range(0)));
}
BENCHMARK(BM_HeaderClickSort)->DenseRange(1, 6)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    const hv::bench::BenchFolders folders;
    QApplication app(argc, argv);
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    // 6 work codes (every other one billable) and the entries.
    g_databasePath = hv::bench::makeLiveDatabase(folders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    // A firm's mix over ten years, as the start-up benchmark reads it too.
    const bool firmMix = kDescriptions == hv::bench::Descriptions::FirmMix;
    const int days = firmMix ? 3652 : 730;
    if (!hv::bench::copyCachedDatabase(
            QStringLiteral("%1-%2").arg(firmMix ? QStringLiteral("firm") : QStringLiteral("each")).arg(kEntries),
            QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR),
            [days](const QString& file) {
                hv::bench::writeEntries(file, kEntries, 6, [](int w) { return w % 2 == 1; }, kDescriptions, days);
            },
            g_databasePath)) {
        std::fprintf(stderr, "The database could not be made.\n");
        return 1;
    }

    // Start-up fills the list once; then the first click on each column
    // sorts texts the list has never sorted before.
    const long before = residentKb();
    const double startCpu = cpuMs();
    g_window = hv::bench::loadedWindow();
    g_window->session().ready({.wholeList = true});
    const double firstFill = cpuMs() - startCpu;
    g_window->session().ready({.backupDone = true});
    hv::Form1& form = window();
    const long filled = residentKb();
    // The window stands idle a moment before a person clicks, and the texts'
    // sort keys are made meanwhile, a slice at a time, as the event loop
    // makes them.
    const double idleAt = cpuMs();
    double longestSlice = 0;
    for (bool done = false; !done;) {
        const double sliceAt = cpuMs();
        done = form.listModel()->prepareSorts(hv::WorkHoursModel::kSortTextsASlice);
        longestSlice = std::max(longestSlice, cpuMs() - sliceAt);
    }
    const double idleKeys = cpuMs() - idleAt;
    double firstSorts[6];
    for (int position = 1; position <= 6; ++position) {
        const double at = cpuMs();
        form.ListView1_ColumnClick(position);
        firstSorts[position - 1] = cpuMs() - at;
    }

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Ratios of processor time, steadier than wall time on a shared machine.
    const auto time = [&](const std::string& name) { return reporter.cpuTime(name); };
    const double raw = time("BM_RawQueryRead/min_time:2.000");
    const double fill = time("BM_ListData/min_time:2.000");
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\n%d entries, processor time\n", kEntries);
    std::printf("ListData / raw query read: %.2f (target at most 1.2 at a million)\n", ratio(fill, raw));
    std::printf("First fill at start-up / raw query read: %.2f\n", ratio(firstFill, raw));
    for (int position = 1; position <= 6; ++position) {
        const std::string name = "BM_HeaderClickSort/" + std::to_string(position) + "/min_time:1.000";
        std::printf("Header click sort of column %d / ListData: %.3f, first click: %.3f (target at most 0.3)\n",
                    position, ratio(time(name), fill), ratio(firstSorts[position - 1], fill));
    }
    std::printf("Sort keys made while the window is idle after the fill / ListData: %.3f, the longest slice %.1f ms\n",
                ratio(idleKeys, fill), longestSlice);
    std::printf("Memory of the filled list (start-up with %d entries): %.1f MB resident\n", kEntries,
                (filled - before) / 1024.0);

    g_window.reset();
    hv::SharedConnection::release();
    return 0;
}
