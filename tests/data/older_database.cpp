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

// A report query of versions 2 and 3, which kept its order by a limit.
QByteArray limitOrderedReport(const QByteArray& name, const QByteArray& billable)
{
    return "DROP VIEW \"" + name + "\"; CREATE VIEW \"" + name
        + "\" AS SELECT en.\"Employee Name\" AS \"Employee Name\", w.\"Description\" AS \"Work Code Description\", "
          "h.\"Date Worked\" AS \"Date Worked\", h.\"Hours\" AS \"Hours\", h.\"Work Description\" AS \"Work Description\", "
          "en.\"ID\" AS hourvane_employee, w.\"ID\" AS hourvane_work_code "
          "FROM \"Work Hours\" AS h JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
          "LEFT JOIN \"Employees Extended\" AS en ON en.\"ID\" = h.\"Employee\" "
          "WHERE w.\"Billable\" " + billable + " ORDER BY h.\"Date Worked\", h.\"ID\" LIMIT -1;";
}

// Version 1 had report queries without the records' IDs (stand-ins of one
// column) and no journal.
constexpr char kVersionOne[] = R"(
DROP VIEW "Billable Hours"; CREATE VIEW "Billable Hours" AS SELECT 1 AS "Hours";
DROP VIEW "Non Billable Hours"; CREATE VIEW "Non Billable Hours" AS SELECT 1 AS "Hours";
)";

// Version 2 kept its journal in a table of changes beside one of their rows
// by position, written by triggers (one stands in for them); this one holds
// three changes: work code 1 added as "Support", renamed "Help", and work
// code 2 "Travel" added and undone.
constexpr char kVersionTwoJournal[] = R"sql(
INSERT INTO "Work Codes" ("ID", "Description", "Billable") VALUES (1, 'Help', -1);
CREATE TABLE hourvane_changes (id INTEGER PRIMARY KEY, made_at TEXT NOT NULL, made_by TEXT,
    description TEXT, open INTEGER NOT NULL DEFAULT 1, undone INTEGER NOT NULL DEFAULT 0);
CREATE TABLE hourvane_change_rows (change INTEGER NOT NULL, tbl TEXT NOT NULL, row_id INTEGER NOT NULL,
    before INTEGER NOT NULL, after INTEGER NOT NULL,
    b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16,
    a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16,
    PRIMARY KEY (change, tbl, row_id)) WITHOUT ROWID;
INSERT INTO hourvane_changes VALUES (1, '2026-03-01T08:00:00Z', 'anna', NULL, 0, 0),
    (2, '2026-03-01T09:00:00Z', 'anna', NULL, 0, 0), (3, '2026-03-01T10:00:00Z', 'anna', NULL, 0, 1);
INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, a1, a2) VALUES
    (1, 'Work Codes', 1, 0, 1, NULL, NULL, 'Support', -1), (2, 'Work Codes', 1, 1, 1, 'Support', -1, 'Help', -1),
    (3, 'Work Codes', 2, 0, 1, NULL, NULL, 'Travel', 0);
CREATE TRIGGER "Work Codes added (journal)" AFTER INSERT ON "Work Codes" BEGIN
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after) VALUES (0, 'Work Codes', NEW."ID", 0, 1);
END;
)sql";

}  // namespace

bool makeOlderDatabase(const QString& path, int version)
{
    QFile::remove(path);
    QStringList sources{QStringLiteral(HOURVANE_SCHEMA_SQL), QStringLiteral(HOURVANE_REPORT_VIEWS_SQL)};
    if (version >= 3)
        sources << QStringLiteral(HOURVANE_JOURNAL_SQL);
    QProcess tool;
    tool.start(QStringLiteral(HOURVANE_MAKE_TEMPLATE), sources << path);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return false;
    QByteArray older = version >= 4 ? QByteArray() : version == 1 ? QByteArray(kVersionOne)
                                    : limitOrderedReport("Billable Hours", "<> 0")
            + limitOrderedReport("Non Billable Hours", "= 0");
    if (version == 2)
        older += kVersionTwoJournal;
    if (version < 4)
        older += "DROP INDEX \"Work Hours by Date\";";
    older += "PRAGMA user_version = " + QByteArray::number(version) + ";";
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
