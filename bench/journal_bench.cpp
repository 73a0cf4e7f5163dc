// A write with its record in the journal of changes against the same write
// without it, on the local file and on a PostgreSQL server: an entry edited,
// and an entry added, each through the program's connection as the windows
// write. Without it: on a copy of the database whose journal triggers are
// dropped, and (on the local file) a connection that leaves the recording of
// its writes to those triggers. Starts a
// private server with scripts/test_server.sh unless HOURVANE_TEST_SERVER
// names one; without a server only the local file is measured.
#include "databases/bench_database.h"
#include "bench/private_server.h"
#include "bench/ratio_reporter.h"
#include "data/connection.h"
#include "data/postgres/copy.h"
#include "data/postgres/handles.h"
#include "data/sqlite/journal.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kEntries = 10000;

// The connections, by engine and whether the journal records.
std::unique_ptr<hv::data::Connection> g_connections[2][2];

hv::data::Connection& connection(bool server, bool journal)
{
    return *g_connections[server][journal];
}

void edit(benchmark::State& state, bool server, bool journal)
{
    if (!g_connections[server][journal]) {
        state.SkipWithError("no database server");
        return;
    }
    hv::data::Connection& db = connection(server, journal);
    int i = 0;
    for (auto _ : state) {
        ++i;
        db.Execute(QStringLiteral("update [Work Hours] set Hours = %1, [Work Description] = 'Edited %2' where ID = %3")
                       .arg(i % 16 * 0.25)
                       .arg(i)
                       .arg(i % kEntries + 1));
    }
}

void add(benchmark::State& state, bool server, bool journal)
{
    if (!g_connections[server][journal]) {
        state.SkipWithError("no database server");
        return;
    }
    hv::data::Connection& db = connection(server, journal);
    for (auto _ : state) {
        db.Execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work "
                                  "Description]) values (3,'2026-03-05',2,7.5,'Support call')"));
    }
}

void BM_EditEntryLocalPlain(benchmark::State& state) { edit(state, false, false); }
void BM_EditEntryLocalJournal(benchmark::State& state) { edit(state, false, true); }
void BM_AddEntryLocalPlain(benchmark::State& state) { add(state, false, false); }
void BM_AddEntryLocalJournal(benchmark::State& state) { add(state, false, true); }
void BM_EditEntryServerPlain(benchmark::State& state) { edit(state, true, false); }
void BM_EditEntryServerJournal(benchmark::State& state) { edit(state, true, true); }
void BM_AddEntryServerPlain(benchmark::State& state) { add(state, true, false); }
void BM_AddEntryServerJournal(benchmark::State& state) { add(state, true, true); }
// Each pair runs side by side, so that a machine busy with other work slows both alike.
BENCHMARK(BM_EditEntryLocalPlain)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_EditEntryLocalJournal)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AddEntryLocalPlain)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AddEntryLocalJournal)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_EditEntryServerPlain)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_EditEntryServerJournal)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AddEntryServerPlain)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AddEntryServerJournal)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// Runs the bench's own SQL on the server, past the program's checks.
void onServer(const QString& address, const QByteArray& sql)
{
    const hv::data::ServerConnectionHandle connection(PQconnectdb(address.toUtf8().constData()));
    PQclear(PQexec(connection.get(), ("SET client_min_messages = warning; " + sql).constData()));
}

QString localConnectionString(const QString& path)
{
    return QStringLiteral("data source=") + hv::data::Connection::quoted(path);
}

}  // namespace

int main(int argc, char** argv)
{
    const hv::bench::BenchFolders folders;
    const hv::bench::BenchFolders plainFolders;
    QCoreApplication app(argc, argv);
    const QString journalFile = hv::bench::makeLiveDatabase(folders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    const QString plainFile = hv::bench::makeLiveDatabase(plainFolders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    for (const QString& file : {journalFile, plainFile})
        hv::bench::writeEntries(file, kEntries, 6, [](int w) { return w % 2 == 1; });
    {
        // The copy without the journal: its triggers dropped.
        sqlite3* db = nullptr;
        sqlite3_open(plainFile.toUtf8().constData(), &db);
        for (const char* table : {"Employees", "Work Codes", "Work Hours"}) {
            for (const char* what : {"added", "edited", "renumbered", "deleted"}) {
                const QByteArray sql = QByteArray("DROP TRIGGER \"") + table + ' ' + what + " (journal)\"";
                sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
            }
        }
        sqlite3_close(db);
    }
    g_connections[0][1] = std::make_unique<hv::data::Connection>();
    g_connections[0][1]->Open(localConnectionString(journalFile));
    hv::data::SqliteJournal::setUpdateHookUsed(false);
    g_connections[0][0] = std::make_unique<hv::data::Connection>();
    g_connections[0][0]->Open(localConnectionString(plainFile));
    hv::data::SqliteJournal::setUpdateHookUsed(true);

    hv::bench::PrivateServer server(QStringLiteral(HOURVANE_BENCH_SERVER_SCRIPT));
    QStringList schemas;
    const QString base = server.start() ? qEnvironmentVariable("HOURVANE_TEST_SERVER") : QString();
    if (!base.isEmpty()) {
        for (const bool journal : {false, true}) {
            const QString schema = QStringLiteral("hv_journal_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(journal);
            onServer(base, "CREATE SCHEMA " + schema.toUtf8());
            schemas << schema;
            const QString address = base + QStringLiteral("&options=-c%20search_path%3D") + schema;
            try {
                hv::data::ServerCopy::copy(localConnectionString(journalFile), address);
            } catch (const std::exception& failure) {
                std::fprintf(stderr, "cannot copy the entries to the server: %s\n", failure.what());
                continue;
            }
            if (!journal) {
                onServer(address, "SET search_path = " + schema.toUtf8()
                                      + "; DROP TRIGGER \"Employees journal\" ON \"Employees\"; DROP TRIGGER \"Work "
                                        "Codes journal\" ON \"Work Codes\"; DROP TRIGGER \"Work Hours journal\" ON "
                                        "\"Work Hours\"");
            }
            onServer(address, "SET search_path = " + schema.toUtf8() + "; VACUUM ANALYZE");
            g_connections[1][journal] = std::make_unique<hv::data::Connection>();
            g_connections[1][journal]->Open(address);
        }
    }

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // In real time, and for the local file (where all the work is the
    // program's) in processor time too, which a busy machine disturbs less.
    const auto ratio = [&](const char* write, const char* engine, bool processor) {
        const std::string suffix = "/min_time:2.000/real_time";
        const std::string name = std::string("BM_") + write + engine;
        const auto time = [&](const std::string& benchmark) {
            return processor ? reporter.cpuTime(benchmark + suffix) : reporter.time(benchmark + suffix);
        };
        const double plain = time(name + "Plain");
        return plain > 0 ? time(name + "Journal") / plain : 0.0;
    };
    std::printf("\nA write with its journal record / the same write without (target at most 1.3):\n");
    std::printf("Local: edit an entry %.2f (processor time %.2f), add an entry %.2f (%.2f)\n",
                ratio("EditEntry", "Local", false), ratio("EditEntry", "Local", true),
                ratio("AddEntry", "Local", false), ratio("AddEntry", "Local", true));
    std::printf("Server: edit an entry %.2f, add an entry %.2f\n", ratio("EditEntry", "Server", false),
                ratio("AddEntry", "Server", false));

    for (auto& engine : g_connections) {
        for (auto& one : engine)
            one.reset();
    }
    for (const QString& schema : schemas)
        onServer(base, "DROP SCHEMA " + schema.toUtf8() + " CASCADE");
    return 0;
}
