#include "cli/Cli.h"
#include "model/ModelIo.h"

#include <iostream>

namespace torva::cli {

// Converts between the binary and the JSON model format, each chosen by its file name.
int CommandConvert(const Arguments& args) {
    if (args.size() != 2) return Fail("usage: torva_fem convert IN OUT (a .fem or .json model each)");
    int dropped = 0;
    FileError error;
    if (!ConvertModel(args[0], args[1], dropped, error)) return Fail(error);
    if (dropped > 0)
        std::cerr << "torva_fem: note: a .fem file holds no output elements; the " << dropped << " of "
                  << args[0] << " are not in " << args[1] << "\n";
    return 0;
}

} // namespace torva::cli
