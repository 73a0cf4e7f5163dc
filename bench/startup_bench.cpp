// Start-up of the real program (the hourvane executable, headless) on a data
// folder whose database holds a million entries, against start-up on an empty
// database in the same run: the time to the shown main window, and the
// program's resident memory once the shown window has settled with the list
// filled. The program says when its window is shown through its start-up
// diagnostics (Qt logging category "hourvane.startup").
#include "databases/bench_database.h"
#include "bench/ratio_reporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kManyEntries = 1000000;

struct DataFolders {
    QTemporaryDir empty;
    QTemporaryDir many;
};
DataFolders* g_folders = nullptr;

// A line of /proc/<pid>/status in kilobytes ("VmRSS", "VmHWM").
long statusKb(qint64 pid, const char* key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key)) + 1).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The processor time the process has used, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct StartUp {
    double seconds = 0;     // to the shown main window
    double cpu = 0;         // processor time to the shown main window
    double residentMb = 0;  // once the shown window has settled
    double peakMb = 0;
    bool shown = false;
};

StartUp startProgram(const QString& dataHome)
{
    QTemporaryDir configHome;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("hourvane.startup.info=true"));
    program.setProcessEnvironment(env);
    program.setReadChannel(QProcess::StandardError);

    StartUp result;
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/hourvane"), {});
    QByteArray said;
    while (program.waitForReadyRead(30000)) {
        said += program.readAllStandardError();
        if (said.contains("main window shown")) {
            result.seconds = clock.nsecsElapsed() / 1e9;
            result.cpu = cpuSeconds(program.processId());
            result.shown = true;
            break;
        }
    }
    if (result.shown) {
        // The window lays out and paints in its event loop: wait until the
        // program stops using the processor.
        double used = cpuSeconds(program.processId());
        for (int quiet = 0; quiet < 3;) {
            QThread::msleep(100);
            const double now = cpuSeconds(program.processId());
            quiet = now - used < 0.005 ? quiet + 1 : 0;
            used = now;
        }
        result.residentMb = statusKb(program.processId(), "VmRSS:") / 1024.0;
        result.peakMb = statusKb(program.processId(), "VmHWM:") / 1024.0;
    }
    program.kill();
    program.waitForFinished();
    return result;
}

std::map<std::string, StartUp> g_best;  // the fastest start of each benchmark

void BM_StartUp(benchmark::State& state)
{
    const bool many = state.range(0) != 0;
    const QString dataHome = many ? g_folders->many.path() : g_folders->empty.path();
    StartUp best;
    for (auto _ : state) {
        const StartUp run = startProgram(dataHome);
        if (!run.shown) {
            state.SkipWithError("the main window was never shown");
            break;
        }
        state.SetIterationTime(run.seconds);
        if (best.seconds == 0 || run.seconds < best.seconds)
            best = run;
        best.residentMb = std::max(best.residentMb, run.residentMb);
        best.peakMb = std::max(best.peakMb, run.peakMb);
    }
    state.counters["cpu_s"] = best.cpu;
    state.counters["rss_MB"] = best.residentMb;
    state.counters["peak_MB"] = best.peakMb;
    g_best[many ? "many" : "empty"] = best;
}
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    DataFolders folders;
    g_folders = &folders;
    hv::bench::makeLiveDatabase(folders.empty.path(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    const QString many = hv::bench::makeLiveDatabase(folders.many.path(), QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR));
    hv::bench::writeEntries(many, kManyEntries, 6, [](int w) { return w % 2 == 1; }, hv::bench::Descriptions::FirmMix);

    benchmark::Initialize(&argc, argv);
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const StartUp& empty = g_best["empty"];
    const StartUp& full = g_best["many"];
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\nStart-up to the shown main window, %d entries / empty database (fastest of each):\n", kManyEntries);
    std::printf("  wall time %.2f (%.2f s / %.2f s), processor time %.2f (%.2f s / %.2f s); goal at most 1.5\n",
                ratio(full.seconds, empty.seconds), full.seconds, empty.seconds, ratio(full.cpu, empty.cpu), full.cpu,
                empty.cpu);
    std::printf("Resident memory with the list filled: %.1f MB (peak %.1f MB); empty database %.1f MB (peak %.1f MB); "
                "target at most 150 MB\n",
                full.residentMb, full.peakMb, empty.residentMb, empty.peakMb);
    return 0;
}
