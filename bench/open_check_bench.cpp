// The check of the database at opening, over 100,000 and 1,000,000 entries:
// an open with the quick check (every start) and with the full check (the
// first start of a day and after an unclean end), each against reading the
// list's stored query row by row with the raw SQLite API on the same file.
// Prints the ratios.
#include "databases/bench_database.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_list_read.h"
#include "data/connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using PageCheck = hv::data::PageCheck;

constexpr int kSizes[] = {100000, 1000000};

QTemporaryDir* g_folder = nullptr;

QString databasePath(int entries)
{
    return g_folder->path() + QStringLiteral("/entries-%1.mdb").arg(entries);
}

void makeDatabase(int entries)
{
    const QString path = databasePath(entries);
    QFile::copy(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/dbBlank.mdb"), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    hv::bench::writeEntries(path, entries, 6, [](int w) { return w % 2 == 1; });
}

// Reference: every row of the list's query read with the raw SQLite API.
void BM_RawQueryRead(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    hv::bench::rawListRead(state, databasePath(entries), entries);
}

void openAndClose(benchmark::State& state, PageCheck depth)
{
    const QString connectionString =
        QStringLiteral("data source=") + hv::data::Connection::quoted(databasePath(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        hv::data::Connection connection;
        connection.Open(connectionString, depth);
        if (connection.isReadOnly())
            state.SkipWithError("the database was found damaged");
        connection.Close();
    }
}

void BM_OpenQuickCheck(benchmark::State& state)
{
    openAndClose(state, PageCheck::Quick);
}

void BM_OpenFullCheck(benchmark::State& state)
{
    openAndClose(state, PageCheck::Full);
}

BENCHMARK(BM_RawQueryRead)->Arg(kSizes[0])->Arg(kSizes[1])->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_OpenQuickCheck)->Arg(kSizes[0])->Arg(kSizes[1])->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_OpenFullCheck)->Arg(kSizes[0])->Arg(kSizes[1])->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    g_folder = &folder;
    for (const int entries : kSizes)
        makeDatabase(entries);

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n");
    for (const int entries : kSizes) {
        const auto time = [&](const char* name) {
            return reporter.time(std::string(name) + "/" + std::to_string(entries) + "/min_time:1.000");
        };
        const double raw = time("BM_RawQueryRead");
        if (raw <= 0)
            continue;
        std::printf("%d entries: open with the quick check / raw list read: %.2f (target at most 0.5, every start)\n",
                    entries, time("BM_OpenQuickCheck") / raw);
        std::printf("%d entries: open with the full check / raw list read: %.2f (once a day, after an unclean end)\n",
                    entries, time("BM_OpenFullCheck") / raw);
    }
    return 0;
}
