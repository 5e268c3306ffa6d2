// The analyze command word as a user runs it: the elastic analysis, --raw and --json output, explicit
// increments, the push-over of the loading segments with its curve, and the failures with their codes.
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace torva;
using test::ProgramRun;
using test::RunTorva;

namespace {

std::string Example(const std::string& name) {
    return (test::SourceDir() / "examples" / name).string();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// An example changed by `edit` and saved into `dir`.
template <class Edit> std::string Edited(const test::TempDir& dir, const std::string& example, Edit edit) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile(Example(example), *model, error));
    edit(*model);
    const std::string path = dir.file("edited.fem");
    EXPECT_TRUE(SaveModelFile(path, *model, error));
    return path;
}

void ClearLayer(CFramePat& model, int layer) {
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y) model.Flag(x, y, layer) = 0;
}

// Values of one "key": number in a JSON text, in order.
std::vector<double> JsonValues(const std::string& json, const std::string& key) {
    std::vector<double> values;
    const std::string pattern = "\"" + key + "\": ";
    for (size_t at = json.find(pattern); at != std::string::npos; at = json.find(pattern, at + 1))
        values.push_back(std::strtod(json.c_str() + at + pattern.size(), nullptr));
    return values;
}

} // namespace

TEST(CliAnalyze, ElasticSummaryAndRawBuffer) {
    ProgramRun run = RunTorva("analyze " + Example("one-element.fem"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "status 0 (done), 1 step")) << run.output;
    EXPECT_TRUE(Contains(run.output, "largest displacement")) << run.output;
    EXPECT_TRUE(Contains(run.output, "at node 2, plan position (3, 2)")) << run.output; // the loaded corner
    EXPECT_TRUE(Contains(run.output, "smallest principal stress")) << run.output;

    // 4 nodes, 1 element: 2 + 8 + 27 values, no output block.
    ProgramRun raw = RunTorva("analyze " + Example("one-element.fem") + " --raw");
    ASSERT_EQ(raw.exitCode, 0) << raw.output;
    const std::vector<std::string> lines = Lines(raw.output);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[0], "0"); // no control displacement in the elastic mode
    // 10 kN sideways on a 500 × 500 × 100 element pinned at its base moves the top about 0.02 mm.
    EXPECT_GT(std::stod(lines[4]), 0.01);
    EXPECT_LT(std::stod(lines[4]), 0.05);
    EXPECT_EQ(std::stod(lines[6]), 0.0); // node 3, pinned at the base
    EXPECT_EQ(std::stod(lines[7]), 0.0);
}

TEST(CliAnalyze, IncrementsPrintOneBlockPerCall) {
    ProgramRun run = RunTorva("analyze " + Example("cantilever.fem") + " --raw --increments=-0.5,1");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> lines = Lines(run.output);
    // 33 nodes, 20 elements: 2 + 66 + 540 = 608 values a block.
    ASSERT_EQ(lines.size(), 3u * 609u);
    EXPECT_EQ(lines[0], "# call 1 step 1 status 0");
    EXPECT_EQ(lines[609], "# call 2 step 2 status 0");
    EXPECT_EQ(lines[1218], "# call 3 step 3 status 0");
    // The control node (tip, y) moves by exactly the increments.
    EXPECT_NEAR(std::stod(lines[1219]) - std::stod(lines[610]), 1.0, 1e-9);
    // The same with a space before the list.
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --raw --increments -0.5,1").output,
              run.output);
}

TEST(CliAnalyze, JsonReportWithOutputElements) {
    ProgramRun run = RunTorva("analyze " + Example("cantilever.fem") +
                              " --json --increments 0.2 --output-element 2,2 --output-element 11,3");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"status\": 0,"));
    EXPECT_TRUE(Contains(run.output, "\"steps\": 2,"));
    EXPECT_EQ(JsonValues(run.output, "ux").size(), 33u);
    EXPECT_TRUE(Contains(run.output, "\"output\": {\"element\": 1, \"position\": [2, 2]"))
        << run.output.substr(0, 400);
    // The history has one row of 72 normalised values per call.
    const size_t history = run.output.find("\"history\": [");
    ASSERT_NE(history, std::string::npos);
    const std::string rows = run.output.substr(history);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), ','), 2 * 71 + 1);
    // --active-output picks the second one.
    ProgramRun second = RunTorva("analyze " + Example("cantilever.fem") +
                                 " --json --output-element 2,2 --output-element=11,3 --active-output 11,3");
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_TRUE(Contains(second.output, "\"position\": [11, 3], \"discrete\": 0, \"history\""));
}

