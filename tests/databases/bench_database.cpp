#include "databases/bench_database.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QStringList>
#include <QFile>
#include <sqlite3.h>

#include <array>
#include <string>

namespace hv::bench {

namespace {

// One of a few hundred texts a firm writes again and again, the common ones
// more often, or one of its own for one entry in twenty.
std::string descriptionOf(int entry, Descriptions descriptions)
{
    if (descriptions == Descriptions::EachOwn || entry % 20 == 7)
        return "Task " + std::to_string(entry * 7919 % 100003) + " for the customer";
    static const std::array<const char*, 12> kWork{"Development", "Code review", "Support call", "Meeting",
                                                   "Testing", "Documentation", "Planning", "Travel",
                                                   "Training", "Design", "Deployment", "Bug fixing"};
    static const std::array<const char*, 30> kSubjects{
        "billing module", "customer portal", "reports", "release 2.1", "release 3.0", "mobile app",
        "data import", "web shop", "invoice run", "payroll", "onboarding", "the new office",
        "security audit", "backups", "printer setup", "website", "newsletter", "warehouse",
        "time sheets", "order entry", "API", "search", "login", "dashboard", "exports",
        "translations", "help desk", "server move", "licences", "year-end closing"};
    const int pick = (entry * 31 + (entry / 7) * (entry / 7)) % 360;  // some far more often than others
    const int common = pick < 180 ? pick % 60 : pick;
    return std::string(kWork[static_cast<size_t>(common % 12)]) + " - " + kSubjects[static_cast<size_t>(common / 12)];
}

}  // namespace

QString makeLiveDatabase(const QString& dataHome, const QString& programFolder)
{
    const QString folder = dataHome + QStringLiteral("/Harrowfen/Hourvane");
    const QString database = folder + QStringLiteral("/dbData.mdb");
    QDir().mkpath(folder);
    QFile::copy(programFolder + QStringLiteral("/dbBlank.mdb"), database);
    QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return database;
}

namespace {

// Drops the journal's triggers and returns the statements that make them again.
QStringList journalTriggers(sqlite3* db)
{
    QStringList made;
    QStringList names;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_schema WHERE type = 'trigger'", -1, &read, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)));
        made << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read, 1)));
    }
    sqlite3_finalize(read);
    for (QString name : names)
        sqlite3_exec(db, ("DROP TRIGGER \"" + name.replace(u'"', QStringLiteral("\"\"")) + u'"').toUtf8().constData(),
                     nullptr, nullptr, nullptr);
    return made;
}

}  // namespace

void writeEntries(const QString& databaseFile, int entries, int workCodes, const std::function<bool(int)>& billable,
                  Descriptions descriptions, int days)
{
    sqlite3* db = nullptr;
    sqlite3_open(databaseFile.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    // The bulk load is where the database starts, not a change of it: the
    // journal's triggers stand aside while it runs.
    const QStringList journal = journalTriggers(db);
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
        const QByteArray date = start.addDays(i % days).toString(Qt::ISODate).toUtf8();
        const std::string description = descriptionOf(i, descriptions);
        sqlite3_bind_int(insert, 1, i % 40 + 1);
        sqlite3_bind_text(insert, 2, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i % workCodes + 1);
        sqlite3_bind_double(insert, 4, (i % 16 + 1) * 0.5);
        sqlite3_bind_text(insert, 5, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    for (const QString& trigger : journal)
        sqlite3_exec(db, trigger.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void keepEntriesBetween(const QString& databaseFile, const QDate& from, const QDate& to)
{
    sqlite3* db = nullptr;
    sqlite3_open(databaseFile.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const QStringList journal = journalTriggers(db);
    const QByteArray sql = "DELETE FROM \"Work Hours\" WHERE \"Date Worked\" IS NULL OR \"Date Worked\" < '"
        + from.toString(Qt::ISODate).toUtf8() + "' OR \"Date Worked\" >= '" + to.addDays(1).toString(Qt::ISODate).toUtf8()
        + "'";
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    for (const QString& trigger : journal)
        sqlite3_exec(db, trigger.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool copyCachedDatabase(const QString& name, const QString& programFolder,
                        const std::function<void(const QString& file)>& write, const QString& databaseFile)
{
    QFile blank(programFolder + QStringLiteral("/dbBlank.mdb"));
    if (!blank.open(QIODevice::ReadOnly))
        return false;
    // The template's own bytes are part of the name, so a new layout of the
    // tables never meets a file made from an old one.
    const QByteArray made = QCryptographicHash::hash(blank.readAll(), QCryptographicHash::Sha1).toHex().left(12);
    QString folder = qEnvironmentVariable("HOURVANE_BENCH_CACHE");
    if (folder.isEmpty())
        folder = QDir::temp().filePath(QStringLiteral("hourvane-bench"));
    QDir().mkpath(folder);
    const QString cached = folder + u'/' + name + u'-' + QString::fromLatin1(made) + QStringLiteral(".mdb");
    if (!QFile::exists(cached)) {
        const QString partial = cached + QStringLiteral(".partial");
        QFile::remove(partial);
        if (!QFile::copy(blank.fileName(), partial))
            return false;
        QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        write(partial);
        if (!QFile::rename(partial, cached))
            return false;
    }
    QFile::remove(databaseFile);
    if (!QFile::copy(cached, databaseFile))
        return false;
    return QFile::setPermissions(databaseFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

BenchFolders::BenchFolders()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace hv::bench
