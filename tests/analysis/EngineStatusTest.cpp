// Checks the engine status messages: nothing for done, the failed step named only when there is one.
#include "analysis/EngineStatus.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(EngineStatusMessage, NamesTheStepOnlyWhenGiven) {
    EXPECT_EQ(EngineStatusMessage(0), "");
    EXPECT_EQ(EngineStatusMessage(0, 4), "");
    for (int status : {3, 4, 5, 9}) {
        const std::string elastic = EngineStatusMessage(status);
        const std::string step = EngineStatusMessage(status, 12);
        EXPECT_FALSE(elastic.empty()) << status;
        EXPECT_EQ(elastic.find("(step"), std::string::npos) << elastic;
        EXPECT_NE(step.find("(step 12)"), std::string::npos) << step;
    }
    EXPECT_EQ(EngineStatusMessage(4, 2).rfind("The structure is unstable: check the supports", 0), 0u);
    EXPECT_NE(EngineStatusMessage(9).find("status 9"), std::string::npos);
}

TEST(EngineStatusMessage, ACapacityRefusalSaysWhichAndByHowMuch) {
    const engine::InputRefusal profile{"skyline profile terms", 2345678, 2000000};
    EXPECT_EQ(
        EngineStatusMessage(5, 0, "", profile),
        "The model cannot be analysed: it needs 2,345,678 skyline profile terms and the analysis holds "
        "2,000,000 (345,678 too many). Rows or columns of zero size tie distant nodes together and make "
        "the profile grow.");
    EXPECT_EQ(
        EngineStatusMessage(5, 0, "", {"elements", 3601, 3600}),
        "The model cannot be analysed: it needs 3,601 elements and the analysis holds 3,600 (1 too many).");
    // Without a recorded capacity the general message stays.
    EXPECT_NE(EngineStatusMessage(5).find("its input is inconsistent"), std::string::npos);
}

TEST(EngineStatusMessage, AnAbandonedAnalysisKeepsWhatIsOnDisplay) {
    EXPECT_EQ(EngineStatusMessage(8),
              "The analysis was stopped before its end; the results on display are those of before.");
    EXPECT_NE(EngineStatusMessage(8, 3).find("stopped (step 3) before"), std::string::npos);
}

} // namespace
} // namespace torva
