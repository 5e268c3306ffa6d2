#include "analysis/StudyResults.h"
#include "cli/Cli.h"
#include "cli/StudyProcesses.h"

#include <cstdio>
#include <string>
#include <thread>

namespace torva::cli {
namespace {

constexpr const char* kStudyUsage =
    "usage: torva_fem study STUDY.json [--workers N | --scheduler ADDRESS]\n"
    "  --workers N          runs N variants at a time in processes of their own (default: one a core)\n"
    "  --scheduler ADDRESS  runs the variants on a Dask distributed cluster (tcp://host:port)";

struct StudyOptions {
    std::string path;
    int workers = 0;
    std::string scheduler;
    long variant = -1; // runs one variant and writes its files (the process runner's children)
};

bool ParseStudyOptions(const Arguments& args, StudyOptions& o, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::string {
            if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
            if (i + 1 < args.size()) return args[++i];
            error = name + " needs a value";
            return "";
        };
        auto number = [&](const std::string& name, long lo, long& out) {
            const std::string text = value(name);
            if (!error.empty()) return false;
            char* end = nullptr;
            out = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || out < lo) {
                error = name + " must be a whole number of at least " + std::to_string(lo) + ", found '" +
                        text + "'";
                return false;
            }
            return true;
        };
        long n = 0;
        if (a == "--workers" || a.rfind("--workers=", 0) == 0) {
            if (!number("--workers", 1, n)) return false;
            o.workers = static_cast<int>(n);
        } else if (a == "--scheduler" || a.rfind("--scheduler=", 0) == 0) {
            o.scheduler = value("--scheduler");
            if (!error.empty()) return false;
        } else if (a == "--variant" || a.rfind("--variant=", 0) == 0) {
            if (!number("--variant", 1, n)) return false;
            o.variant = n - 1;
        } else if (a.rfind("-", 0) == 0) {
            error = "unknown option '" + a + "'";
            return false;
        } else if (o.path.empty()) {
            o.path = a;
        } else {
            error = "one study file at a time ('" + a + "' is a second)";
            return false;
        }
    }
    if (o.path.empty()) error = "no study file given";
    if (o.workers > 0 && !o.scheduler.empty()) error = "--workers and --scheduler exclude each other";
    return error.empty();
}

void Report(std::size_t index, std::size_t count, const VariantResult& r) {
    std::printf("variant %zu/%zu: %s, %d steps, peak %.6g N at %.6g mm%s%s\n", index + 1, count,
                r.failureMode.c_str(), r.steps, r.peakForce, r.peakDisplacement,
                r.message.empty() ? "" : ": ", r.message.c_str());
    std::fflush(stdout);
}

} // namespace

int CommandStudy(const Arguments& args) {
    StudyOptions o;
    std::string error;
    if (!ParseStudyOptions(args, o, error)) return Fail(error + "\n" + kStudyUsage);
    Study study;
    try {
        study = LoadStudy(o.path);
    } catch (const StudyError& e) {
        return Fail(e.what());
    }
    if (o.variant >= 0) {
        if (static_cast<std::size_t>(o.variant) >= study.variants.size())
            return Fail("--variant " + std::to_string(o.variant + 1) + ": the study has " +
                        std::to_string(study.variants.size()) + " variants");
        const VariantResult result = RunStudyVariant(study, static_cast<std::size_t>(o.variant));
        if (!WriteVariantFiles(study, static_cast<std::size_t>(o.variant), result, error)) return Fail(error);
        return 0;
    }

    const std::size_t pending = PendingVariants(study).size();
    std::printf("study %s: %zu variants, %zu to run, results in %s\n", study.name.c_str(),
                study.variants.size(), pending, study.outputFolder.c_str());
    std::fflush(stdout);
    auto progress = [&](std::size_t k, const VariantResult& r) { Report(k, study.variants.size(), r); };
    bool ran = true;
    if (!o.scheduler.empty()) {
        ran = RunStudyOnCluster(o.path, o.scheduler, error);
    } else {
        const int workers =
            o.workers > 0 ? o.workers : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
        ran = workers == 1 ? RunStudyHere(study, error, progress)
                           : RunStudyInProcesses(study, o.path, workers, progress, error);
    }
    if (!ran) return Fail(error);

    StudySummary summary;
    if (!GatherStudy(study, summary, error)) return Fail(error);
    std::printf(
        "%zu variants: %zu completed, %zu stopped early, %zu missing; %s/summary.csv, %s/curves.svg\n",
        summary.variants, summary.completed, summary.stopped, summary.missing, study.outputFolder.c_str(),
        study.outputFolder.c_str());
    return summary.missing == 0 ? 0 : 2;
}

} // namespace torva::cli
