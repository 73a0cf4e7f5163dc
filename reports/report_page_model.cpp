#include "reports/report_page_model.h"

#include <algorithm>

namespace hv::reports {

ReportPageModel::ReportPageModel(const ReportLayout& layout, int rowCount, QSize paperTwips)
    : m_layout(&layout), m_paper(paperTwips)
{
    const int reportHeader = layout.section(SectionKind::ReportHeader).height;
    const int pageHeader = layout.section(SectionKind::PageHeader).height;
    const int detail = layout.section(SectionKind::Detail).height;
    const int pageFooter = layout.section(SectionKind::PageFooter).height;
    const int reportFooter = layout.section(SectionKind::ReportFooter).height;
    // The height the bands may fill on one page, above the page footer.
    const int body = paperTwips.height() - 2 * layout.margin - pageFooter;

    // Rows that fit below the headers; at least one, so that a paper too
    // small for the layout still prints every row.
    const auto rowsFitting = [&](int used) { return std::max(1, (body - used) / detail); };

    Page page{0, 0, true, false};
    int used = reportHeader + pageHeader;
    int row = 0;
    while (row < rowCount) {
        const int count = std::min(rowCount - row, rowsFitting(used));
        page.rowCount = count;
        row += count;
        used += count * detail;
        if (row < rowCount) {
            m_pages.push_back(page);
            page = Page{row, 0, false, false};
            used = pageHeader;
        }
    }
    if (used + reportFooter > body && used > pageHeader) {
        // The report footer goes to a page of its own.
        m_pages.push_back(page);
        page = Page{row, 0, false, false};
    }
    page.reportFooter = true;
    m_pages.push_back(page);
}

QList<PlacedBand> ReportPageModel::bands(int page) const
{
    const Page& p = m_pages[static_cast<std::size_t>(page)];
    QList<PlacedBand> placed;
    int top = 0;
    const auto add = [&](SectionKind kind, int row = -1) {
        const ReportSection& section = m_layout->section(kind);
        placed.append({&section, top, row});
        top += section.height;
    };
    if (p.reportHeader)
        add(SectionKind::ReportHeader);
    add(SectionKind::PageHeader);
    for (int r = p.firstRow; r < p.firstRow + p.rowCount; ++r)
        add(SectionKind::Detail, r);
    if (p.reportFooter)
        add(SectionKind::ReportFooter);
    // The page footer stands at the foot of the body, on every page.
    const ReportSection& footer = m_layout->section(SectionKind::PageFooter);
    placed.append({&footer, m_paper.height() - 2 * m_layout->margin - footer.height, -1});
    return placed;
}

}  // namespace hv::reports
