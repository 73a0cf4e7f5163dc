// The import of an old-format file of 100,000 entries against reading the same
// three tables with the old-format library alone (every row, every column
// bound) plus inserting the same rows with prepared statements in one
// transaction; and the daily backup of a 100,000-entry database, made as the
// program makes it after an open that checked the whole file, against a
// plain copy of its file. Prints both ratios.
//
// hourvane_bench_import [OLD_FILE] [benchmark options]
// The old-format file comes from the first argument, from the environment
// variable HOURVANE_OLD_DATABASE, or else is the one the build unpacked from
// bench/data; without one the import is skipped with a message and only the
// backup is measured.
#include "databases/bench_database.h"
#include "bench/ratio_reporter.h"
#include "import/libmdb.h"
#include "import/old_database_importer.h"
#include "backup/database_backup.h"
#include "data/connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 100000;
const char* const kTables[] = {"Employees", "Work Codes", "Work Hours"};

QString g_oldFile;
QTemporaryDir* g_work = nullptr;

QString templatePath()
{
    return QStringLiteral(HOURVANE_BENCH_PROGRAM_DIR "/dbBlank.mdb");
}

// A fresh copy of the template to import into.
QString freshDatabase()
{
    const QString path = g_work->filePath(QStringLiteral("target.mdb"));
    QFile::remove(path);
    QFile::copy(templatePath(), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

void BM_ImportOldFile(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = freshDatabase();
        hv::data::Connection connection;
        connection.Open(QStringLiteral("data source=\"%1\"").arg(target));
        state.ResumeTiming();
        const hv::import::ImportSummary summary = hv::import::OldDatabaseImporter(connection).importFile(g_oldFile);
        state.PauseTiming();
        connection.Close();
        if (summary.entries != kEntries)
            state.SkipWithError("the import did not bring every entry");
        state.ResumeTiming();
    }
}

// Reference: the library reads every row of the three tables with every
// column bound as text (dates in ISO form), and each row goes into the same
// table of the template through a prepared insert, in one transaction.
qint64 readAndInsert(const QString& oldFile, const QString& target)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(oldFile).constData(), MDB_NOFLAGS);
    mdb_set_date_fmt(mdb, "%Y-%m-%dT%H:%M:%S");
    mdb_read_catalog(mdb, MDB_TABLE);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(target).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    qint64 rows = 0;
    for (const char* name : kTables) {
        MdbTableDef* table = mdb_read_table(mdb_get_catalogentry_by_name(mdb, name));
        mdb_read_columns(table);
        mdb_rewind_table(table);
        std::vector<std::vector<char>> values(table->num_cols, std::vector<char>(mdb->bind_size + 1));
        std::vector<int> lengths(table->num_cols);
        std::string columns;
        std::string marks;
        for (unsigned int c = 0; c < table->num_cols; ++c) {
            mdb_bind_column(table, static_cast<int>(c) + 1, values[c].data(), &lengths[c]);
            const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            columns += (c ? ",\"" : "\"") + std::string(column->name) + "\"";
            marks += c ? ",?" : "?";
        }
        const std::string sql = "INSERT INTO \"" + std::string(name) + "\" (" + columns + ") VALUES (" + marks + ")";
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr);
        while (mdb_fetch_row(table)) {
            for (unsigned int c = 0; c < table->num_cols; ++c) {
                const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
                const char* text = values[c].data();
                const int position = static_cast<int>(c) + 1;
                if (column->col_type == MDB_TEXT || column->col_type == MDB_MEMO)
                    sqlite3_bind_text(insert, position, text, lengths[c], SQLITE_TRANSIENT);
                else if (lengths[c] == 0)
                    sqlite3_bind_null(insert, position);
                else if (column->col_type == MDB_BOOL)
                    sqlite3_bind_int(insert, position, text[0] == '1' ? -1 : 0);
                else if (column->col_type == MDB_DOUBLE)
                    sqlite3_bind_double(insert, position, std::strtod(text, nullptr));
                else if (column->col_type == MDB_DATETIME)
                    sqlite3_bind_text(insert, position, text, lengths[c], SQLITE_TRANSIENT);
                else
                    sqlite3_bind_int64(insert, position, std::strtoll(text, nullptr, 10));
            }
            if (sqlite3_step(insert) == SQLITE_DONE)
                ++rows;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        mdb_free_tabledef(table);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    mdb_close(mdb);
    return rows;
}

