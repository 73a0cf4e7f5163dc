#pragma once

#include <QString>
#include <QStringList>

namespace hv::test {

// A database file as an earlier version of the program made it, none of
// them with the table of terms, and up to version 3 without the index of the
// dates: version 1 with the tables and queries but
// no journal, and report queries without the records' IDs (stand-ins of one
// column); version 2 with the report queries of its day and its journal of
// two tables, holding three changes (work code 1 added as "Support", renamed
// "Help", and work code 2 "Travel" added and undone); version 3 with the
// journal of one table, version 4 with the index. Replaces the file at `path`; false when it could not
// be made.
bool makeOlderDatabase(const QString& path, int version);

// The SQL that takes the table of terms away from a server schema of today,
// as versions before it had none.
inline constexpr char kServerWithoutTerms[] =
    "DROP VIEW hourvane_terms_net; DROP TABLE hourvane_terms CASCADE; DROP FUNCTION hourvane_journal_terms(), "
    "hourvane_terms_replay(bigint, boolean), hourvane_terms_replay_conflict(bigint, boolean); ";

// The version of the tables a database file says it holds.
int userVersionOf(const QString& path);

// Records the backups the program asks for before an upgrade while it
// lives; with `fail`, each of them fails as a full disk would.
class UpgradeBackups {
public:
    explicit UpgradeBackups(bool fail = false);
    ~UpgradeBackups();
    UpgradeBackups(const UpgradeBackups&) = delete;
    UpgradeBackups& operator=(const UpgradeBackups&) = delete;

    QStringList asked;
};

}  // namespace hv::test
