// The view's drag: every move gives the pixels since the previous point (not since the press), so a
// drag in several moves zooms or pans by its whole path; no move counts outside a press and release.
#include "analysis_view/DragGesture.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(DragGesture, MovesCountFromThePreviousPointOnlyWhileAButtonIsHeld) {
    DragGesture drag;
    DragMove move{99, 99};
    EXPECT_FALSE(drag.Move(10, 10, move));
    EXPECT_EQ(move.dx, 99); // untouched
    EXPECT_FALSE(drag.Release());

    drag.Press(100, 100);
    EXPECT_TRUE(drag.Active());
    ASSERT_TRUE(drag.Move(110, 95, move));
    EXPECT_EQ(move.dx, 10);
    EXPECT_EQ(move.dy, -5);
    ASSERT_TRUE(drag.Move(130, 95, move));
    EXPECT_EQ(move.dx, 20);
    EXPECT_EQ(move.dy, 0);
    EXPECT_TRUE(drag.Release());
    EXPECT_FALSE(drag.Release());
    EXPECT_FALSE(drag.Move(300, 300, move));

    // A new press starts from its own point.
    drag.Press(0, 0);
    ASSERT_TRUE(drag.Move(-3, 4, move));
    EXPECT_EQ(move.dx, -3);
    EXPECT_EQ(move.dy, 4);
}

} // namespace
} // namespace torva
