#pragma once

#include "reports/engine/report_layout.h"
#include "reports/engine/report_query.h"
#include "reports/engine/report_row_source.h"

namespace hv {

// The rows of a report query read from the program's shared connection:
// each choice of period, employee and work code selected by the database.
class QueryRowSource : public reports::ReportRowSource {
public:
    QueryRowSource(reports::ReportQuery query, const reports::ReportLayout& layout);

    reports::ReportRows rows(const reports::ReportOptions& options) override;
    reports::ReportNames names(const reports::DatePeriod& period) override;

private:
    reports::ReportQuery m_query;
    const reports::ReportLayout& m_layout;
};

}  // namespace hv
