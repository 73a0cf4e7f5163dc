#include "reports/engine/report_page_model.h"

#include <algorithm>

namespace hv::reports {

ReportPageModel::ReportPageModel(const ReportLayout& layout, int rowCount, QSize paperTwips)
    : ReportPageModel(layout, std::vector<SectionKind>(static_cast<std::size_t>(std::max(0, rowCount)), SectionKind::Detail),
                      paperTwips)
{
}

ReportPageModel::ReportPageModel(const ReportLayout& layout, const std::vector<SectionKind>& lines, QSize paperTwips)
    : m_layout(&layout), m_paper(paperTwips)
{
    m_lineBands.reserve(lines.size());
    for (SectionKind kind : lines)
        m_lineBands.push_back(&layout.section(kind));

    const int reportHeader = layout.section(SectionKind::ReportHeader).height;
    const int pageHeader = layout.section(SectionKind::PageHeader).height;
    const int pageFooter = layout.section(SectionKind::PageFooter).height;
    const int reportFooter = layout.section(SectionKind::ReportFooter).height;
    // The height the bands may fill on one page, above the page footer.
    const int body = paperTwips.height() - 2 * layout.margin - pageFooter;

    const int lineCount = static_cast<int>(m_lineBands.size());
    Page page{0, 0, true, false};
    int used = reportHeader + pageHeader;
    for (int line = 0; line < lineCount; ++line) {
        const int height = m_lineBands[static_cast<std::size_t>(line)]->height;
        // A line that does not fit starts a new page; a page holds at least
        // one line, so that a paper too small for the layout still prints
        // every line.
        if (page.lineCount > 0 && used + height > body) {
            m_pages.push_back(page);
            page = Page{line, 0, false, false};
            used = pageHeader;
        }
        ++page.lineCount;
        used += height;
    }
    if (used + reportFooter > body && used > pageHeader) {
        // The report footer goes to a page of its own.
        m_pages.push_back(page);
        page = Page{lineCount, 0, false, false};
    }
    page.reportFooter = true;
    m_pages.push_back(page);
}

QList<PlacedBand> ReportPageModel::bands(int page) const
{
    const Page& p = m_pages[static_cast<std::size_t>(page)];
    QList<PlacedBand> placed;
    int top = 0;
    const auto add = [&](const ReportSection& section, int line = -1) {
        placed.append({&section, top, line});
        top += section.height;
    };
    if (p.reportHeader)
        add(m_layout->section(SectionKind::ReportHeader));
    add(m_layout->section(SectionKind::PageHeader));
    for (int line = p.firstLine; line < p.firstLine + p.lineCount; ++line)
        add(*m_lineBands[static_cast<std::size_t>(line)], line);
    if (p.reportFooter)
        add(m_layout->section(SectionKind::ReportFooter));
    // The page footer stands at the foot of the body, on every page.
    const ReportSection& footer = m_layout->section(SectionKind::PageFooter);
    placed.append({&footer, m_paper.height() - 2 * m_layout->margin - footer.height, -1});
    return placed;
}

}  // namespace hv::reports
