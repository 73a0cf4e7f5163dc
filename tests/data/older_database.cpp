#include "older_database.h"

#include "fixtures/database_fixture.h"

#include "core/runtime_error.h"
#include "data/connection.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <sqlite3.h>

namespace hv::test {

namespace {

// A report query of version 2, which kept its order by a limit.
QByteArray versionTwoReport(const QByteArray& name, const QByteArray& billable)
{
    return "DROP VIEW \"" + name + "\"; CREATE VIEW \"" + name
        + "\" AS SELECT en.\"Employee Name\" AS \"Employee Name\", w.\"Description\" AS \"Work Code Description\", "
          "h.\"Date Worked\" AS \"Date Worked\", h.\"Hours\" AS \"Hours\", h.\"Work Description\" AS \"Work Description\", "
          "en.\"ID\" AS hourvane_employee, w.\"ID\" AS hourvane_work_code "
          "FROM \"Work Hours\" AS h JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
          "LEFT JOIN \"Employees Extended\" AS en ON en.\"ID\" = h.\"Employee\" "
          "WHERE w.\"Billable\" " + billable + " ORDER BY h.\"Date Worked\", h.\"ID\" LIMIT -1;";
}

constexpr char kVersionOneReports[] = R"(
DROP VIEW "Billable Hours"; CREATE VIEW "Billable Hours" AS SELECT 1 AS "Hours";
DROP VIEW "Non Billable Hours"; CREATE VIEW "Non Billable Hours" AS SELECT 1 AS "Hours";
DROP INDEX "Work Hours by Date";
PRAGMA user_version = 1;
)";

}  // namespace

bool makeOlderDatabase(const QString& path, int version)
{
    QFile::remove(path);
    QStringList sources{QStringLiteral(HOURVANE_SCHEMA_SQL), QStringLiteral(HOURVANE_REPORT_VIEWS_SQL)};
    if (version >= 2)
        sources << QStringLiteral(HOURVANE_JOURNAL_SQL);
    QProcess tool;
    tool.start(QStringLiteral(HOURVANE_MAKE_TEMPLATE), sources << path);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return false;
    const QByteArray older = version >= 2 ? versionTwoReport("Billable Hours", "<> 0")
            + versionTwoReport("Non Billable Hours", "= 0") + "DROP INDEX \"Work Hours by Date\"; PRAGMA user_version = 2;"
                                          : QByteArray(kVersionOneReports);
    const data::DatabaseHandle raw = openRawDatabase(path);
    return sqlite3_exec(raw.get(), older.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

int userVersionOf(const QString& path)
{
    return storedBytes(path, "PRAGMA user_version").value(0).toInt();
}

UpgradeBackups::UpgradeBackups(bool fail)
{
    data::Connection::setUpgradeBackup([this, fail](const QString& path) {
        asked << path;
        if (fail)
            throw RuntimeError(err::DatabaseEngine, QStringLiteral("No space left on device"));
    });
}

UpgradeBackups::~UpgradeBackups()
{
    data::Connection::setUpgradeBackup({});
}

}  // namespace hv::test
