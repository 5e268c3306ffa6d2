// The status-bar lines of a run: the residual in two significant digits with a bare exponent, the
// iteration under way, the iterations of a step (one in the singular) and where a run was stopped.
#include "analysis/RunProgressText.h"

#include <cmath>
#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(RunProgressText, ResidualHasTwoDigitsAndABareExponent) {
    EXPECT_EQ(ResidualText(3.2e-4), "3.2e-4");
    EXPECT_EQ(ResidualText(3.249e-4), "3.2e-4");
    EXPECT_EQ(ResidualText(9.96e-4), "1.0e-3"); // rounding carries into the exponent
    EXPECT_EQ(ResidualText(1.5e-12), "1.5e-12");
    EXPECT_EQ(ResidualText(2.0), "2.0");
    EXPECT_EQ(ResidualText(12.0), "1.2e1");
    EXPECT_EQ(ResidualText(0.0), "0");
    EXPECT_EQ(ResidualText(NAN), "not finite");
    EXPECT_EQ(ResidualText(INFINITY), "not finite");
}

TEST(RunProgressText, StepLines) {
    EXPECT_EQ(IteratingText(37, 12, 3.2e-4), "Step 37 \u2014 iteration 12, residual 3.2e-4");
    EXPECT_EQ(StepIterationsText(37, 12, 3.2e-4), "Step 37: 12 iterations, residual 3.2e-4");
    EXPECT_EQ(StepIterationsText(1, 1, 0.0), "Step 1: 1 iteration, residual 0");
    EXPECT_EQ(StoppedText(37), "Stopped at step 37.");
    EXPECT_EQ(StoppedText(0), "Stopped at step 0.");
}

} // namespace
} // namespace torva
