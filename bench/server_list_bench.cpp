// The work-hours list over 100,000 entries on a PostgreSQL server on this
// machine: the fill (ListData) against reading the same stored query with
// raw libpq in one result, every column taken as text, in the same run; the
// same pair on the local file beside it. Starts a private server of its own
// with scripts/test_server.sh (as the tests do) unless HOURVANE_TEST_SERVER
// names one.
#include "databases/bench_database.h"
#include "bench/bench_window.h"
#include "bench/private_server.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_list_read.h"
#include "database/database_choice.h"
#include "core/file_system.h"
#include "app/main_window.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/connection.h"
#include "data/postgres/handles.h"
#include "data/postgres/copy.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kEntries = 100000;

QString g_databasePath;
QString g_serverAddress;
std::unique_ptr<hv::Form1> g_window;
bool g_windowOnServer = false;

// A main window whose start-up has run on the server database or on the file.
hv::Form1& window(bool onServer)
{
    if (!g_window || g_windowOnServer != onServer) {
        g_window.reset();
        hv::SharedConnection::release();
        if (onServer)
            hv::database::DatabaseChoice::chooseServer(g_serverAddress);
        else
            hv::database::DatabaseChoice::chooseLocal();
        g_window = hv::bench::startedWindow();
        g_windowOnServer = onServer;
    }
    return *g_window;
}

void fill(benchmark::State& state, bool onServer)
{
    hv::Form1& form = window(onServer);
    for (auto _ : state) {
        form.ListData();
        form.session().ready({.wholeList = true});
    }
    if (form.listModel()->rowCount() != kEntries)
        state.SkipWithError("the list does not show every entry");
}

// Reference: every row of the stored query in one result of raw libpq.
void BM_RawLibpqRead(benchmark::State& state)
{
    const hv::data::ServerConnectionHandle connection(PQconnectdb(g_serverAddress.toUtf8().constData()));
    for (auto _ : state) {
        const hv::data::ServerResultHandle result(PQexec(connection.get(), "SELECT * FROM \"Work Hours Extended\""));
        std::size_t bytes = 0;
        const int rows = PQntuples(result.get());
        for (int row = 0; row < rows; ++row) {
            for (int c = 0; c < 6; ++c)
                bytes += static_cast<std::size_t>(PQgetlength(result.get(), row, c)) + (PQgetvalue(result.get(), row, c)[0] != 0);
        }
        benchmark::DoNotOptimize(bytes);
        if (rows != kEntries)
            state.SkipWithError("the query did not yield every entry");
    }
}
BENCHMARK(BM_RawLibpqRead)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void BM_ListDataServer(benchmark::State& state)
{
    fill(state, true);
}
BENCHMARK(BM_ListDataServer)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void BM_RawSqliteRead(benchmark::State& state)
{
    hv::bench::rawListRead(state, g_databasePath, kEntries);
}
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ListDataLocal(benchmark::State& state)
{
    fill(state, false);
}
BENCHMARK(BM_ListDataLocal)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    const hv::bench::BenchFolders folders;
    QApplication app(argc, argv);
    hv::bench::PrivateServer server(QStringLiteral(HOURVANE_BENCH_SERVER_SCRIPT));
    if (!server.start())
        return 1;
    hv::fs::setProgramFolder(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    g_databasePath = hv::bench::makeLiveDatabase(folders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::bench::writeEntries(g_databasePath, kEntries, 6, [](int w) { return w % 2 == 1; });

    // The same entries on the server, in a schema of the bench's own.
    const QString base = qEnvironmentVariable("HOURVANE_TEST_SERVER");
    const QString schema = QStringLiteral("hv_bench_%1").arg(QCoreApplication::applicationPid());
    const auto admin = [&](const QByteArray& sql) {
        const hv::data::ServerConnectionHandle connection(PQconnectdb(base.toUtf8().constData()));
        PQclear(PQexec(connection.get(), ("SET client_min_messages = warning; " + sql).constData()));
    };
    admin("CREATE SCHEMA " + schema.toUtf8());
    g_serverAddress = base + QStringLiteral("&options=-c%20search_path%3D") + schema;
    try {
        hv::data::ServerCopy::copy(QStringLiteral("data source=") + hv::data::Connection::quoted(g_databasePath),
                                   g_serverAddress);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "cannot copy the entries to the server: %s\n", failure.what());
        admin("DROP SCHEMA " + schema.toUtf8() + " CASCADE");
        return 1;
    }
    admin("VACUUM ANALYZE");

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto time = [&](const char* name) { return reporter.time(name); };
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    const double rawServer = time("BM_RawLibpqRead/min_time:3.000/real_time");
    const double fillServer = time("BM_ListDataServer/min_time:3.000/real_time");
    const double rawLocal = time("BM_RawSqliteRead/min_time:2.000/real_time");
    const double fillLocal = time("BM_ListDataLocal/min_time:2.000/real_time");
    std::printf("\n%d entries, wall time: raw libpq %.1f ms, ListData on the server %.1f ms, raw SQLite %.1f ms, "
                "ListData on the file %.1f ms\n",
                kEntries, rawServer, fillServer, rawLocal, fillLocal);
    std::printf("Server: ListData / raw libpq read: %.2f (target at most 1.5)\n", ratio(fillServer, rawServer));
    std::printf("Local file: ListData / raw SQLite read: %.2f\n", ratio(fillLocal, rawLocal));
    std::printf("ListData on the server / ListData on the local file: %.2f\n", ratio(fillServer, fillLocal));

    g_window.reset();
    hv::SharedConnection::release();
    admin("DROP SCHEMA " + schema.toUtf8() + " CASCADE");
    return 0;
}
