#pragma once

#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace hv::bench {

// How the entries' descriptions repeat: each entry its own text, or the mix
// of a firm's years of data (most entries take one of a few hundred texts,
// one in twenty a text of its own).
enum class Descriptions { EachOwn, FirmMix };

// Writes straight into a database file made from the template: 40
// employees, the work codes (billable as the function says of each number,
// counted from 1) and the entries, spread over the employees, the work codes
// and `days` days from 1 January 2025 (two years unless said).
void writeEntries(const QString& databaseFile, int entries, int workCodes, const std::function<bool(int)>& billable,
                  Descriptions descriptions = Descriptions::EachOwn, int days = 730);

// Deletes every entry dated outside [from, to] straight from the file (the
// journal's triggers standing aside) and gives the room back: the same
// entries of those days, as a database that only ever held them.
void keepEntriesBetween(const QString& databaseFile, const QDate& from, const QDate& to);

// A database of many entries is slow to write: made once under a name that
// says what it holds, from the template in the program folder, with `write`
// (which fills the file it is given), and kept for later runs in the folder
// HOURVANE_BENCH_CACHE names, else "hourvane-bench" in the system's
// temporary folder. A template that changes makes the file again. Copies it
// to `databaseFile` (replaced) and returns false when it could not be made.
bool copyCachedDatabase(const QString& name, const QString& programFolder,
                        const std::function<void(const QString& file)>& write, const QString& databaseFile);

// A benchmark's own data and settings folders (XDG_DATA_HOME and
// XDG_CONFIG_HOME), removed with the object, and no display needed.
class BenchFolders {
public:
    BenchFolders();
    QString dataHome() const { return m_data.path(); }

private:
    QTemporaryDir m_data;
    QTemporaryDir m_config;
};

// The live database of a data folder (XDG_DATA_HOME) as the program finds
// it, made from the template in the program folder; returns its path.
QString makeLiveDatabase(const QString& dataHome, const QString& programFolder);

}  // namespace hv::bench
