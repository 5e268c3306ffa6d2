#include "cli/Cli.h"
#include "cli/Options.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <memory>
#include <string>
#include <vector>

namespace torva::cli {

int CommandNew(const Arguments& args) {
    constexpr const char* kUsage = "usage: torva_fem new MODEL.fem";
    std::vector<std::string> names;
    std::string message;
    if (!ParseFileNames(args, 1, names, message)) return Fail(message + "\n" + kUsage);
    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (!SaveModel(names[0], *model, error)) return Fail(error);
    return 0;
}

} // namespace torva::cli
