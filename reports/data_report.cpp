#include "reports/data_report.h"

#include "core/twips.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"
#include "reports/engine/paper_size.h"
#include "reports/query_row_source.h"
#include "reports/report_preview.h"
#include "reports/engine/report_rows.h"

#include <QPrinterInfo>

namespace hv {

namespace {

QPageSize systemPageSize()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull() && printer.defaultPageSize().isValid())
        return printer.defaultPageSize();
    return reports::paperForEnvironment(QProcessEnvironment::systemEnvironment());
}

}  // namespace

DataReport::DataReport(const reports::ReportLayout& layout)
    : m_layout(layout), m_pageSize(systemPageSize())
{
}

void DataReport::setOrientation(int orientation)
{
    if (orientation != kPortrait && orientation != kLandscape)
        throw RuntimeError::invalidPropertyValue();
    m_orientation = orientation;
}

QPageLayout::Orientation DataReport::pageOrientation() const
{
    return m_orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QSize DataReport::paperTwips() const
{
    const QSize paper = (m_pageSize.size(QPageSize::Point) * twips::kPerPoint).toSize();
    return m_orientation == kLandscape ? paper.transposed() : paper;
}

void DataReport::setSelection(const reports::ReportQuery& query, const reports::ReportOptions& options)
{
    m_query = query;
    m_options = options;
}

int DataReport::Show(int mode, QWidget* owner)
{
    if (mode != kModal)
        throw RuntimeError::invalidPropertyValue();
    if (!m_source)
        throw RuntimeError::objectNotSet();
    reports::ReportRows rows = reports::ReportRows::read(*m_source, m_layout);
    if (!m_query) {
        reports::ReportPreview preview(m_layout, std::move(rows), paperTwips(), m_pageSize, pageOrientation(), owner);
        return UiSeam::showModal(preview);
    }
    QueryRowSource selection(*m_query, m_layout);
    reports::ReportPreview preview(m_layout, std::move(rows), m_options, selection, paperTwips(), m_pageSize,
                                   pageOrientation(), owner);
    return UiSeam::showModal(preview);
}

}  // namespace hv
