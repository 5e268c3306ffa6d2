// The whole way of a model file through the program: reader, mesh, engine input, text export, the
// elastic analysis and the first push-over steps of its loading. The input is a list of patches to one
// of the example files (byte 0 picks the example; then 4 bytes a patch: a 24-bit offset taken modulo the
// file size and the byte written there), so that mutations stay close to models a user makes. A call
// the engine reports as done must have left only finite numbers.
#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "analysis/Session.h"
#include "analysis/TextExport.h"
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kPushoverSteps = 3;

const std::vector<std::vector<uint8_t>>& Examples() {
    static const std::vector<std::vector<uint8_t>> images = [] {
        std::vector<std::vector<uint8_t>> all;
        for (const char* name : {"one-element", "cantilever", "shear-wall", "joint-wall"}) {
            std::ifstream file(std::string(TORVA_EXAMPLES_DIR) + "/" + name + ".fem", std::ios::binary);
            all.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            if (all.back().size() != torva::kModelFileSize) std::abort();
        }
        return all;
    }();
    return images;
}

// A small engine: larger models are refused (status 5) quickly instead of filling 100 MB per input.
torva::analysis::Session& SmallSession() {
    static torva::analysis::Session session([] {
        torva::engine::EngineCapacity capacity;
        capacity.nodes = 400;
        capacity.elements = 400;
        capacity.profile = 200000;
        return capacity;
    }());
    return session;
}

void RequireFinite(std::span<const double> values, const char* where) {
    for (double value : values)
        if (!std::isfinite(value)) {
            std::fprintf(stderr, "a non-finite result after a call reported as done (%s)\n", where);
            std::abort();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> image = Examples()[data[0] % Examples().size()];
    for (size_t at = 1; at + 4 <= size; at += 4) {
        const size_t offset =
            (size_t(data[at]) | size_t(data[at + 1]) << 8 | size_t(data[at + 2]) << 16) % image.size();
        image[offset] = data[at + 3];
    }
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    if (!torva::ReadModelImage(image.data(), image.size(), *model, error)) return 0;

    torva::analysis::Session& session = SmallSession();
    // Each input is another model for the session that the inputs share.
    session.ModelChanged();
    const torva::Mesh& mesh = session.CurrentMesh(*model, torva::kActualSize);
    const std::vector<int32_t> stream = torva::PackEngineInput(mesh, *model);
    const std::string text = torva::TextExportContent(mesh, *model);
    if (text.empty()) std::abort();

    int status = 0;
    std::string refusal;
    if (session.RunElastic(*model, status, refusal) && status == torva::engine::kStatusDone)
        RequireFinite(session.Results().Values(), "elastic");

    std::string message;
    if (!session.StartPushover(*model, message)) return 0;
    torva::PushoverDriver& run = *session.Pushover();
    for (int k = 0; k < kPushoverSteps && !run.Finished(); ++k)
        if (run.RunStep() == torva::engine::kStatusDone)
            RequireFinite(run.Results().Values(), "push-over step");
    return 0;
}
