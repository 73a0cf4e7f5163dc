// The find bar over a million entries in a firm's mix of texts: choosing an
// employee, and typing a text of the description, each filters the list's
// own rows and adds up their hours; measured against the fill (ListData).
#include "databases/bench_database.h"
#include "bench/bench_window.h"
#include "bench/ratio_reporter.h"
#include "core/file_system.h"
#include "app/find_bar.h"
#include "app/main_window.h"
#include "app/work_hours_model.h"
#include "gui/shared_connection.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int kEntries = 1000000;

std::unique_ptr<hv::Form1> g_window;

hv::Form1& window()
{
    if (!g_window)
        g_window = hv::bench::startedWindow();
    return *g_window;
}

void BM_ListData(benchmark::State& state)
{
    hv::Form1& form = window();
    form.hideFindBar();
    for (auto _ : state) {
        form.ListData();
        form.session().ready({.wholeList = true});
    }
    if (form.listModel()->rowCount() != kEntries)
        state.SkipWithError("the list does not show every entry");
}
BENCHMARK(BM_ListData)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Each choice of another employee filters every row again.
void BM_FindByEmployee(benchmark::State& state)
{
    hv::Form1& form = window();
    form.showFindBar();
    const QStringList employees = form.listModel()->valuesIn(1);
    if (employees.size() < 2) {
        state.SkipWithError("the list names fewer than two employees");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        form.findBar()->choose(employees.at(next), {}, hv::reports::QuickPeriod::AllDates, {});
        next = (next + 1) % employees.size();
    }
    form.hideFindBar();
}
BENCHMARK(BM_FindByEmployee)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A text typed into the bar, a key at a time.
void BM_FindTextTyped(benchmark::State& state)
{
    hv::Form1& form = window();
    form.showFindBar();
    const QString typed = QStringLiteral("meeting");
    qsizetype length = 1;
    for (auto _ : state) {
        form.findBar()->choose({}, {}, hv::reports::QuickPeriod::AllDates, typed.left(length));
        length = length % typed.size() + 1;
    }
    form.hideFindBar();
}
BENCHMARK(BM_FindTextTyped)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    const hv::bench::BenchFolders folders;
    QApplication app(argc, argv);
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    const QString database =
        hv::bench::makeLiveDatabase(folders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::bench::writeEntries(database, kEntries, 6, [](int w) { return w % 2 == 1; },
                            hv::bench::Descriptions::FirmMix);
    window();

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto time = [&](const std::string& name) { return reporter.cpuTime(name); };
    const double fill = time("BM_ListData/min_time:2.000");
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\n%d entries, processor time\n", kEntries);
    std::printf("Find by employee / ListData: %.3f (target at most 0.1)\n",
                ratio(time("BM_FindByEmployee/min_time:2.000"), fill));
    std::printf("Find by a typed text / ListData: %.3f\n", ratio(time("BM_FindTextTyped/min_time:2.000"), fill));

    g_window.reset();
    hv::SharedConnection::release();
    return 0;
}
