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
#include "data/connection.h"
#include "data/postgres/copy.h"
#include "data/postgres/handles.h"
#include "data/sqlite/journal.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kEntries = 10000;

// The connections, by engine and whether the journal records.
std::unique_ptr<hv::data::Connection> g_connections[2][2];

// What one pair measured: the time a write took without and with its journal
// record, in real and processor time, per write.
struct PairTimes {
    double plain = 0;
    double journal = 0;
    double plainCpu = 0;
    double journalCpu = 0;
};
std::map<std::string, PairTimes> g_times;

double processorSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double realSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

QString editSql(int i)
{
    return QStringLiteral("update [Work Hours] set Hours = %1, [Work Description] = 'Edited %2' where ID = %3")
        .arg(i % 16 * 0.25)
        .arg(i)
        .arg(i % kEntries + 1);
}

QString addSql(int)
{
    return QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                          "values (3,'2026-03-05',2,7.5,'Support call')");
}

// Each iteration makes the same write once without and once with its journal
// record, in turns, so that a machine busy with other work (and a disk busy
// with others' writes) slows both alike.
void pair(benchmark::State& state, const std::string& name, bool server, QString (*sql)(int))
{
    if (!g_connections[server][0] || !g_connections[server][1]) {
        state.SkipWithError("no database server");
        return;
    }
    PairTimes times;
    // Counted across every run of the benchmark: each edit gives its row a
    // text it never had (an update to the values a row already holds writes
    // nothing to the file).
    static int i = 0;
    for (auto _ : state) {
        ++i;
        for (const bool journal : {i % 2 == 0, i % 2 != 0}) {
            const double real = realSeconds();
            const double cpu = processorSeconds();
            g_connections[server][journal]->Execute(sql(i));
            (journal ? times.journal : times.plain) += realSeconds() - real;
            (journal ? times.journalCpu : times.plainCpu) += processorSeconds() - cpu;
        }
    }
    const double writes = static_cast<double>(state.iterations());
    state.counters["plain_us"] = times.plain / writes * 1e6;
    state.counters["journal_us"] = times.journal / writes * 1e6;
    state.counters["ratio"] = times.plain > 0 ? times.journal / times.plain : 0;
    g_times[name] = times;
}

void BM_EditEntryLocal(benchmark::State& state) { pair(state, "EditLocal", false, editSql); }
void BM_AddEntryLocal(benchmark::State& state) { pair(state, "AddLocal", false, addSql); }
void BM_EditEntryServer(benchmark::State& state) { pair(state, "EditServer", true, editSql); }
void BM_AddEntryServer(benchmark::State& state) { pair(state, "AddServer", true, addSql); }
BENCHMARK(BM_EditEntryLocal)->Unit(benchmark::kMicrosecond)->MinTime(4.0)->UseRealTime();
BENCHMARK(BM_AddEntryLocal)->Unit(benchmark::kMicrosecond)->MinTime(4.0)->UseRealTime();
BENCHMARK(BM_EditEntryServer)->Unit(benchmark::kMicrosecond)->MinTime(4.0)->UseRealTime();
BENCHMARK(BM_AddEntryServer)->Unit(benchmark::kMicrosecond)->MinTime(4.0)->UseRealTime();

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
                // Every journal trigger of the three tables, whatever its form.
                onServer(address, "SET search_path = " + schema.toUtf8()
                                      + "; DO $$ DECLARE t record; BEGIN FOR t IN SELECT tgname, tgrelid::regclass AS "
                                        "rel FROM pg_trigger WHERE NOT tgisinternal AND tgname LIKE '% journal%' AND "
                                        "tgrelid = ANY (ARRAY['\"Employees\"', '\"Work Codes\"', "
                                        "'\"Work Hours\"']::regclass[]) LOOP EXECUTE format('DROP TRIGGER %I ON %s', "
                                        "t.tgname, t.rel); END LOOP; END $$");
            }
            onServer(address, "SET search_path = " + schema.toUtf8() + "; VACUUM ANALYZE");
            g_connections[1][journal] = std::make_unique<hv::data::Connection>();
            g_connections[1][journal]->Open(address);
        }
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    // In real time, and for the local file (where all the work is the
    // program's) in processor time too.
    const auto ratio = [](const char* name, bool processor) {
        const PairTimes& times = g_times[name];
        const double plain = processor ? times.plainCpu : times.plain;
        return plain > 0 ? (processor ? times.journalCpu : times.journal) / plain : 0.0;
    };
    std::printf("\nA write with its journal record / the same write without (target at most 1.3):\n");
    std::printf("Local: edit an entry %.2f (processor time %.2f), add an entry %.2f (%.2f)\n", ratio("EditLocal", false),
                ratio("EditLocal", true), ratio("AddLocal", false), ratio("AddLocal", true));
    std::printf("Server: edit an entry %.2f, add an entry %.2f\n", ratio("EditServer", false),
                ratio("AddServer", false));

    for (auto& engine : g_connections) {
        for (auto& one : engine)
            one.reset();
    }
    for (const QString& schema : schemas)
        onServer(base, "DROP SCHEMA " + schema.toUtf8() + " CASCADE");
    return 0;
}
