#pragma once
// Reading an input file without blocking on what is no file: a folder, a pipe or a device given as a
// model is refused before anything is read from it.
#include <cstddef>
#include <string>

namespace torva {

// Reads at most `limit` bytes of the regular file at `path` into `bytes`. On failure returns false
// with `reason` (the system's message, or "not a regular file").
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason);

} // namespace torva
