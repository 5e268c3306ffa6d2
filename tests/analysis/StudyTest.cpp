// Parameter studies in the core: variants from a grid, a seeded random draw or a list; values applied
// to the model where they belong; refusals naming the parameter; runs, records, resume and the summary.
#include "analysis/StudyDefinition.h"
#include "analysis/StudyResults.h"
#include "analysis/StudyRun.h"
#include "model/ModelIo.h"
#include "support/TempDir.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace torva;
namespace fs = std::filesystem;

namespace {

std::string Example(const std::string& name) {
    return (test::SourceDir() / "examples" / name).string();
}

Study Parse(const std::string& variations, const std::string& folder = "/tmp") {
    return ParseStudy("{\"base_model\": \"" + Example("cantilever.fem") + "\", " + variations + "}", folder,
                      "s");
}

// The message of a refused study ("" when it was accepted).
std::string Refusal(const std::string& variations) {
    try {
        Parse(variations);
    } catch (const StudyError& e) {
        return e.what();
    }
    return "";
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(StudyVariants, AGridGivesEveryCombinationWithTheLastParameterFastest) {
    const Study study =
        Parse(R"("grid": {"concrete.fc_MPa": [20, 30], "rebar[1].x_area_mm2": [50, 78.54, 100]})");
    ASSERT_EQ(study.parameters, (std::vector<std::string>{"concrete.fc_MPa", "rebar[1].x_area_mm2"}));
    ASSERT_EQ(study.variants.size(), 6u);
    EXPECT_EQ(study.variants[0], (std::vector<double>{20, 50}));
    EXPECT_EQ(study.variants[1], (std::vector<double>{20, 78.54}));
    EXPECT_EQ(study.variants[3], (std::vector<double>{30, 50}));
    EXPECT_EQ(study.variants[5], (std::vector<double>{30, 100}));
    EXPECT_EQ(study.outputFolder, "/tmp/s_results");
}

TEST(StudyVariants, RandomSamplesRepeatWithTheirSeedAndLieOnTheStoredResolution) {
    const std::string draw = R"("random": {"samples": 200, "seed": SEED, "parameters":
        {"concrete.fc_MPa": {"uniform": [20, 40]}, "concrete.ft_MPa": {"normal": [2.5, 0.25]}}})";
    auto withSeed = [&](const std::string& seed) {
        std::string text = draw;
        return Parse(text.replace(text.find("SEED"), 4, seed));
    };
    const Study a = withSeed("7"), b = withSeed("7"), c = withSeed("8");
    EXPECT_EQ(a.variants, b.variants);
    EXPECT_NE(a.variants, c.variants);
    double sum = 0, sumSquares = 0;
    for (const auto& v : a.variants) {
        EXPECT_GE(v[0], 20.0);
        EXPECT_LE(v[0], 40.0);
        EXPECT_NEAR(v[0] * 100, std::round(v[0] * 100), 1e-6); // 0.01 MPa steps, as the model stores
        sum += v[1];
        sumSquares += v[1] * v[1];
    }
    const double mean = sum / 200, sd = std::sqrt(sumSquares / 200 - mean * mean);
    EXPECT_NEAR(mean, 2.5, 0.06); // four standard errors
    EXPECT_NEAR(sd, 0.25, 0.05);
}

TEST(StudyVariants, ValuesLandInEveryTypeOrInTheNamedTypeOnly) {
    const Study study =
        Parse(R"("list": {"parameters": ["concrete.fc_MPa", "rebar[2].y_fy_MPa", "loading.target_mm",
        "loading.steps_per_segment", "point_force[1].fx_N", "concrete[3].Ec_MPa"],
        "values": [[33.3, 412.5, 7.25, 40, -1500, 31000]]})");
    const auto base = study.base;
    const auto model = VariantModel(study, 0);
    for (int type = 1; type <= kTypes; ++type) EXPECT_EQ(model->Prop(kConcreteLayer, type, 4), 3330) << type;
    EXPECT_EQ(model->Prop(kRebarLayer, 2, 5), 41250);
    EXPECT_EQ(model->Prop(kRebarLayer, 1, 5), base->Prop(kRebarLayer, 1, 5));
    EXPECT_EQ(model->segmentCount, 1);
    EXPECT_EQ(model->segmentPoints[0], 0);
    EXPECT_EQ(model->segmentPoints[1], 7250);
    EXPECT_EQ(model->stepsPerSegment, 40);
    EXPECT_EQ(model->Prop(kPointForceLayer, 1, 0), -150000);
    EXPECT_EQ(model->Prop(kConcreteLayer, 3, 1), 31);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 1), base->Prop(kConcreteLayer, 1, 1));
    // Everything else is the base model's.
    EXPECT_EQ(model->nxs, base->nxs);
    EXPECT_EQ(model->controlNode, base->controlNode);
}

