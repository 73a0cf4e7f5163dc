#pragma once

#include "core/work_steps.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace hv::backup {

// Backups of the live database: consistent copies through the engine's
// online backup (never a copy of the file's bytes while it may be in use),
// which read the live database and never write to it. A copy joins the
// backups folder only as a sound database of this program, and is recorded
// so (VerifiedBackups); a damaged database is never copied in among
// the sound ones. Failures raise a RuntimeError naming the file and the
// reason.
class DatabaseBackup {
public:
    // What is known of the database being copied.
    enum class Source {
        // Nothing: the copy is checked whole (tables, queries, every page and
        // index) before it counts as a backup.
        Unchecked,
        // The caller's connection checked it whole and found it sound
        // (data::Connection::checkedFully()), so a copy made now is sound too.
        CheckedSound,
    };

    // A copy into the backups folder (made when missing), named for `now`;
    // the folder is then rotated. Returns the copy's path. A copy that fails
    // its check is deleted, the folder left as it was, and the failure names
    // what is wrong with the database. `steps` is told of the pages copied;
    // a copy it stops leaves the folder as it was.
    static QString intoFolder(const QString& databasePath, const QString& folder, const QDateTime& now,
                              Source source = Source::Unchecked, const WorkSteps& steps = {});

    // A copy into a file of the user's choice, which must not exist.
    static void toFile(const QString& databasePath, const QString& file, const WorkSteps& steps = {});

    // Why backups (or restores: `what` says which, as a sentence's subject)
    // are not this program's job for a database on the server at `serverAddress`.
    static QString serverRefusal(const QString& serverAddress, const QString& what);

    // Makes every connection of this run back a database file up into the
    // backups folder beside it before the program brings the file's tables
    // up to a newer version (data::Connection::setUpgradeBackup).
    static void beforeEveryUpgrade();

    // The copy of the day: made into the folder unless it already holds one
    // from the day of `now`, after the copies an earlier run cut short are
    // removed. Returns the copy's path when one was made.
    static std::optional<QString> daily(const QString& databasePath, const QString& folder, const QDateTime& now,
                                        Source source = Source::Unchecked, const WorkSteps& steps = {});
};

}  // namespace hv::backup
