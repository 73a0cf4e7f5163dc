#pragma once

#include "core/work_steps.h"

class QIODevice;

namespace hv::reports {

class ReportTable;

// A report's table as a spreadsheet (.xlsx) of one sheet named for the
// report: the lines above the header in bold, the header row in bold,
// frozen and with filter buttons, the entries' hours as numbers and their
// dates as dates, and the total lines in bold with their hours in a column
// of their own. Raises a RuntimeError when the file cannot be made or the
// device refuses it. `steps` is told of each line.
void writeReportXlsx(QIODevice& device, const ReportTable& table, const WorkSteps& steps = {});

}  // namespace hv::reports