TEST(CliAnalyze, JointOutputAndTiedNodesFollowTheirMasters) {
    // joint-wall: a zero-width joint column at plan x = 6; its right nodes (x = 7) are tied in y.
    ProgramRun run = RunTorva("analyze " + Example("joint-wall.fem") + " --json --output-element 6,3");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const size_t history = run.output.find("\"history\": [");
    ASSERT_NE(history, std::string::npos);
    const std::string rows = run.output.substr(history);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), ','), 7); // 8 spring values
    std::vector<std::string> nodes;
    for (const std::string& line : Lines(run.output))
        if (Contains(line, "\"node\": ")) nodes.push_back(line);
    for (int y = 2; y <= 7; ++y) {
        double left[2] = {0, 0}, right[2] = {0, 0};
        for (const std::string& line : nodes) {
            const std::vector<double> u = {JsonValues(line, "ux")[0], JsonValues(line, "uy")[0]};
            if (Contains(line, "[6, " + std::to_string(y) + "]")) left[0] = u[0], left[1] = u[1];
            if (Contains(line, "[7, " + std::to_string(y) + "]")) right[0] = u[0], right[1] = u[1];
        }
        EXPECT_EQ(right[1], left[1]) << "row " << y; // tied: the same y displacement
        EXPECT_NE(left[1], 0.0) << "row " << y;
        EXPECT_NE(right[0], left[0]) << "row " << y; // x goes through the springs
    }
}

