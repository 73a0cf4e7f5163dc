#pragma once

#include <QtGlobal>

class QIODevice;

namespace hv::data {
class Connection;
}

namespace hv::reports {

// Every entry as CSV for programs and scripts: a header row, then one row per
// entry in ID order (ID, employee name, date in ISO 8601, work code, hours
// with a point, billable, description), each value exactly as stored.
class EntriesCsv {
public:
    // Writes the entries; returns how many, or raises a RuntimeError naming
    // what stopped it.
    static qint64 write(data::Connection& connection, QIODevice& device);
};

}  // namespace hv::reports