void BM_LibraryReadAndInsert(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = freshDatabase();
        state.ResumeTiming();
        const qint64 rows = readAndInsert(g_oldFile, target);
        if (rows < kEntries)
            state.SkipWithError("the reference did not insert every row");
    }
}

QString g_database;
// What the program knows of the database when its daily copy is made.
hv::backup::DatabaseBackup::Source g_source = hv::backup::DatabaseBackup::Source::Unchecked;

// The daily copy as the program makes it at the first start of a day: that
// start's open checks the whole file, so the copy needs no check of its own
// (the open is not measured here: it is the start-up's).
void BM_DailyBackup(benchmark::State& state)
{
    const QString folder = g_work->filePath(QStringLiteral("backups"));
    const QDateTime now = QDateTime::currentDateTime();
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
        if (!hv::backup::DatabaseBackup::daily(g_database, folder, now, g_source))
            state.SkipWithError("no copy was made");
    }
    state.SetLabel(g_source == hv::backup::DatabaseBackup::Source::CheckedSound ? "checked at the open"
                                                                                 : "checked after the copy");
}

// Reference: the file's bytes read and written in 1 MiB pieces, and synced,
// as a backup that can be relied on must be.
void BM_PlainFileCopy(benchmark::State& state)
{
    const QByteArray target = QFile::encodeName(g_work->filePath(QStringLiteral("plain-copy.mdb")));
    const QByteArray source = QFile::encodeName(g_database);
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        ::unlink(target.constData());
        state.ResumeTiming();
        const int in = ::open(source.constData(), O_RDONLY);
        const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ssize_t read;
        while ((read = ::read(in, buffer.data(), buffer.size())) > 0) {
            if (::write(out, buffer.data(), static_cast<size_t>(read)) != read)
                state.SkipWithError("the copy could not be written");
        }
        ::fsync(out);
        ::close(out);
        ::close(in);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    g_work = &work;

    // The old-format file: the first argument that is no benchmark option, or the environment.
    std::vector<char*> arguments{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (g_oldFile.isEmpty() && std::string(argv[i]).rfind("--", 0) != 0)
            g_oldFile = QString::fromLocal8Bit(argv[i]);
        else
            arguments.push_back(argv[i]);
    }
    if (g_oldFile.isEmpty())
        g_oldFile = qEnvironmentVariable("HOURVANE_OLD_DATABASE");
    if (g_oldFile.isEmpty())
        g_oldFile = QStringLiteral(HOURVANE_BENCH_OLD_FILE);
    const bool importMeasured = !g_oldFile.isEmpty() && QFileInfo(g_oldFile).isFile();
    if (!importMeasured)
        std::printf("No old-format file of %d entries (give its path as the first argument or in "
                    "HOURVANE_OLD_DATABASE): the import is not measured.\n",
                    kEntries);
    if (importMeasured) {
        benchmark::RegisterBenchmark("BM_LibraryReadAndInsert", BM_LibraryReadAndInsert)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(3.0);
        benchmark::RegisterBenchmark("BM_ImportOldFile", BM_ImportOldFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);
    }

    g_database = work.filePath(QStringLiteral("dbData.mdb"));
    QFile::copy(templatePath(), g_database);
    QFile::setPermissions(g_database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    hv::bench::writeEntries(g_database, kEntries, 6, [](int w) { return w % 2 == 1; });
    // Opened as the first start of a day opens it, and kept open meanwhile.
    hv::data::Connection opened;
    opened.Open(QStringLiteral("data source=") + hv::data::Connection::quoted(g_database),
                hv::data::PageCheck::Full);
    if (opened.checkedFully())
        g_source = hv::backup::DatabaseBackup::Source::CheckedSound;
    benchmark::RegisterBenchmark("BM_PlainFileCopy", BM_PlainFileCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BM_DailyBackup", BM_DailyBackup)->Unit(benchmark::kMillisecond)->MinTime(2.0);

    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    hv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ratio = [&](const char* measured, const char* reference) {
        const double base = reporter.time(reference);
        return base > 0 ? reporter.time(measured) / base : 0.0;
    };
    if (importMeasured)
        std::printf("\nImport / library read and insert: %.2f (target at most 2)\n",
                    ratio("BM_ImportOldFile/min_time:3.000", "BM_LibraryReadAndInsert/min_time:3.000"));
    std::printf("Daily backup / plain file copy: %.2f (target at most 1.5)\n",
                ratio("BM_DailyBackup/min_time:2.000", "BM_PlainFileCopy/min_time:2.000"));
    return 0;
}
