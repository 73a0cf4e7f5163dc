#pragma once

#include "reports/engine/report_options.h"
#include "reports/engine/report_rows.h"

#include <QStringList>

namespace hv::reports {

// The names the choices of a report offer: its employees and its work
// codes, each once, as the report shows them (an empty name for the
// entries whose record has gone).
struct ReportNames {
    QStringList employees;
    QStringList workCodes;
};

// Where a report's rows come from when the database selects them: the rows
// the choices of period, employee and work code keep, read afresh as the
// choices change, and the names of the rows of a period, for the choices to
// offer. Failures are the data source's RuntimeErrors.
class ReportRowSource {
public:
    virtual ~ReportRowSource() = default;

    virtual ReportRows rows(const ReportOptions& options) = 0;
    virtual ReportNames names(const DatePeriod& period) = 0;

protected:
    ReportRowSource() = default;
    ReportRowSource(const ReportRowSource&) = default;
    ReportRowSource& operator=(const ReportRowSource&) = default;
};

}  // namespace hv::reports
