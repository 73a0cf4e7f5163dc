#pragma once

#include "core/work_steps.h"

class QIODevice;

namespace hv::reports {

class ReportTable;

// A report's table as comma-separated values: the lines above the header
// one field each, an empty line, the header row, then one record per line
// with the dates in ISO 8601, the numbers with a decimal point and every
// text as a spreadsheet shows it, never as a formula. The text is UTF-8 with
// a byte order mark, so that a spreadsheet opens it as it is. False when the
// device could not take every record. `steps` is told of each line.
bool writeReportCsv(QIODevice& device, const ReportTable& table, const WorkSteps& steps = {});

}  // namespace hv::reports
