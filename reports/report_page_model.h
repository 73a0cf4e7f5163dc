#pragma once

#include "reports/report_layout.h"

#include <QList>
#include <QSize>
#include <vector>

namespace hv::reports {

// A band placed on a page: its section, its top in twips from the top
// margin, and for a detail band the row it prints.
struct PlacedBand {
    const ReportSection* section = nullptr;
    int top = 0;
    int row = -1;
};

// The pagination of a report, computed once from the layout, the number of
// rows and the paper size: which rows each page carries and where every band
// stands. The report header opens the first page, the page header opens
// every page, a detail line is never split across pages and the report
// footer follows the last row. Holds no texts and draws nothing.
class ReportPageModel {
public:
    // paperTwips: the paper in the orientation printed, in twips.
    ReportPageModel(const ReportLayout& layout, int rowCount, QSize paperTwips);

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    QSize paperTwips() const { return m_paper; }
    const ReportLayout& layout() const { return *m_layout; }

    // The first row on a page and how many rows it carries.
    int firstRow(int page) const { return m_pages[static_cast<std::size_t>(page)].firstRow; }
    int rowCount(int page) const { return m_pages[static_cast<std::size_t>(page)].rowCount; }

    // The bands of a page, top to bottom.
    QList<PlacedBand> bands(int page) const;

private:
    struct Page {
        int firstRow = 0;
        int rowCount = 0;
        bool reportHeader = false;
        bool reportFooter = false;
    };

    const ReportLayout* m_layout;
    QSize m_paper;
    std::vector<Page> m_pages;
};

}  // namespace hv::reports
