// torva_fem analyze MODEL.fem [options]: the analysis without the window. The elastic analysis is the
// call "Analyze" makes (mode 1, step 0, increment 0); --increments adds one push-over call per value;
// --pushover runs the model's loading segments instead.
#include "analysis/AnalysisCheck.h"
#include "analysis/AnalysisScene.h"
#include "analysis/CurveExport.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/EngineStatus.h"
#include "analysis/Mesh.h"
#include "analysis/MethodNames.h"
#include "analysis/PushoverDriver.h"
#include "analysis/ResultSummary.h"
#include "analysis/Session.h"
#include "cli/AnalyzePicture.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "drawing/PictureFile.h"
#include "engine/Engine.h"
#include "model/AtomicFile.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace torva::cli {
namespace {

using Options = AnalyzeOptions;
using Position = PlanPosition;

// One engine call and what it left.
std::string Number(double value);

struct Call {
    int mode = 0, step = 0, status = 0;
    double increment = 0, displacement = 0, force = 0;
    std::vector<double> output; // the output element's block
    // The iterative method's record of the step (iterations 0 for the classic method).
    double loadFactor = 0, residual = 0;
    int iterations = 0;
};

// The first increment (counted from 1) against the direction of those before it, 0 for none.
int FirstReversedIncrement(const std::vector<double>& increments) {
    int direction = 0;
    for (size_t k = 0; k < increments.size(); ++k) {
        const int sign = increments[k] > 0 ? 1 : increments[k] < 0 ? -1 : 0;
        if (sign != 0 && direction != 0 && sign != direction) return int(k) + 1;
        if (sign != 0) direction = sign;
    }
    return 0;
}

// The Gauss-point states of the iterative method, one object a point.
std::string JsonPoints(const engine::Engine& engine, int element) {
    static const char* const kConditions[] = {"uncracked", "cracked", "past peak", "crushed"};
    std::string j = "[";
    for (int g = 1; g <= engine::kGaussPoints; ++g) {
        const engine::McftPoint& p = engine.Iterative()->Point(element, g);
        j += std::string(g > 1 ? ", " : "") + "{\"e1\": " + Number(p.e1) + ", \"e2\": " + Number(p.e2) +
             ", \"f1\": " + Number(p.f1) + ", \"f2\": " + Number(p.f2) + ", \"theta\": " + Number(p.theta) +
             ", \"crackWidth\": " + Number(p.crackWidth) + ", \"condition\": \"" +
             kConditions[std::clamp(int(p.condition), 0, 3)] + "\", \"barStrain\": [" +
             Number(p.barStrain[0]) + ", " + Number(p.barStrain[1]) + "], \"barStress\": [" +
             Number(p.barStress[0]) + ", " + Number(p.barStress[1]) + "], \"yielded\": [" +
             (p.yielded[0] ? "true" : "false") + ", " + (p.yielded[1] ? "true" : "false") + "]}";
    }
    return j + "]";
}

Call Record(const engine::Engine& engine, int mode, double increment, int step, int status) {
    const engine::ResultView results = engine.Results();
    Call call{mode, step, status, increment, results.ControlDisplacement(), results.ControlForce(), {}};
    if (engine.Method() == engine::AnalysisMethod::Mcft && engine.Iterative() &&
        status == engine::kStatusDone) {
        const engine::IterativeStepRecord& record = engine.Iterative()->LastRecord();
        call.loadFactor = record.loadFactor;
        call.residual = record.residual;
        call.iterations = record.iterations;
    }
    const std::span<const double> used = results.Values();
    call.output.assign(used.begin() + results.Layout().OutputBegin(), used.end());
    return call;
}

std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The used part of the result buffer, one value a line.
void PrintRaw(const engine::ResultView& results) {
    std::string text;
    text.reserve(results.Values().size() * 24);
    char line[40];
    for (const double value : results.Values()) {
        std::snprintf(line, sizeof line, "%.17g\n", value);
        text += line;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void PrintBlockHeader(int call, int step, int status) {
    std::printf("# call %d step %d status %d\n", call, step, status);
}

std::string StatusWord(int status) {
    switch (status) {
    case engine::kStatusDone:
        return "done";
    case engine::kStatusNoResponse:
        return "the control node does not respond";
    case engine::kStatusUnstable:
        return "unstable";
    case engine::kStatusNotFinite:
        return "not finite";
    case engine::kStatusNotConverged:
        return "not converged";
    default:
        return "input refused";
    }
}

// A string as JSON, escaped by the library; bytes that are no UTF-8 (a file name may hold any) become
// U+FFFD instead of making the report invalid.
std::string JsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonReport(const Options& o, const Mesh& mesh, const engine::Engine& engine,
                       const engine::ResultView& results, const std::vector<Call>& calls,
                       const std::string& message) {
    std::string j = "{\n";
    const int status = calls.empty() ? 0 : calls.back().status;
    int steps = 0;
    for (const Call& c : calls)
        if (c.status == engine::kStatusDone) steps = c.step;
    const bool iterative = engine.Method() == engine::AnalysisMethod::Mcft && engine.Iterative();
    j += "  \"model\": " + JsonString(o.model) + ",\n";
    j += std::string("  \"method\": \"") + MethodKey(engine.Method()) + "\",\n";
    j += "  \"analysis\": \"" +
         std::string(o.pushover        ? "pushover"
                     : o.hasIncrements ? "increments"
                                       : "elastic") +
         "\",\n";
    j += "  \"status\": " + std::to_string(status) + ",\n";
    j += "  \"steps\": " + std::to_string(steps) + ",\n";
    j += "  \"message\": " + JsonString(message) + ",\n";
    j += "  \"calls\": [";
    for (size_t k = 0; k < calls.size(); ++k) {
        const Call& c = calls[k];
        j += std::string(k ? ",\n" : "\n") + "    {\"call\": " + std::to_string(k + 1) +
             ", \"mode\": " + std::to_string(c.mode) + ", \"step\": " + std::to_string(c.step) +
             ", \"status\": " + std::to_string(c.status) + ", \"increment\": " + Number(c.increment) +
             ", \"controlDisplacement\": " + Number(c.displacement) +
             ", \"controlForce\": " + Number(c.force) +
             (iterative ? ", \"loadFactor\": " + Number(c.loadFactor) + ", \"iterations\": " +
                              std::to_string(c.iterations) + ", \"residual\": " + Number(c.residual)
                        : std::string()) +
             "}";
    }
    j += "\n  ],\n  \"nodes\": [";
    for (int k = 0; k < mesh.nodeCount; ++k) {
        int x, y;
        NodePlanPosition(mesh, k, x, y);
        j += std::string(k ? ",\n" : "\n") + "    {\"node\": " + std::to_string(k + 1) + ", \"position\": [" +
             std::to_string(x) + ", " + std::to_string(y) + "], \"x\": " + std::to_string(mesh.nodeX[k]) +
             ", \"y\": " + std::to_string(mesh.nodeY[k]) + ", \"ux\": " + Number(results.Displacement(k, 0)) +
             ", \"uy\": " + Number(results.Displacement(k, 1)) + "}";
    }
    j += "\n  ],\n  \"elements\": [";
    for (int e = 0; e < mesh.elementCount; ++e) {
        int x, y;
        ElementPlanPosition(mesh, e, x, y);
        j += std::string(e ? ",\n" : "\n") + "    {\"element\": " + std::to_string(e + 1) +
             ", \"position\": [" + std::to_string(x) + ", " + std::to_string(y) +
             "], \"discrete\": " + std::to_string(mesh.elemDiscrete[e]) + ", \"principal\": [";
        for (int g = 0; g < 9; ++g) {
            j += std::string(g ? ", " : "") + "[" + Number(results.Gauss(e, g, 0)) + ", " +
                 Number(results.Gauss(e, g, 1)) + ", " + Number(results.Gauss(e, g, 2)) + "]";
        }
        j += "]";
        if (iterative && mesh.elemDiscrete[e] == 0) j += ", \"points\": " + JsonPoints(engine, e + 1);
        j += "}";
    }
    j += "\n  ]";
    if (engine.OutputElementNumber() != 0) {
        int x, y;
        ElementPlanPosition(mesh, engine.OutputElementNumber() - 1, x, y);
        j += ",\n  \"output\": {\"element\": " + std::to_string(engine.OutputElementNumber()) +
             ", \"position\": [" + std::to_string(x) + ", " + std::to_string(y) +
             "], \"discrete\": " + std::to_string(engine.Element(engine.OutputElementNumber()).discrete) +
             ", \"history\": [";
        bool first = true;
        for (const Call& c : calls) {
            if (c.status != engine::kStatusDone) continue;
            j += std::string(first ? "\n" : ",\n") + "    [";
            for (size_t v = 0; v < c.output.size(); ++v) j += (v ? ", " : "") + Number(c.output[v]);
            j += "]";
            first = false;
        }
        j += "\n  ]}";
    }
    return j + "\n}\n";
}

void PrintSummary(const Mesh& mesh, const engine::ResultView& results, const std::vector<Call>& calls,
                  bool pushover) {
    const Call& last = calls.back();
    int steps = 0;
    for (const Call& c : calls)
        if (c.status == engine::kStatusDone) steps = c.step;
    std::printf("status %d (%s), %d step%s\n", last.status, StatusWord(last.status).c_str(), steps,
                steps == 1 ? "" : "s");
    const ResultSummary s = SummariseResults(mesh, results);
    std::printf("largest displacement %.4g mm (ux %.4g, uy %.4g) at node %d, plan position (%d, %d)\n",
                s.displacement, s.ux, s.uy, s.node, s.nodeX, s.nodeY);
    if (s.maxElement != 0) {
        std::printf("largest principal stress %.4g N/mm2 at element %d (%d, %d), Gauss point %d\n",
                    s.maxStress, s.maxElement, s.maxX, s.maxY, s.maxGauss);
        std::printf("smallest principal stress %.4g N/mm2 at element %d (%d, %d), Gauss point %d\n",
                    s.minStress, s.minElement, s.minX, s.minY, s.minGauss);
    }
    bool pushed = pushover;
    for (const Call& c : calls) pushed = pushed || c.mode == engine::kPushoverMode;
    if (pushed) {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->status == engine::kStatusDone && it->mode == engine::kPushoverMode) {
                std::printf("control displacement %.6g mm, control force %.6g N\n", it->displacement,
                            it->force);
                break;
            }
    }
}

// The output files are checked before the analysis, which may run for minutes, not after it.
bool CheckOutputPaths(const Options& o, std::string& error) {
    if (!o.curve.empty() &&
        (!CheckWritable(o.curve, error) || !CheckWritable(OutputElementCsvPath(o.curve), error)))
        return false;
    if (!o.picture.empty() && (!CheckPictureName(o.picture, error) || !CheckWritable(o.picture, error)))
        return false;
    return true;
}

} // namespace

int CommandAnalyze(const Arguments& args) {
    Options o;
    std::string error;
    if (!ParseAnalyzeOptions(args, o, error)) return Fail(error + "\n" + kAnalyzeUsage);
    if (!CheckOutputPaths(o, error)) return Fail(error);

    auto model = std::make_unique<CFramePat>();
    FileError fileError;
    if (!LoadModel(o.model, *model, fileError)) return Fail(fileError);
    if (o.controlDirection != 0) model->ctrlDirection = o.controlDirection;
    // Output elements fill the slots in order; the first (or --active-output) is the active one.
    for (int slot = 0; slot < kOutputSlots; ++slot) model->outputElements[slot] = -1;
    model->outputCount = int(o.outputs.size());
    for (size_t k = 0; k < o.outputs.size(); ++k)
        model->outputElements[k] = PositionCode(o.outputs[k].first, o.outputs[k].second);
    model->activeOutput = o.outputs.empty() ? -1 : model->outputElements[0];
    if (o.hasActive) {
        const int code = PositionCode(o.active.first, o.active.second);
        bool listed = false;
        for (size_t k = 0; k < o.outputs.size(); ++k) listed = listed || model->outputElements[k] == code;
        if (!listed) return Fail("--active-output must name one of the --output-element positions");
        model->activeOutput = code;
    }

    if (o.method == engine::AnalysisMethod::Mcft && o.hasIncrements) {
        const int reversal = FirstReversedIncrement(o.increments);
        if (reversal != 0)
            return Fail(
                "The iterative method (MCFT) supports monotonic loading only: increment " +
                std::to_string(reversal) +
                " reverses the control displacement. Give increments of one sign, or --method=classic "
                "for reversed loading.");
    }

    analysis::Session session;
    session.SetMethod(o.method);
    const Mesh* mesh = &session.CurrentMesh(*model, kActualSize);
    for (const Position& position : o.outputs) {
        bool found = false;
        for (int e = 0; e < mesh->elementCount && !found; ++e) {
            int x, y;
            ElementPlanPosition(*mesh, e, x, y);
            found = x == position.first && y == position.second;
        }
        if (!found)
            return Fail("there is no element at plan position (" + std::to_string(position.first) + ", " +
                        std::to_string(position.second) + ")");
    }

    engine::Engine& engine = session.Engine();
    std::vector<Call> calls;
    std::string message;
    // Every call's buffer under its header, unless only the last is wanted.
    const bool blocks = o.raw && !o.last && (o.pushover || o.hasIncrements);
    std::unique_ptr<AnalysisPicture> picture;
    if (!o.picture.empty()) picture = std::make_unique<AnalysisPicture>(*model, *mesh);
    // The curve is recorded and written as the analysis window records and exports it.
    std::unique_ptr<AnalysisScene> curve;
    if (!o.curve.empty()) curve = std::make_unique<AnalysisScene>();
    int curveSteps = 0;
    std::vector<double> loadFactors; // per push-over step, for the curve file
    std::vector<int> iterationCounts;
    auto afterCall = [&](int mode, double increment, int step, int status) {
        const engine::ResultView results = engine.Results();
        const std::span<const double> buffer = results.Buffer();
        calls.push_back(Record(engine, mode, increment, step, status));
        if (status == engine::kStatusDone && mode == engine::kPushoverMode) {
            loadFactors.resize(size_t(step) + 1, 0.0);
            iterationCounts.resize(size_t(step) + 1, 0);
            loadFactors[size_t(step)] = calls.back().loadFactor;
            iterationCounts[size_t(step)] = calls.back().iterations;
        }
        if (picture && status == engine::kStatusDone) picture->Record(mode, buffer, step);
        if (curve && status == engine::kStatusDone) {
            curve->ReadStepResults(MeshViewOf(*mesh), buffer.data(), int(buffer.size()), step);
            if (mode == engine::kPushoverMode) curveSteps = step;
        }
        if (blocks && !(calls.size() == 1 && status != engine::kStatusDone)) {
            PrintBlockHeader(int(calls.size()), step, status);
            PrintRaw(results);
        }
    };

    if (o.pushover) {
        if (!session.StartPushover(*model, message)) return Fail(message);
        PushoverDriver& driver = *session.Pushover();
        // The whole run in one slice: the window's timer runs the same steps a slice at a time.
        driver.RunFor(PushoverDriver::Clock::duration::max(), [&](int status) {
            afterCall(engine::kPushoverMode, driver.LastIncrement(), driver.AttemptedStep(), status);
        });
        message = driver.StopMessage();
    } else {
        if (!CheckAnalysable(*mesh, *model, message)) return Fail(message);
        if (o.hasIncrements && (model->controlNode == 0 || mesh->controlNodeIndex < 0))
            return Fail(model->controlNode == 0 ? "ERROR: Please select control node."
                                                : "The control node is not a node of any element.");
        const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
        int mode = engine::kElasticMode, step = 1;
        double increment = 0.0;
        int status = engine::StatusCode(engine.Start(stream, mode, increment, session.Method()));
        afterCall(mode, increment, step, status);
        for (size_t k = 0; k < o.increments.size() && status == engine::kStatusDone; ++k) {
            mode = engine::kPushoverMode;
            increment = o.increments[k];
            ++step;
            status = engine::StatusCode(engine.Step(increment, mode));
            afterCall(mode, increment, step, status);
        }
        if (status != engine::kStatusDone) message = EngineStatusMessage(engine, status, step);
    }

    const bool firstCallFailed = calls.empty() || calls.front().status != engine::kStatusDone;
    if (!firstCallFailed) {
        const engine::ResultView results = engine.Results();
        if (o.raw && !blocks) PrintRaw(results);
        if (o.json) {
            const std::string report = JsonReport(o, *mesh, engine, results, calls, message);
            std::fwrite(report.data(), 1, report.size(), stdout);
        }
        if (!o.raw && !o.json) PrintSummary(*mesh, results, calls, o.pushover);
    }
    if (curve) {
        CurveHistory history = CurveHistoryOf(*curve, MeshViewOf(*mesh), curveSteps);
        history.method = MethodKey(o.method);
        loadFactors.resize(size_t(curveSteps) + 1, 0.0);
        iterationCounts.resize(size_t(curveSteps) + 1, 0);
        if (o.method == engine::AnalysisMethod::Mcft) {
            history.loadFactor = loadFactors.data();
            history.iterations = iterationCounts.data();
        }
        if (!WriteCurveExport(history, o.curve, error)) return Fail(error);
    }
    if (picture && !firstCallFailed && !picture->Save(o.picture, error)) return Fail(error);
    if (!message.empty()) {
        // The status word the exit code stands for, in front of what it means for this model.
        const int last = calls.empty() ? engine::kStatusDone : calls.back().status;
        if (last != engine::kStatusDone)
            message = "status " + std::to_string(last) + " (" + StatusWord(last) + "): " + message;
        return Fail(message, 2);
    }
    return 0;
}

} // namespace torva::cli
