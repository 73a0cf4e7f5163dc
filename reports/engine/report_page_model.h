#pragma once

#include "reports/engine/report_layout.h"

#include <QList>
#include <QSize>
#include <vector>

namespace hv::reports {

// A band placed on a page: its section, its top in twips from the top
// margin, and for a line band (an entry or a total) the line it prints.
struct PlacedBand {
    const ReportSection* section = nullptr;
    int top = 0;
    int line = -1;
};

// The pagination of a report, computed once from the layout, the bands of
// its lines and the paper size: which lines each page carries and where
// every band stands. The report header opens the first page, the page header
// opens every page, a line is never split across pages, the report footer
// follows the last line and the page footer stands at the foot of every
// page. Holds no texts and draws nothing.
class ReportPageModel {
public:
    // paperTwips: the paper in the orientation printed, in twips. Each line
    // prints in the band of its kind (detail or a total band of the layout).
    ReportPageModel(const ReportLayout& layout, const std::vector<SectionKind>& lines, QSize paperTwips);
    // A report whose lines are all detail lines, one per row.
    ReportPageModel(const ReportLayout& layout, int rowCount, QSize paperTwips);

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    QSize paperTwips() const { return m_paper; }
    const ReportLayout& layout() const { return *m_layout; }

    // The first line on a page and how many lines it carries.
    int firstLine(int page) const { return m_pages[static_cast<std::size_t>(page)].firstLine; }
    int lineCount(int page) const { return m_pages[static_cast<std::size_t>(page)].lineCount; }

    // The bands of a page, top to bottom.
    QList<PlacedBand> bands(int page) const;

private:
    struct Page {
        int firstLine = 0;
        int lineCount = 0;
        bool reportHeader = false;
        bool reportFooter = false;
    };

    const ReportLayout* m_layout;
    QSize m_paper;
    std::vector<const ReportSection*> m_lineBands;
    std::vector<Page> m_pages;
};

}  // namespace hv::reports
