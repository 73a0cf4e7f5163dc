// The spreadsheet exports of 100,000 entries against the CSV exports of the
// same rows: every entry as --export writes it, and a report with totals as
// its preview writes it. Prints the ratios.
#include "databases/bench_database.h"
#include "bench/ratio_reporter.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "reports/engine/entries_export.h"
#include "reports/engine/report_csv.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_options.h"
#include "reports/engine/report_rows.h"
#include "reports/engine/report_table.h"
#include "reports/engine/report_xlsx.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kEntries = 100000;

QTemporaryDir* g_dir = nullptr;
hv::data::Connection* g_connection = nullptr;

QString pathOf(const char* name)
{
    return g_dir->filePath(QString::fromLatin1(name));
}

void exportEntries(benchmark::State& state, hv::reports::EntriesExport::Format format, const char* file)
{
    qint64 rows = 0;
    for (auto _ : state) {
        QFile out(pathOf(file));
        out.open(QIODevice::WriteOnly);
        rows = hv::reports::EntriesExport::write(*g_connection, out, format);
    }
    if (rows != kEntries)
        state.SkipWithError("not every entry was exported");
    state.counters["bytes"] = static_cast<double>(QFile(pathOf(file)).size());
}

void BM_EntriesCsv(benchmark::State& state)
{
    exportEntries(state, hv::reports::EntriesExport::Format::Csv, "entries.csv");
}
BENCHMARK(BM_EntriesCsv)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_EntriesXlsx(benchmark::State& state)
{
    exportEntries(state, hv::reports::EntriesExport::Format::Xlsx, "entries.xlsx");
}
BENCHMARK(BM_EntriesXlsx)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The report by employee over every entry, with totals, read once.
struct PreparedReport {
    const hv::reports::ReportLayout& layout = hv::reports::rptBillableHoursByEmployee();
    hv::reports::ReportRows rows;
    std::unique_ptr<hv::reports::ReportLines> lines;
    hv::reports::ReportOptions options;

    PreparedReport()
    {
        hv::data::Recordset rs;
        rs.Open(QStringLiteral("select * from [Billable Hours] order by [Employee Name]"), *g_connection);
        rows = hv::reports::ReportRows::read(rs, layout);
        rs.Close();
        options.totals = true;
        lines = std::make_unique<hv::reports::ReportLines>(rows, layout, options);
    }
};

PreparedReport& prepared()
{
    static PreparedReport report;
    return report;
}

template <typename Write>
void exportReport(benchmark::State& state, const char* file, Write write)
{
    PreparedReport& report = prepared();
    for (auto _ : state) {
        QFile out(pathOf(file));
        out.open(QIODevice::WriteOnly);
        write(out, hv::reports::ReportTable(*report.lines, report.layout, true, {}), {});
    }
    state.counters["lines"] = report.lines->count();
}

void BM_ReportCsv(benchmark::State& state)
{
    exportReport(state, "report.csv", hv::reports::writeReportCsv);
}
BENCHMARK(BM_ReportCsv)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ReportXlsx(benchmark::State& state)
{
    exportReport(state, "report.xlsx", hv::reports::writeReportXlsx);
}
BENCHMARK(BM_ReportXlsx)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    const QString database = dir.filePath(QStringLiteral("dbData.mdb"));
    QFile::copy(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/dbBlank.mdb"), database);
    QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Every work code billable, so that the report holds every entry.
    hv::bench::writeEntries(database, kEntries, 4, [](int) { return true; });
    std::unique_ptr<hv::data::Connection> connection = hv::data::ComponentFactory::createConnection();
    connection->Open(QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + database
                     + QStringLiteral(";JET OLEDB:Database Password="));
    g_connection = connection.get();

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ratio = [&](const char* slow, const char* fast) {
        const double reference = reporter.cpuTime(fast);
        return reference > 0 ? reporter.cpuTime(slow) / reference : 0.0;
    };
    std::printf("\n--export .xlsx / .csv over %d entries: %.2f (target at most 3)\n", kEntries,
                ratio("BM_EntriesXlsx/min_time:3.000", "BM_EntriesCsv/min_time:3.000"));
    std::printf("report .xlsx / .csv with totals over %d entries: %.2f (target at most 3)\n", kEntries,
                ratio("BM_ReportXlsx/min_time:3.000", "BM_ReportCsv/min_time:3.000"));
    connection->Close();
    return 0;
}
