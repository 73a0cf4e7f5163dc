#include "bench_database.h"

#include <QDate>
#include <sqlite3.h>

#include <string>

namespace hv::bench {

void writeEntries(const QString& databaseFile, int entries, int workCodes, const std::function<bool(int)>& billable)
{
    sqlite3* db = nullptr;
    sqlite3_open(databaseFile.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int e = 1; e <= 40; ++e) {
        const std::string sql = "INSERT INTO \"Employees\" (\"First Name\",\"Last Name\") VALUES ('Person" + std::to_string(e)
            + "','Surname" + std::to_string(e % 7) + "')";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    for (int w = 1; w <= workCodes; ++w) {
        const std::string sql = "INSERT INTO \"Work Codes\" (\"Description\",\"Billable\") VALUES ('Work code "
            + std::to_string(w) + "'," + (billable(w) ? "-1" : "0") + ")";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO \"Work Hours\" (\"Employee\",\"Date Worked\",\"Work Code\",\"Hours\",\"Work Description\") "
                       "VALUES (?,?,?,?,?)",
                       -1, &insert, nullptr);
    const QDate start(2025, 1, 1);
    for (int i = 0; i < entries; ++i) {
        const QByteArray date = start.addDays(i % 730).toString(Qt::ISODate).toUtf8();
        const std::string description = "Task " + std::to_string(i * 7919 % 100003) + " for the customer";
        sqlite3_bind_int(insert, 1, i % 40 + 1);
        sqlite3_bind_text(insert, 2, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i % workCodes + 1);
        sqlite3_bind_double(insert, 4, (i % 16 + 1) * 0.5);
        sqlite3_bind_text(insert, 5, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace hv::bench
