#pragma once

#include "data/engine_options.h"

#include <QDate>

namespace hv::database {

// How thoroughly the program's database is checked when it is opened. The
// quick check walks every page and costs about a tenth to a fifth of reading
// the list; the full one also compares every index with its table and costs
// nearly as much as the list itself, so it runs on the first open of a day
// and after a session that did not end by closing the main window (a crash,
// a kill or a power cut), and the quick one on every other open. What it
// needs to remember is kept with the settings, in a section of its own.
class DatabaseCheckSchedule {
public:
    static data::PageCheck depthForOpen(const QDate& today = QDate::currentDate());

    // The database was opened: the session is now open.
    static void opened();
    // The check of that depth has given its verdict: a full check done
    // today is remembered.
    static void checked(data::PageCheck depth, const QDate& today = QDate::currentDate());

    // The session ended by closing the program's connection.
    static void closedCleanly();
};

}  // namespace hv::database
