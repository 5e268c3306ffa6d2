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

} // namespace
} // namespace torva
