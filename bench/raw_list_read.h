#pragma once

#include <QString>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstddef>

namespace hv::bench {

// The reference most benchmarks are measured against: every row of the list's
// stored query read with the raw SQLite API, each of the six columns taken as
// text. Marks the run as failed unless it yields `entries` rows.
inline void rawListRead(benchmark::State& state, const QString& databaseFile, int entries)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM \"Work Hours Extended\"", -1, &stmt, nullptr);
        std::size_t bytes = 0;
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < 6; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)) : 0;
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
        if (rows != entries)
            state.SkipWithError("the query did not yield every entry");
    }
    sqlite3_close(db);
}

}  // namespace hv::bench
