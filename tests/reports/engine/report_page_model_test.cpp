#include "reports/engine/report_layout.h"
#include "reports/engine/report_page_model.h"

#include <gtest/gtest.h>
#include <tuple>

namespace hv::test {
namespace {

using reports::PlacedBand;
using reports::ReportPageModel;
using reports::SectionKind;

// US Letter in twips, upright and turned.
const QSize kPortrait(12240, 15840);
const QSize kLandscape(15840, 12240);

class PageModelTest : public ::testing::TestWithParam<std::tuple<int, QSize>> {};

// Whatever the number of rows: the report header opens the first page only,
// the page header opens every page, every row appears once and in order,
// no band runs past the bottom margin, and the report footer ends the report.
TEST_P(PageModelTest, EveryRowOnceUnderTheHeadingsOfEveryPage)
{
    const auto [rowCount, paper] = GetParam();
    const reports::ReportLayout& layout = reports::rptBillableHoursByEmployee();
    const ReportPageModel model(layout, rowCount, paper);
    const int body = paper.height() - 2 * layout.margin;

    ASSERT_GE(model.pageCount(), 1);
    int nextRow = 0;
    int reportFooters = 0;
    for (int page = 0; page < model.pageCount(); ++page) {
        const QList<PlacedBand> bands = model.bands(page);
        int expectedTop = 0;
        int index = 0;
        if (page == 0) {
            ASSERT_EQ(bands.at(index).section->kind, SectionKind::ReportHeader);
            expectedTop += bands.at(index++).section->height;
        }
        ASSERT_EQ(bands.at(index).section->kind, SectionKind::PageHeader) << "page " << page;
        EXPECT_EQ(bands.at(index).top, expectedTop);
        for (const PlacedBand& band : bands) {
            if (page > 0) {
                EXPECT_NE(band.section->kind, SectionKind::ReportHeader) << "page " << page;
            }
            EXPECT_LE(band.top + band.section->height, body) << "page " << page;
            if (band.section->kind == SectionKind::Detail) {
                EXPECT_EQ(band.line, nextRow++);
            }
            if (band.section->kind == SectionKind::ReportFooter) {
                ++reportFooters;
                EXPECT_EQ(page, model.pageCount() - 1);
            }
        }
        // A page other than the last is full: one more line would not fit.
        if (page + 1 < model.pageCount() && model.lineCount(page) > 0) {
            const PlacedBand& lastLine = bands.at(bands.size() - 2);
            EXPECT_GT(lastLine.top + 2 * layout.section(SectionKind::Detail).height, body) << "page " << page;
        }
    }
    EXPECT_EQ(nextRow, rowCount);
    EXPECT_EQ(reportFooters, 1);
}

// Around the page breaks of both orientations (23 and 33 lines fit the first
// page, 25 and 35 the next), and a long report.
INSTANTIATE_TEST_SUITE_P(RowCounts, PageModelTest,
                         ::testing::Combine(::testing::Values(0, 1, 23, 24, 33, 34, 48, 49, 68, 10000),
                                            ::testing::Values(kPortrait, kLandscape)));

}  // namespace
}  // namespace hv::test
