#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace hv::backup {

// Backups of the live database: consistent copies through the engine's
// online backup (never a copy of the file's bytes while it may be in use),
// which read the live database and never write to it. Failures raise a
// RuntimeError naming the file and the reason.
class DatabaseBackup {
public:
    // A copy into the backups folder (made when missing), named for `now`;
    // the folder is then rotated. Returns the copy's path.
    static QString intoFolder(const QString& databasePath, const QString& folder, const QDateTime& now);

    // A copy into a file of the user's choice, which must not exist.
    static void toFile(const QString& databasePath, const QString& file);

    // The copy of the day: made into the folder unless it already holds one
    // from the day of `now`. Returns the copy's path when one was made.
    static std::optional<QString> daily(const QString& databasePath, const QString& folder, const QDateTime& now);
};

}  // namespace hv::backup
