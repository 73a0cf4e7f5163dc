#pragma once

#include <QString>
#include <functional>

namespace hv::bench {

// Writes straight into a database file made from the template: 40
// employees, the work codes (billable as the function says of each number,
// counted from 1) and the entries, spread over the employees, the work codes
// and two years of dates, each with its own description.
void writeEntries(const QString& databaseFile, int entries, int workCodes, const std::function<bool(int)>& billable);

}  // namespace hv::bench
