#pragma once

#include <QString>
#include <functional>

namespace hv::data {

// How thoroughly an open checks the pages of a database file: Quick walks
// every page and record; Full also compares every index with its table,
// which costs three to five times more.
enum class PageCheck { Quick, Full };
// When they are checked: before the open returns, or beside the program
// while it goes on, the verdict taken in later (Connection::Open).
enum class CheckTiming { AtOpen, Beside };

// What an engine is handed when it is made: the settings every connection
// shares (Connection), taken as they stand at the open, so that an engine
// and the threads it starts read nothing back from elsewhere.
struct EngineOptions {
    // How long an open or a statement waits for a lock another program holds.
    int lockTimeoutMs = 5000;
    // Called with the file's path before a database of an older version is
    // brought up to this one; a RuntimeError from it leaves the file as it was.
    std::function<void(const QString& databasePath)> upgradeBackup;
    // Asked with the file's path what the user can do about a damaged file.
    std::function<QString(const QString& databasePath)> damageAdvice;
};

}  // namespace hv::data