TEST(StudyVariants, RefusalsNameTheParameterOrTheField) {
    EXPECT_EQ(Refusal(R"("grid": {"concrete.fc_MPa": [20]})"), "");
    EXPECT_EQ(
        Refusal(R"("grid": {"concrete.fcc_MPa": [20]})").rfind("grid.concrete.fcc_MPa: unknown parameter", 0),
        0u);
    EXPECT_EQ(Refusal(R"("grid": {"slab.fc_MPa": [20]})").rfind("grid.slab.fc_MPa: unknown parameter", 0),
              0u);
    EXPECT_EQ(Refusal(R"("grid": {"rebar[12].x_area_mm2": [20]})"),
              "grid.rebar[12].x_area_mm2: type 12 of rebar[12].x_area_mm2 is not 1..11");
    EXPECT_EQ(Refusal(R"("grid": {"rebar.x_area_mm2": [50, -5]})"),
              "variant 2 (rebar.x_area_mm2 = -5): types.rebar[0].x_area_mm2: must be between 0.0 and "
              "21474836.47, found -5.0");
    EXPECT_EQ(Refusal(R"("grid": {"concrete.fc_MPa": ["20"]})"),
              "grid.concrete.fc_MPa[0]: expected a number, found a string");
    EXPECT_EQ(Refusal(R"("grid": {"concrete.fc_MPa": []})"), "grid.concrete.fc_MPa: no values");
    EXPECT_EQ(
        Refusal(R"("random": {"samples": 3, "parameters": {"concrete.fc_MPa": {"uniform": [20, 40]}}})"),
        "random.seed: missing");
    EXPECT_EQ(
        Refusal(
            R"("random": {"samples": 3, "seed": 1, "parameters": {"concrete.fc_MPa": {"uniform": [40, 20]}}})"),
        "random.parameters.concrete.fc_MPa.uniform: the low end is above the high end");
    EXPECT_EQ(Refusal(R"("list": {"parameters": ["concrete.fc_MPa"], "values": [[20, 30]]})"),
              "list.values[0]: expected 1 values, found 2");
    EXPECT_EQ(Refusal(R"("grid": {"concrete.fc_MPa": [20]}, "seed": 3)"), "seed: unknown field");
    EXPECT_EQ(Refusal(R"("output_folder": "x")"), "expected one of \"grid\", \"random\" or \"list\"");
    try {
        ParseStudy(R"({"base_model": "no-such.fem", "grid": {"concrete.fc_MPa": [20]}})", "/nowhere", "s");
        FAIL() << "accepted a missing base model";
    } catch (const StudyError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("base_model: Failed to open document.", 0), 0u) << e.what();
    }
}

TEST(StudyVariants, TheSelfContainedTextGivesTheSameStudyAndModels) {
    const Study study = Parse(R"("random": {"samples": 4, "seed": 11, "parameters":
        {"concrete.fc_MPa": {"uniform": [20, 40]}, "rebar.x_area_mm2": {"normal": [78.54, 10]}}})");
    const Study copy = ParseStudy(StudyAsText(study), "/elsewhere", "s");
    EXPECT_EQ(copy.parameters, study.parameters);
    EXPECT_EQ(copy.variants, study.variants);
    EXPECT_EQ(copy.outputFolder, study.outputFolder);
    for (std::size_t k = 0; k < study.variants.size(); ++k)
        EXPECT_EQ(WriteModelImage(*VariantModel(copy, k)), WriteModelImage(*VariantModel(study, k)));
}

TEST(StudyRuns, AVariantReportsPeakCrackingYieldAndItsRecordReadsBack) {
    const Study study = Parse(R"("list": {"parameters": ["rebar.x_fy_MPa"], "values": [[400], [100]]})");
    const VariantResult strong = RunStudyVariant(study, 0);
    const VariantResult weak = RunStudyVariant(study, 1);
    ASSERT_EQ(strong.status, 0) << strong.message;
    EXPECT_EQ(strong.failureMode, "completed");
    EXPECT_EQ(strong.steps, 50);
    ASSERT_EQ(strong.curve.size(), 50u);
    double peak = 0;
    for (const CurvePoint& p : strong.curve) peak = std::max(peak, std::fabs(p.force));
    EXPECT_EQ(std::fabs(strong.peakForce), peak);
    EXPECT_EQ(strong.finalForce, strong.curve.back().force);
    EXPECT_GT(strong.firstCrack.step, 0);
    EXPECT_EQ(strong.firstCrack.force, strong.curve[strong.firstCrack.step - 1].force);
    EXPECT_EQ(strong.firstYield.step, 0); // 400 MPa bars do not yield within the loading
    EXPECT_GT(weak.firstYield.step, strong.firstCrack.step);
    EXPECT_LT(weak.peakForce, strong.peakForce);

    VariantResult back;
    ASSERT_TRUE(ParseVariantRecord(VariantRecordText(weak), back));
    EXPECT_EQ(VariantRecordText(back), VariantRecordText(weak));
    EXPECT_EQ(back.curve.back().displacement, weak.curve.back().displacement);
    EXPECT_FALSE(ParseVariantRecord("{\"values\": [1]}", back));
    const std::string csv = VariantCurveCsv(weak);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    EXPECT_EQ(csv.substr(csv.size() - 12), ",classic,,1\n");
}

