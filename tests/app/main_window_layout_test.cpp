#include "app/main_window_layout.h"

#include <gtest/gtest.h>

namespace hv::layout {
namespace {

TEST(MainWindowLayout, DesignPlacesAreTwoRowsOfThree)
{
    const MainWindowPlaces p = designPlaces();
    EXPECT_EQ(p.list, QRectF(120, 120, 10320, 5475));
    EXPECT_EQ(p.addButton, QRectF(120, 5690, 3360, 405));
    EXPECT_EQ(p.editButton, QRectF(120, 6200, 3360, 405));
    EXPECT_EQ(p.deleteButton, QRectF(3600, 5690, 3360, 405));
    EXPECT_EQ(p.reportsButton, QRectF(3600, 6200, 3360, 405));
    EXPECT_EQ(p.sampleButton, QRectF(7080, 5690, 3360, 405));
    EXPECT_EQ(p.helpButton, QRectF(7080, 6200, 3360, 405));
}

TEST(MainWindowLayout, StretchedPlacesFollowTheWindowSize)
{
    // A maximised window 1920 x 1040 pixels at 15 twips per pixel.
    const MainWindowPlaces p = stretchedPlaces({28800, 15600});
    EXPECT_DOUBLE_EQ(p.addButton.left(), 8880);  // 14400 - 5040 - 480
    EXPECT_DOUBLE_EQ(p.list.width(), 28800 - 330);
    const double listHeight = 15600 - 2 * 405 - 315 - 120 - 465;
    EXPECT_DOUBLE_EQ(p.list.height(), listHeight);
    EXPECT_EQ(p.list.topLeft(), QPointF(120, 120));
    EXPECT_DOUBLE_EQ(p.addButton.top(), listHeight + 225);
    EXPECT_EQ(p.deleteButton.topLeft(), QPointF(8880 + 3480, listHeight + 225));
    EXPECT_EQ(p.sampleButton.topLeft(), QPointF(8880 + 2 * 3480, listHeight + 225));
    EXPECT_EQ(p.editButton.topLeft(), QPointF(8880, listHeight + 225 + 510));
    EXPECT_EQ(p.reportsButton.topLeft(), QPointF(8880 + 3480, listHeight + 735));
    EXPECT_EQ(p.helpButton.topLeft(), QPointF(8880 + 2 * 3480, listHeight + 735));
    EXPECT_EQ(p.helpButton.size(), QSizeF(3360, 405));
}

}  // namespace
}  // namespace hv::layout
