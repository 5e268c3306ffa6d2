// The readable deformation scale: the largest displacement at 5 % of the model's larger extent, shared
// by the window (exact) and the picture export (rounded up to a power of two).
#include "analysis/DeformationScale.h"

#include "analysis/OverlayText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace torva {
namespace {

// Four nodes of a 6000 × 30000 mm wall (a bottom and a top pair).
struct Wall {
    std::vector<int32_t> x{0, 6000, 0, 6000}, y{0, 0, 30000, 30000};
    std::vector<float> disp = std::vector<float>(8, 0.0f);
    MeshView Mesh() const { return {4, 0, x.data(), y.data(), nullptr, nullptr, nullptr}; }
};

TEST(DeformationScale, TheLargestDisplacementIsDrawnAtFivePercentOfTheLargerExtent) {
    Wall wall;
    wall.disp[4] = 3.0f; // node 2 moves (3, 4): 5 mm
    wall.disp[5] = 4.0f;
    wall.disp[6] = -2.0f;
    EXPECT_DOUBLE_EQ(LargestDisplacement(wall.disp.data(), 4), 5.0);
    EXPECT_DOUBLE_EQ(ModelExtent(wall.Mesh()), 30000.0);
    EXPECT_DOUBLE_EQ(ReadableScale(wall.Mesh(), wall.disp.data()), 300.0); // 0.05 × 30000 / 5
    // The picture's power of two: 256 draws it below 5 %, 512 at or above.
    EXPECT_FLOAT_EQ(ReadablePowerOfTwo(wall.Mesh(), wall.disp.data()), 512.0f);
    EXPECT_FLOAT_EQ(ReadablePowerOfTwo(wall.Mesh(), wall.disp.data(), 4), 16.0f); // capped at 2^4
}

TEST(DeformationScale, NothingMovingOrNoModelGivesScaleOne) {
    Wall wall;
    EXPECT_DOUBLE_EQ(ReadableScale(wall.Mesh(), wall.disp.data()), 1.0);
    EXPECT_FLOAT_EQ(ReadablePowerOfTwo(wall.Mesh(), wall.disp.data()), 1.0f);
    EXPECT_DOUBLE_EQ(ReadableScale(MeshView{}, wall.disp.data()), 1.0);
    EXPECT_DOUBLE_EQ(ReadableScale(wall.Mesh(), nullptr), 1.0);
    // A displacement that is not a number leaves the scale readable rather than poisoning it.
    wall.disp[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_DOUBLE_EQ(ReadableScale(wall.Mesh(), wall.disp.data()), 1.0);
    wall.disp[0] = std::numeric_limits<float>::infinity();
    EXPECT_DOUBLE_EQ(ReadableScale(wall.Mesh(), wall.disp.data()), 1.0);
}

TEST(DeformationScale, TheOverlayShowsTheMultiplierAndTheAutomaticScale) {
    EXPECT_EQ(ScaleText(1.0f, 212.4f), "\u00D7 1.0 (auto 212)");
    EXPECT_EQ(ScaleText(2.0f, 41.06f), "\u00D7 2.0 (auto 41.1)");
    EXPECT_EQ(ScaleText(0.25f, 3.0f), "\u00D7 0.25 (auto 3)");
    EXPECT_EQ(ScaleText(0.125f, 123456.0f), "\u00D7 0.125 (auto 123456)"); // never in exponent form
    EXPECT_EQ(ScaleText(16.0f, 0.0f), "\u00D7 16.0");                      // nothing on display yet
}

} // namespace
} // namespace torva