TEST(CliAnalyze, PushoverRunsTheLoadingSegmentsAndWritesTheCurve) {
    test::TempDir dir;
    ProgramRun run =
        RunTorva("analyze " + Example("cantilever.fem") + " --pushover --curve " + dir.file("c.csv"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "50 steps")) << run.output;
    std::ifstream in(dir.file("c.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[0], "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    double previous = 0;
    for (int k = 1; k <= 50; ++k) {
        int step;
        double u, f;
        ASSERT_EQ(std::sscanf(lines[k].c_str(), "%d,%lf,%lf", &step, &u, &f), 3) << lines[k];
        EXPECT_EQ(step, k);
        EXPECT_EQ(lines[k].substr(lines[k].find(",classic,")), ",classic,,1") << lines[k];
        EXPECT_TRUE(std::isfinite(f));
        if (k > 1) {
            EXPECT_NEAR(u - previous, 0.1, 2e-6); // 5 mm in 50 steps, recorded as the window does: floats
        }
        previous = u;
    }
    // --raw prints one block per call.
    ProgramRun raw = RunTorva("analyze " + Example("cantilever.fem") + " --pushover --raw");
    ASSERT_EQ(raw.exitCode, 0);
    EXPECT_TRUE(Contains(raw.output, "# call 1 step 1 status 0\n"));
    EXPECT_TRUE(Contains(raw.output, "# call 50 step 50 status 0\n"));
}

TEST(CliAnalyze, TheCurveCarriesTheOutputElementsHistoriesBesideIt) {
    test::TempDir dir;
    ProgramRun run = RunTorva("analyze " + Example("cantilever.fem") +
                              " --pushover --output-element 11,2 --curve " + dir.file("tip.csv"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::ifstream in(dir.file("tip_element.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 51u); // a header and the 50 steps
    EXPECT_EQ(lines[0].rfind("step,gp1_concrete_stress_1,gp1_concrete_strain_1,", 0), 0u) << lines[0];
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ','), 72); // 8 values of 9 Gauss points
    EXPECT_EQ(lines[50].rfind("50,", 0), 0u);
    // Without an output element there is no element file; an elastic analysis has no curve rows.
    ProgramRun plain =
        RunTorva("analyze " + Example("cantilever.fem") + " --curve " + dir.file("elastic.csv"));
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    std::ifstream elastic(dir.file("elastic.csv"));
    std::string header, row;
    std::getline(elastic, header);
    EXPECT_EQ(header, "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    EXPECT_FALSE(std::getline(elastic, row));
    EXPECT_FALSE(std::filesystem::exists(dir.file("elastic_element.csv")));
    // Explicit increments: step 1 is the elastic call, then one row per push-over call.
    ProgramRun steps = RunTorva("analyze " + Example("cantilever.fem") + " --increments 0.5,0.5 --curve " +
                                dir.file("steps.csv"));
    ASSERT_EQ(steps.exitCode, 0) << steps.output;
    std::ifstream stepped(dir.file("steps.csv"));
    lines.clear();
    for (std::string line; std::getline(stepped, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "1,0,0,classic,,1");
    EXPECT_EQ(lines[3].rfind("3,", 0), 0u);
}

TEST(CliAnalyze, ExampleShearWallPushoverRunsToItsEnd) {
    ProgramRun run = RunTorva("analyze " + Example("shear-wall.fem") + " --pushover --json");
    ASSERT_EQ(run.exitCode, 0) << run.output.substr(0, 300);
    EXPECT_TRUE(Contains(run.output, "\"steps\": 100,"));
    EXPECT_FALSE(Contains(run.output, "null")); // no NaN or infinity anywhere
    const std::vector<double> u = JsonValues(run.output, "controlDisplacement");
    ASSERT_EQ(u.size(), 100u);
    EXPECT_NEAR(u.back() - u.front(), 9.9, 1e-6);
}

TEST(CliAnalyze, FailuresAreExplainedWithTheirExitCodes) {
    test::TempDir dir;
    // No supports: unstable.
    ProgramRun unstable =
        RunTorva("analyze " + Edited(dir, "one-element.fem", [](CFramePat& m) { ClearLayer(m, 1); }));
    EXPECT_EQ(unstable.exitCode, 2);
    EXPECT_TRUE(Contains(unstable.output, "The structure is unstable: check the supports"))
        << unstable.output;
    EXPECT_FALSE(Contains(unstable.output, "largest displacement"));
    // No point loads: the control node does not respond at step 1; the (empty) curve is still written.
    const std::string unloaded = Edited(dir, "cantilever.fem", [](CFramePat& m) { ClearLayer(m, 0); });
    ProgramRun none = RunTorva("analyze " + unloaded + " --pushover --curve " + dir.file("none.csv"));
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(Contains(none.output, "does not respond to the loads (step 1)")) << none.output;
    EXPECT_TRUE(std::filesystem::exists(dir.file("none.csv")));
    // No control node, or no movement in the segments: refused before the engine runs.
    ProgramRun noControl = RunTorva("analyze " + Example("one-element.fem") + " --pushover");
    EXPECT_EQ(noControl.exitCode, 1);
    EXPECT_TRUE(Contains(noControl.output, "ERROR: Please select control node."));
    EXPECT_EQ(RunTorva("analyze " + Example("one-element.fem") + " --increments 0.1").exitCode, 1);
    const std::string still = Edited(dir, "cantilever.fem", [](CFramePat& m) { m.segmentPoints[1] = 0; });
    ProgramRun nowhere = RunTorva("analyze " + still + " --pushover");
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_TRUE(Contains(nowhere.output, "would not move the control node")) << nowhere.output;
    // A model the check refuses.
    ProgramRun empty =
        RunTorva("analyze " + Edited(dir, "one-element.fem", [](CFramePat& m) { ClearLayer(m, 2); }));
    EXPECT_EQ(empty.exitCode, 1);
    // Options.
    EXPECT_EQ(RunTorva("analyze").exitCode, 1);
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --fast").exitCode, 1);
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --increments 1,x").exitCode, 1);
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --pushover --increments 1").exitCode, 1);
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --control-direction z").exitCode, 1);
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --output-element 40,40").exitCode, 1);
    ProgramRun second =
        RunTorva("analyze " + Example("cantilever.fem") + " --output-element 2,2 --output-element 2,9");
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(Contains(second.output, "no element at plan position (2, 9)")) << second.output;
    EXPECT_EQ(RunTorva("analyze " + Example("cantilever.fem") + " --output-element 2,2 --active-output 3,3")
                  .exitCode,
              1);
}

TEST(CliAnalyze, ControlDirectionOverride) {
    // The cantilever is pushed in y; in x its tip barely responds to the vertical load pattern.
    ProgramRun y = RunTorva("analyze " + Example("cantilever.fem") + " --json --increments 0.1");
    ProgramRun x =
        RunTorva("analyze " + Example("cantilever.fem") + " --json --increments 0.1 --control-direction x");
    ASSERT_EQ(y.exitCode, 0);
    ASSERT_EQ(x.exitCode, 0) << x.output.substr(0, 300);
    const double uy = JsonValues(y.output, "controlDisplacement").back();
    const double ux = JsonValues(x.output, "controlDisplacement").back();
    EXPECT_NE(ux, uy);
}

// Checks the iterative method on the command line: the method in the JSON report and the curve file,
// each step's load factor and iterations, the Gauss-point states, equilibrium of the reported force.
TEST(CliAnalyze, IterativeMethodReportsItsStepsAndPoints) {
    test::TempDir dir;
    ProgramRun run = RunTorva("analyze " + Example("joint-wall.fem") +
                              " --pushover --method=mcft --json --curve " + dir.file("c.csv"));
    ASSERT_EQ(run.exitCode, 0) << run.output.substr(0, 400);
    EXPECT_TRUE(Contains(run.output, "\"method\": \"mcft\",")) << run.output.substr(0, 300);
    EXPECT_TRUE(Contains(run.output, "\"steps\": 50,"));
    EXPECT_FALSE(Contains(run.output, "null"));
    EXPECT_TRUE(Contains(run.output, "\"condition\": \"cracked\""));
    const std::vector<double> force = JsonValues(run.output, "controlForce");
    const std::vector<double> factor = JsonValues(run.output, "loadFactor");
    const std::vector<double> iterations = JsonValues(run.output, "iterations");
    ASSERT_EQ(force.size(), 50u);
    ASSERT_EQ(factor.size(), 50u);
    ASSERT_EQ(iterations.size(), 50u);
    for (size_t k = 0; k < force.size(); ++k) {
        // The pattern is 50 kN at the control node.
        EXPECT_NEAR(force[k], 50000.0 * factor[k], 2e-3 * std::fabs(force[k])) << "step " << k + 1;
        EXPECT_GE(iterations[k], 1.0);
    }
    std::ifstream in(dir.file("c.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[0], "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    EXPECT_TRUE(Contains(lines[50], ",mcft,")) << lines[50];
    // The classic method keeps its report: no load factors there.
    ProgramRun classic =
        RunTorva("analyze " + Example("joint-wall.fem") + " --pushover --method=classic --json");
    ASSERT_EQ(classic.exitCode, 0);
    EXPECT_TRUE(Contains(classic.output, "\"method\": \"classic\","));
    EXPECT_FALSE(Contains(classic.output, "loadFactor"));
}

// Checks that the iterative method refuses reversed increments before any analysis, and that the
// method is named correctly.
TEST(CliAnalyze, IterativeMethodRefusesReversedLoading) {
    ProgramRun reversed =
        RunTorva("analyze " + Example("cantilever.fem") + " --method=mcft --increments=0.5,-0.5");
    EXPECT_EQ(reversed.exitCode, 1);
    EXPECT_TRUE(Contains(reversed.output, "supports monotonic loading only: increment 2 reverses"))
        << reversed.output;
    ProgramRun classic =
        RunTorva("analyze " + Example("cantilever.fem") + " --method=classic --increments=0.5,-0.5");
    EXPECT_EQ(classic.exitCode, 0) << classic.output;
    ProgramRun bad = RunTorva("analyze " + Example("cantilever.fem") + " --method=newton");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(Contains(bad.output, "--method is mcft or classic")) << bad.output;
}

TEST(CliAnalyze, ADegenerateModelIsRefusedNamingTheProfileItWouldNeed) {
    // 60 × 43 elements with every row of zero height: the joints of the zero-height rows tie the node
    // lines of the whole height together, so the profile outgrows the 2,000,000 terms the analysis
    // holds. Refused with status 5, saying which capacity and by how much.
    test::TempDir dir;
    auto model = std::make_unique<CFramePat>();
    model->nxs = 60 + 2;
    model->nys = 43 + 2;
    model->Reset();
    model->SpanLengthOf(kAxisY, 2) = 0;
    for (int line = 2; line < model->nys; ++line) model->SpanTypeOf(kAxisY, line) = 2;
    for (int x = 2; x < model->nxs; ++x)
        for (int y = 2; y < model->nys; ++y) model->Flag(x, y, kConcreteLayer) = 1;
    // Supported along the left edge: the x dofs of every other column follow one free master each.
    for (int y = 2; y <= model->nys; ++y) model->Flag(2, y, kBoundaryLayer) = 1;
    model->Flag(2, 2, kPointForceLayer) = 1;
    FileError error;
    const std::string path = dir.file("degenerate.fem");
    ASSERT_TRUE(SaveModelFile(path, *model, error));

    ProgramRun run = RunTorva("analyze " + path);
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "torva_fem: status 5 (input refused): The model cannot be analysed"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "skyline profile terms and the analysis holds 2,000,000 ("))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "Rows or columns of zero size")) << run.output;
    EXPECT_FALSE(Contains(run.output, "larger than the analysis can hold or its input is inconsistent"));
}
