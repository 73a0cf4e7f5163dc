#pragma once

#include <QString>

namespace hv::backup {

// What the user can do about a damaged database file: the newest sound copy
// in the backups folder beside it, and the steps to go on from it. The
// engines only say that a file is damaged and what they found; the advice
// that follows is composed here.
class DamageAdvice {
public:
    // Where the newest sound backup is, when there is one, and the steps to
    // go on from it, over several lines; each name and step on a line of its
    // own begun with a tab, so that a message box never cuts it.
    static QString forDatabase(const QString& databasePath);

    // The newest backup of the database (BackupFolder::copies(), never a copy
    // kept apart by a restore) recorded as sound (VerifiedBackups); when none
    // is, the newest one that passes the engine's full check now, which is
    // recorded from then on. Empty when there is none.
    static QString newestSoundBackup(const QString& databasePath);

    // Makes every connection of this run add the advice to what it says
    // about a damaged file (data::Connection::setDamageAdvice).
    static void forEveryConnection();
};

}  // namespace hv::backup
