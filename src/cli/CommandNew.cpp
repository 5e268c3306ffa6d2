#include "cli/Cli.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <memory>

namespace torva::cli {

int CommandNew(const Arguments& args) {
    if (args.size() != 1) return Fail("usage: torva_fem new MODEL.fem");
    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (!SaveModel(args[0], *model, error)) return Fail(error);
    return 0;
}

} // namespace torva::cli
