#include "viewer/mouse_geometry.h"

#include <gtest/gtest.h>

#include "common/app_error.h"

namespace ctiq {
namespace {

const IntRect kFrame{100, 100, 199, 199};

TEST(MouseGeometry, PressGripsByWhereItLands) {
    struct Case {
        int x, y;
        double scale;
        bool moved;
        RoiGrip grip;
    };
    for (const Case c :
         {Case{50, 50, 1, true, RoiGrip::TopLeft}, Case{250, 250, 1, true, RoiGrip::BottomRight},
          Case{150, 150, 1, true, RoiGrip::Move},
          Case{150, 150, 1, false, RoiGrip::None},  // no move without motion
          Case{100, 150, 1, true, RoiGrip::None},   // on the edge
          Case{50, 150, 1, true, RoiGrip::None},    // left, not above
          Case{75, 75, 2, true, RoiGrip::Move}}) {  // scale 2: bitmap 150,150
        EXPECT_EQ(roiGripAt(kFrame, c.x, c.y, c.scale, c.moved), c.grip) << c.x << "," << c.y;
    }
}

TEST(MouseGeometry, CornerDragMovesOnlyTheGrabbedCorner) {
    EXPECT_EQ(dragRoiCorner(kFrame, RoiGrip::TopLeft, 90, 80, 1), (IntRect{90, 80, 199, 199}));
    EXPECT_EQ(dragRoiCorner(kFrame, RoiGrip::BottomRight, 255, 301, 0.5),
              (IntRect{100, 100, 127, 150}));
}

TEST(MouseGeometry, MoveCentresTheFrameOnTheMouse) {
    // Even sides put the extra sample left and up; odd sides centre exactly.
    EXPECT_EQ(moveRoiTo(kFrame, 300, 300, 1), (IntRect{250, 250, 349, 349}));
    EXPECT_EQ(moveRoiTo({0, 0, 2, 4}, 10, 10, 1), (IntRect{9, 8, 11, 12}));
}

TEST(MouseGeometry, PanMovesOnlyWhereTheViewHasRoom) {
    // A view of columns/rows 100..299 of a 512 × 512 image: room on every side.
    const IntRect view{100, 100, 299, 299};
    const PanShift right = panShift(0, 0, 10, 10, 30, 10, 1, view, 512, 512);
    EXPECT_EQ(right.shiftX, 20);
    EXPECT_FALSE(right.shiftY);
    const PanShift up = panShift(5, 5, 10, 10, 10, 40, 1, view, 512, 512);
    EXPECT_EQ(up.shiftY, -25);
    // At the image's left edge there is no room to show more on the left.
    const PanShift atEdge = panShift(0, 0, 10, 10, 30, 10, 1, {0, 0, 199, 199}, 512, 512);
    EXPECT_FALSE(atEdge.shiftX);
}

TEST(MouseGeometry, WindowDragWidensRightAndLowersDown) {
    const WindowDrag w = dragWindow(100, 50, 10, 10, 13, 12, 10);
    EXPECT_EQ(w.width, 80);
    EXPECT_EQ(w.level, 80);
    EXPECT_EQ(dragWindow(100, 50, 10, 10, 0, 10, 10).width, 50);  // would not stay positive
    EXPECT_THROW(dragWindow(0, 2147483000, 0, 0, 1000, 0, 30), AppError);
}

}  // namespace
}  // namespace ctiq
