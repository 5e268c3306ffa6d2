// The validation suite: every published panel test under validation/panels is analysed to its peak
// with the iterative method's concrete model, the table of tested against predicted strengths and
// failure modes is written to the build folder, and the targets are checked: mean test/predicted
// strength within 0.9-1.1, coefficient of variation at most 15 %, the right failure mode for each
// panel and the right trend along each series where one reinforcement ratio varies.
#include "PanelData.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace torva::validation {
namespace {

std::filesystem::path FromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

struct Prediction {
    PanelTest test;
    PanelResult result;
};

const std::vector<Prediction>& Predictions() {
    static const std::vector<Prediction> predictions = [] {
        std::vector<Prediction> all;
        const auto folder =
            FromEnvironment("TORVA_SOURCE_DIR", TORVA_VALIDATION_SOURCE_DIR) / "validation" / "panels";
        for (const PanelTest& t : ReadPanelTests(folder))
            all.push_back({t, AnalysePanel(t.Material(), t.path)});
        return all;
    }();
    return predictions;
}

std::string Format(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Writes the table (Markdown) beside the test program, for docs/validation.md.
void WriteTable(const std::filesystem::path& file) {
    std::ofstream out(file);
    out << "| series | panel | fc | rho_x | fy_x | rho_y | fy_y | sx/v | sy/v | v test | v predicted | "
           "test/predicted "
           "| mode test | mode predicted | iterations |\n";
    out << "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
    for (const Prediction& p : Predictions()) {
        const PanelTest& t = p.test;
        const PanelResult& r = p.result;
        out << "| " << t.series << " | " << t.panel << " | " << Format(t.fc, 1) << " | "
            << Format(100 * t.Ratio(0), 2) << "% | " << Format(t.fy[0], 0) << " | "
            << Format(100 * t.Ratio(1), 2) << "% | " << Format(t.fy[1], 0) << " | "
            << Format(t.path.normalPerShear[0], 2) << " | " << Format(t.path.normalPerShear[1], 2) << " | "
            << (t.testedStrength ? Format(*t.testedStrength, 2) : "–") << " | " << Format(r.strength, 2)
            << " | " << (t.testedStrength ? Format(*t.testedStrength / r.strength, 3) : "–") << " | "
            << (t.testedMode.empty() ? "–" : t.testedMode) << " | " << r.Mode() << " | " << r.maxIterations
            << " |\n";
    }
}

// The inputs as the files give them: two layers of bars per direction, and the concrete relations
// where a test reports no peak strain or modulus (numbers worked out by hand).
TEST(PanelData, RatiosAndConcreteDefaults) {
    const auto& a2 = *std::find_if(Predictions().begin(), Predictions().end(),
                                   [](const Prediction& p) { return p.test.panel == "A2"; });
    EXPECT_NEAR(a2.test.Ratio(0), 2 * 176.715 / (166.43 * 178), 1e-6); // M15 bars, 1.19 %
    EXPECT_NEAR(DefaultModulus(42.2), 28467.23, 0.01);
    EXPECT_NEAR(DefaultPeakStrain(42.2), 0.0021319, 1e-6);
    EXPECT_EQ(a2.test.Material().ft, 0); // 0.33 sqrt(fc) in the model
}

// Equal bars in pure shear: at the crack the bars carry f1 and the applied shear together, so
// the crack check caps the strength at rho fy, whatever the tension stiffening between cracks.
TEST(PanelAnalysis, EqualBarsInPureShearReachExactlyTheirYieldForce) {
    engine::McftMaterial m;
    m.fc = 40;
    m.eps0 = 0.002;
    m.aggregate = 20;
    m.bars[0] = m.bars[1] = {0.008, 420, 200000, 0, 150};
    const PanelResult r = AnalysePanel(m, {});
    EXPECT_TRUE(r.converged);
    EXPECT_NEAR(r.strength, 0.008 * 420, 2e-3); // the secant floor of an open crack adds ~1e-3
    EXPECT_EQ(r.Mode(), "YXY");
    // Without bars crossing the crack the panel keeps only its cracking strength.
    m.bars[0].rho = m.bars[1].rho = 0;
    EXPECT_LT(AnalysePanel(m, {}).strength, 0.33 * std::sqrt(40.0) * 1.01);
}

TEST(PanelValidation, EveryPanelIsAnalysedPastItsPeak) {
    ASSERT_FALSE(Predictions().empty());
    for (const Prediction& p : Predictions()) {
        EXPECT_TRUE(p.result.converged) << p.test.panel;
        EXPECT_TRUE(std::isfinite(p.result.strength) && p.result.strength > 0) << p.test.panel;
    }
    const auto file =
        FromEnvironment("TORVA_BINARY_DIR", TORVA_VALIDATION_BINARY_DIR) / "validation_panels.md";
    WriteTable(file);
    std::cout << "table: " << file.string() << "\n";
}

TEST(PanelValidation, MeanAndScatterOfTestedOverPredictedStrength) {
    std::vector<double> ratios;
    for (const Prediction& p : Predictions())
        if (p.test.testedStrength) ratios.push_back(*p.test.testedStrength / p.result.strength);
    if (ratios.empty()) GTEST_SKIP() << "no tested strength recorded in validation/panels";
    double mean = 0;
    for (double r : ratios) mean += r;
    mean /= ratios.size();
    double variance = 0;
    for (double r : ratios) variance += (r - mean) * (r - mean);
    const double cov = ratios.size() > 1 ? std::sqrt(variance / (ratios.size() - 1)) / mean : 0;
    std::cout << ratios.size() << " panels: mean test/predicted " << mean << ", CoV " << cov << "\n";
    EXPECT_GE(mean, 0.9);
    EXPECT_LE(mean, 1.1);
    EXPECT_LE(cov, 0.15);
}

TEST(PanelValidation, FailureModeOfEachPanel) {
    int compared = 0;
    for (const Prediction& p : Predictions()) {
        if (p.test.testedMode.empty()) continue;
        ++compared;
        EXPECT_EQ(p.result.Mode(), p.test.testedMode) << p.test.series << " " << p.test.panel;
    }
    if (compared == 0) GTEST_SKIP() << "no tested failure mode recorded in validation/panels";
}

// Along a series where one reinforcement ratio grows, the predicted strength grows with it, and
// it orders the panels as the tests did where the tested strengths are recorded.
TEST(PanelValidation, TrendAlongEachSeries) {
    std::map<std::string, std::vector<const Prediction*>> groups;
    for (const Prediction& p : Predictions())
        for (const std::string& trend : p.test.trends) groups[p.test.series + "/" + trend].push_back(&p);
    ASSERT_FALSE(groups.empty());
    for (auto& [name, members] : groups) {
        std::sort(members.begin(), members.end(), [](const Prediction* a, const Prediction* b) {
            return a->test.Ratio(0) + a->test.Ratio(1) < b->test.Ratio(0) + b->test.Ratio(1);
        });
        for (size_t i = 1; i < members.size(); ++i) {
            const Prediction &low = *members[i - 1], &high = *members[i];
            EXPECT_GT(high.result.strength, low.result.strength)
                << name << ": " << low.test.panel << " → " << high.test.panel;
            if (low.test.testedStrength && high.test.testedStrength) {
                EXPECT_EQ(*high.test.testedStrength > *low.test.testedStrength,
                          high.result.strength > low.result.strength)
                    << name << ": " << low.test.panel << " → " << high.test.panel;
            }
        }
    }
}

} // namespace
} // namespace torva::validation
