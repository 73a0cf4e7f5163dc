#pragma once

#include "core/work_steps.h"

#include <QString>
#include <QtGlobal>

class QIODevice;

namespace hv::data {
class Connection;
}

namespace hv::reports {

// Every entry for programs, scripts and spreadsheets: a header row, then one
// row per entry in ID order (ID, employee name, date worked, work code,
// hours, billable, description). As CSV each value is exactly as stored
// (dates in ISO 8601, hours with a point); as a spreadsheet (.xlsx) the IDs
// and hours are numbers, the dates dates and the texts texts, under a
// frozen header row with filter buttons.
class EntriesExport {
public:
    enum class Format { Csv, Xlsx };

    // The format a file's name asks for: .xlsx for a spreadsheet, CSV for
    // any other name.
    static Format formatOf(const QString& fileName);

    // Writes the entries, telling `steps` of each; returns how many, or
    // raises a RuntimeError naming what stopped it.
    static qint64 write(data::Connection& connection, QIODevice& device, Format format = Format::Csv,
                        const WorkSteps& steps = {});
};

}  // namespace hv::reports
