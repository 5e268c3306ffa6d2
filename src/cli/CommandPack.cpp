#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace torva::cli {

// The engine input stream of a model in actual size, one integer a line, exactly as packed: no check
// is made, so an empty mesh prints its 13 entries.
int CommandPack(const Arguments& args) {
    constexpr const char* kUsage = "usage: torva_fem pack MODEL.fem";
    std::vector<std::string> names;
    std::string message;
    if (!ParseFileNames(args, 1, names, message)) return Fail(message + "\n" + kUsage);
    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (!LoadModel(names[0], *model, error)) return Fail(error);
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    std::string text;
    for (int32_t value : PackEngineInput(*mesh, *model)) text += std::to_string(value) + '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace torva::cli
