// Rows going to a PostgreSQL server on this machine in bulk, against psql's
// \copy of the same rows into the same tables in one transaction, measured in
// the same run:
//   - --copy-to-server of a local database of 100,000 entries (the tables
//     made and every row copied, their triggers held off), against psql
//     sending the same statements around the same rows;
//   - --import of the old-format file of 100,000 entries into the tables on
//     the server (recorded in the journal as one change), against psql
//     copying the rows that import gives into the same tables, recorded alike.
// Prints each ratio (target at most 1.5). Starts a private server with
// scripts/test_server.sh unless HOURVANE_TEST_SERVER names one.
//
// hourvane_bench_server_copy [OLD_FILE] [benchmark options]
#include "databases/bench_database.h"
#include "bench/private_server.h"
#include "bench/ratio_reporter.h"
#include "data/connection.h"
#include "data/postgres/copy.h"
#include "data/postgres/handles.h"
#include "data/postgres/schema.h"
#include "data/postgres/session.h"
#include "import/old_database_importer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>

namespace {

constexpr int kEntries = 100000;
const char* const kTables[] = {"Employees", "Work Codes", "Work Hours"};

QString g_base;
QString g_localDatabase;
QString g_oldFile;
QTemporaryDir* g_work = nullptr;
int g_schemas = 0;
// The psql scripts of the two references.
QString g_newDatabaseScript;
QString g_journaledScript;

// Runs the bench's own SQL on the server, past the program's checks.
bool onServer(const QString& address, const QByteArray& sql)
{
    const hv::data::ServerConnectionHandle connection(PQconnectdb(address.toUtf8().constData()));
    const hv::data::ServerResultHandle result(
        PQexec(connection.get(), ("SET client_min_messages = warning; " + sql).constData()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.constData(), PQresultErrorMessage(result.get()));
        return false;
    }
    return true;
}

// An empty schema of its own, dropped with the object.
class Schema {
public:
    Schema() : m_name(QStringLiteral("hv_copy_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_schemas))
    {
        onServer(g_base, "CREATE SCHEMA " + m_name.toUtf8());
    }
    ~Schema() { onServer(g_base, "DROP SCHEMA " + m_name.toUtf8() + " CASCADE"); }
    Schema(const Schema&) = delete;
    Schema& operator=(const Schema&) = delete;

    QString address() const { return g_base + QStringLiteral("&options=-c%20search_path%3D") + m_name; }
    void createTables() const
    {
        hv::data::PostgresSession session(address(), false);
        hv::data::ServerSchema::create(session);
    }

private:
    QString m_name;
};

QString localConnectionString()
{
    return QStringLiteral("data source=") + hv::data::Connection::quoted(g_localDatabase);
}

bool psql(const QString& address, const QString& scriptFile)
{
    QProcess process;
    process.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-1"),
                                           QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                           QStringLiteral("-d"), address, QStringLiteral("-f"), scriptFile});
    process.waitForFinished(600000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "psql: %s\n", process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The rows of the three tables as the server writes them (COPY TO), one file each.
bool saveRows(const QString& address, const QString& prefix)
{
    QFile script(g_work->filePath(prefix + QStringLiteral("-out.sql")));
    if (!script.open(QIODevice::WriteOnly))
        return false;
    for (const char* table : kTables)
        script.write(QStringLiteral("\\copy \"%1\" to '%2'\n")
                         .arg(QLatin1String(table), g_work->filePath(prefix + u'-' + QLatin1String(table)))
                         .toUtf8());
    script.close();
    return psql(address, script.fileName());
}

// A psql script that copies the saved rows in, between `before` and `after`.
QString copyScript(const QString& prefix, const QByteArray& before, const QByteArray& after = {})
{
    const QString path = g_work->filePath(prefix + QStringLiteral("-in.sql"));
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write(before);
    for (const char* table : kTables)
        script.write(QStringLiteral("\\copy \"%1\" from '%2'\n")
                         .arg(QLatin1String(table), g_work->filePath(prefix + u'-' + QLatin1String(table)))
                         .toUtf8());
    script.write(after);
    return path;
}

// Times `work` once per iteration, each time in a fresh schema (with the
// program's tables when `withTables`), made and dropped outside the timing.
void inFreshSchemas(benchmark::State& state, bool withTables, const std::function<bool(const Schema&)>& work)
{
    for (auto _ : state) {
        state.PauseTiming();
        {
            const Schema schema;
            if (withTables)
                schema.createTables();
            state.ResumeTiming();
            const bool done = work(schema);
            state.PauseTiming();
            if (!done)
                state.SkipWithError("not every row arrived");
        }
        state.ResumeTiming();
    }
}

void BM_PsqlCopyIntoNewTables(benchmark::State& state)
{
    inFreshSchemas(state, false, [](const Schema& schema) { return psql(schema.address(), g_newDatabaseScript); });
}
BENCHMARK(BM_PsqlCopyIntoNewTables)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_CopyToServer(benchmark::State& state)
{
    inFreshSchemas(state, false, [](const Schema& schema) {
        return hv::data::ServerCopy::copy(localConnectionString(), schema.address()) >= kEntries;
    });
}
BENCHMARK(BM_CopyToServer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_PsqlCopyJournaled(benchmark::State& state)
{
    inFreshSchemas(state, true, [](const Schema& schema) { return psql(schema.address(), g_journaledScript); });
}
BENCHMARK(BM_PsqlCopyJournaled)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The connection is opened inside the timing: the import's own work begins
// with reading the file, and an open costs a few milliseconds of 100,000 rows.
void BM_ImportToServer(benchmark::State& state)
{
    if (g_oldFile.isEmpty()) {
        state.SkipWithError("no old-format file of 100,000 entries");
        return;
    }
    inFreshSchemas(state, true, [](const Schema& schema) {
        hv::data::Connection connection;
        connection.Open(schema.address());
        return hv::import::OldDatabaseImporter(connection).importFile(g_oldFile).entries == kEntries;
    });
}
BENCHMARK(BM_ImportToServer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    const hv::bench::BenchFolders folders;
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    g_work = &work;
    g_oldFile = argc > 1 && argv[1][0] != '-' ? QString::fromLocal8Bit(argv[1])
                                              : qEnvironmentVariable("HOURVANE_OLD_DATABASE",
                                                                     QStringLiteral(HOURVANE_BENCH_OLD_FILE));
    if (!QFile::exists(g_oldFile))
        g_oldFile.clear();
    hv::bench::PrivateServer server(QStringLiteral(HOURVANE_BENCH_SERVER_SCRIPT));
    if (!server.start())
        return 1;
    g_base = qEnvironmentVariable("HOURVANE_TEST_SERVER");
    g_localDatabase = hv::bench::makeLiveDatabase(folders.dataHome(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::bench::writeEntries(g_localDatabase, kEntries, 6, [](int w) { return w % 2 == 1; });

    // The rows each reference copies: those the program's copy and import put there.
    try {
        const Schema copied;
        hv::data::ServerCopy::copy(localConnectionString(), copied.address());
        if (!saveRows(copied.address(), QStringLiteral("copied")))
            return 1;
        if (!g_oldFile.isEmpty()) {
            const Schema imported;
            imported.createTables();
            hv::data::Connection connection;
            connection.Open(imported.address());
            hv::import::OldDatabaseImporter(connection).importFile(g_oldFile);
            if (!saveRows(imported.address(), QStringLiteral("imported")))
                return 1;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "cannot put the rows on the server: %s\n", failure.what());
        return 1;
    }
    // The same statements around the rows as the program's copy sends.
    g_newDatabaseScript = copyScript(QStringLiteral("copied"),
                                     hv::data::ServerSchema::script()
                                         + "\nALTER TABLE \"Employees\" DISABLE TRIGGER USER;\n"
                                           "ALTER TABLE \"Work Codes\" DISABLE TRIGGER USER;\n"
                                           "ALTER TABLE \"Work Hours\" DISABLE TRIGGER USER;\n",
                                     "ALTER TABLE \"Employees\" ENABLE TRIGGER USER;\n"
                                     "ALTER TABLE \"Work Codes\" ENABLE TRIGGER USER;\n"
                                     "ALTER TABLE \"Work Hours\" ENABLE TRIGGER USER;\n");
    g_journaledScript = copyScript(QStringLiteral("imported"),
                                   "SET LOCAL hourvane.keep_orphans = 'on';\n"
                                   "SELECT set_config('hourvane.description', 'Import', true) \\gset\n");

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Each measured against its reference (0 when either did not run).
    const auto against = [&](const char* measured, const char* reference) {
        const double base = reporter.time(reference);
        return base > 0 ? reporter.time(measured) / base : 0.0;
    };
    const char* const psqlNew = "BM_PsqlCopyIntoNewTables/iterations:5/real_time";
    const char* const copy = "BM_CopyToServer/iterations:5/real_time";
    const char* const psqlJournaled = "BM_PsqlCopyJournaled/iterations:5/real_time";
    const char* const import = "BM_ImportToServer/iterations:5/real_time";
    std::printf("\n%d entries, wall time: psql \\copy into new tables %.0f ms, --copy-to-server %.0f ms; psql "
                "\\copy journaled %.0f ms, --import %.0f ms\n",
                kEntries, reporter.time(psqlNew), reporter.time(copy), reporter.time(psqlJournaled),
                reporter.time(import));
    std::printf("--copy-to-server / psql \\copy: %.2f (target at most 1.5)\n", against(copy, psqlNew));
    std::printf("--import into a server / psql \\copy: %.2f (target at most 1.5; the import also reads the "
                "old-format file)\n",
                against(import, psqlJournaled));
    return 0;
}
