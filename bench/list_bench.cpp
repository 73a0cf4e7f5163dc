// The work-hours list over 100,000 entries: the fill (ListData) against reading
// the same stored query row by row with the raw SQLite API, and a header-click
// sort against the fill. Prints the ratios and the memory the filled list holds.
#include "bench_database.h"
#include "ratio_reporter.h"
#include "raw_list_read.h"
#include "app/file_system.h"
#include "app/main_window.h"
#include "app/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/component_factory.h"
#include "data/connection.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kEntries = 100000;

QTemporaryDir* g_dataHome = nullptr;

QString databasePath()
{
    return g_dataHome->path() + QStringLiteral("/Harrowfen/Hourvane/dbData.mdb");
}

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

// 6 work codes (every other one billable) and kEntries entries, written
// straight into the template copy.
void fillDatabase()
{
    QDir().mkpath(g_dataHome->path() + QStringLiteral("/Harrowfen/Hourvane"));
    QFile::copy(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/dbBlank.mdb"), databasePath());
    QFile::setPermissions(databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    hv::bench::writeEntries(databasePath(), kEntries, 6, [](int w) { return w % 2 == 1; });
}

hv::Form1* g_window = nullptr;

hv::Form1& window()
{
    if (!g_window) {
        hv::Form1::Environment env;
        env.random = [] { return 0.5; };
        env.openPage = [](const QString&) {};
        env.endProgram = [] {};
        g_window = new hv::Form1(env);
        g_window->Form_Load();
    }
    return *g_window;
}

// Reference: every row of the stored query read with the raw SQLite API.
void BM_RawQueryRead(benchmark::State& state)
{
    hv::bench::rawListRead(state, databasePath(), kEntries);
}
BENCHMARK(BM_RawQueryRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ListData(benchmark::State& state)
{
    hv::Form1& form = window();
    for (auto _ : state)
        form.ListData();
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
BENCHMARK(BM_HeaderClickSort)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dataHome;
    QTemporaryDir configHome;
    g_dataHome = &dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    fillDatabase();

    const long before = residentKb();
    window();  // start-up fills the list once
    const long filled = residentKb();

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto time = [&](const char* name) { return reporter.time(name); };
    const double raw = time("BM_RawQueryRead/min_time:2.000");
    const double fill = time("BM_ListData/min_time:2.000");
    std::printf("\nListData / raw query read: %.2f (target at most 2)\n", raw > 0 ? fill / raw : 0.0);
    for (const char* sort : {"BM_HeaderClickSort/2/min_time:2.000", "BM_HeaderClickSort/3/min_time:2.000",
                             "BM_HeaderClickSort/6/min_time:2.000"})
        std::printf("%s / ListData: %.2f (target at most 1)\n", sort, fill > 0 ? time(sort) / fill : 0.0);
    std::printf("Memory of the filled list (start-up with %d entries): %.1f MB resident\n", kEntries,
                (filled - before) / 1024.0);

    delete g_window;
    hv::SharedConnection::release();
    return 0;
}
