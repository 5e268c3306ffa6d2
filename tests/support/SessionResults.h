// Reading a session's results in tests, and the results of a session that never saw another model.
#pragma once

#include "analysis/Session.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace torva::test {

inline std::vector<double> Values(const analysis::Session& session) {
    const auto values = session.Results().Values();
    return {values.begin(), values.end()};
}

inline std::vector<double> FreshResults(const CFramePat& model, engine::AnalysisMethod method) {
    analysis::Session fresh;
    fresh.SetMethod(method);
    int status = -1;
    std::string refusal;
    EXPECT_TRUE(fresh.RunElastic(model, status, refusal)) << refusal;
    EXPECT_EQ(status, 0);
    return Values(fresh);
}

} // namespace torva::test
