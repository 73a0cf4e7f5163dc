#include "reports/data_report.h"

#include "core/twips.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"
#include "reports/engine/paper_size.h"
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

int DataReport::Show(int mode, QWidget* owner)
{
    if (mode != kModal)
        throw RuntimeError::invalidPropertyValue();
    if (!m_source)
        throw RuntimeError::objectNotSet();
    const reports::ReportRows rows = reports::ReportRows::read(*m_source, m_layout);
    reports::ReportPreview preview(m_layout, rows, paperTwips(), m_pageSize, pageOrientation(), owner);
    return UiSeam::showModal(preview);
}

}  // namespace hv