TEST(StudyRuns, AFailingVariantIsRecordedTheStudyGoesOnAndARerunResumes) {
    test::TempDir dir;
    const Study study =
        Parse(R"("list": {"parameters": ["rebar.x_spacing_mm"], "values": [[200], [0], [150]]})",
              dir.path().string());
    std::vector<std::size_t> ran;
    std::string error;
    ASSERT_TRUE(RunStudyHere(study, error, [&](std::size_t k, const VariantResult&) { ran.push_back(k); }))
        << error;
    EXPECT_EQ(ran, (std::vector<std::size_t>{0, 1, 2}));
    VariantResult failed;
    ASSERT_TRUE(LoadVariantRecord(study, 1, failed));
    EXPECT_EQ(failed.failureMode, "refused");
    EXPECT_NE(failed.message.find("spacing"), std::string::npos) << failed.message;
    EXPECT_TRUE(PendingVariants(study).empty());

    // An interrupted study: one record gone, one written for other values. Only those two run again.
    fs::remove(VariantRecordPath(study, 2));
    VariantResult first;
    ASSERT_TRUE(LoadVariantRecord(study, 0, first));
    first.values = {250};
    ASSERT_TRUE(WriteVariantFiles(study, 0, first, error));
    EXPECT_EQ(PendingVariants(study), (std::vector<std::size_t>{0, 2}));
    ran.clear();
    ASSERT_TRUE(RunStudyHere(study, error, [&](std::size_t k, const VariantResult&) { ran.push_back(k); }));
    EXPECT_EQ(ran, (std::vector<std::size_t>{0, 2}));

    StudySummary summary;
    ASSERT_TRUE(GatherStudy(study, summary, error)) << error;
    EXPECT_EQ(summary.variants, 3u);
    EXPECT_EQ(summary.completed, 2u);
    EXPECT_EQ(summary.stopped, 1u);
    EXPECT_EQ(summary.missing, 0u);
    const std::string csv = ReadText((dir.path() / "s_results" / "summary.csv").string());
    std::istringstream lines(csv);
    std::string header, row1, row2;
    std::getline(lines, header);
    std::getline(lines, row1);
    std::getline(lines, row2);
    EXPECT_EQ(header.rfind("variant,rebar.x_spacing_mm,status,failure_mode,steps,peak_force_N,", 0), 0u);
    EXPECT_EQ(row1.rfind("1,200,0,completed,50,", 0), 0u) << row1;
    EXPECT_EQ(row2.rfind("2,0,5,refused,0,", 0), 0u) << row2;
    const std::string svg = ReadText((dir.path() / "s_results" / "curves.svg").string());
    EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
    EXPECT_EQ(std::count(svg.begin(), svg.end(), '\n') > 10, true);
    std::size_t lines_ = 0;
    for (std::size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1))
        ++lines_;
    EXPECT_EQ(lines_, 2u); // the refused variant has no curve
}

TEST(StudyRuns, SummaryFieldsWithCommasAreQuotedAndMissingVariantsSaySo) {
    const Study study = Parse(R"("list": {"parameters": ["concrete.fc_MPa"], "values": [[20], [30]]})");
    std::vector<VariantResult> results(2);
    results[0].values = {20};
    results[0].failureMode = "unstable";
    results[0].message = "step 3: the structure is unstable, \"a mechanism\"";
    const std::string csv = SummaryCsv(study, results, {true, false});
    EXPECT_NE(csv.find(",\"step 3: the structure is unstable, \"\"a mechanism\"\"\"\n"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n2,30,,missing,"), std::string::npos) << csv;
}

TEST(StudyFiles, APipeOrAFolderGivenAsTheStudyIsRefusedWithoutWaiting) {
    test::TempDir dir;
    const std::string pipe = dir.file("study.json");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto refusal = [](const std::string& path) {
        try {
            LoadStudy(path);
        } catch (const StudyError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refusal(pipe), pipe + ": not a regular file");
    EXPECT_EQ(refusal(dir.path().string()), dir.path().string() + ": a folder, not a file");
    EXPECT_EQ(refusal(dir.file("missing.json")), dir.file("missing.json") + ": No such file or directory");
}
