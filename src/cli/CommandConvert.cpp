#include "cli/Cli.h"
#include "cli/Options.h"
#include "model/ModelIo.h"

#include <iostream>
#include <string>
#include <vector>

namespace torva::cli {

// Converts between the binary and the JSON model format, each chosen by its file name.
int CommandConvert(const Arguments& args) {
    constexpr const char* kUsage = "usage: torva_fem convert IN OUT (a .fem or .json model each)";
    std::vector<std::string> names;
    std::string message;
    if (!ParseFileNames(args, 2, names, message)) return Fail(message + "\n" + kUsage);
    int dropped = 0;
    FileError error;
    if (!ConvertModel(names[0], names[1], dropped, error)) return Fail(error);
    if (dropped > 0)
        std::cerr << "torva_fem: note: a .fem file holds no output elements; the " << dropped << " of "
                  << names[0] << " are not in " << names[1] << "\n";
    return 0;
}

} // namespace torva::cli
