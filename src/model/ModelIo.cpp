#include "model/ModelIo.h"

#include "model/AtomicFile.h"
#include "model/FileRead.h"
#include "model/ModelJson.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace torva {

// A full 60 x 60 model with every layer set takes a few megabytes of JSON.
constexpr std::size_t kLargestJsonModel = 64u << 20;

ModelFormat ModelFormatOf(const std::string& path) {
    if (path.size() < 5) return ModelFormat::Fem;
    std::string ending = path.substr(path.size() - 5);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending == ".json" ? ModelFormat::Json : ModelFormat::Fem;
}

bool LoadModel(const std::string& path, CFramePat& model, FileError& error) {
    if (ModelFormatOf(path) == ModelFormat::Fem) return LoadModelFile(path, model, error);
    std::string text, reason;
    if (!ReadRegularFile(path, kLargestJsonModel + 1, text, reason)) {
        error = {"Failed to open document.", path + ": " + reason};
        return false;
    }
    if (text.size() > kLargestJsonModel) {
        error = {"Failed to open document.", path + ": larger than " + std::to_string(kLargestJsonModel) +
                                                 " bytes, more than any model needs"};
        return false;
    }
    auto fresh = std::make_unique<CFramePat>();
    if (!ReadModelJson(text, *fresh, error)) {
        error.detail = path + ": " + error.detail;
        return false;
    }
    model = *fresh;
    return true;
}

bool SaveModel(const std::string& path, CFramePat& model, FileError& error) {
    if (ModelFormatOf(path) == ModelFormat::Fem) return SaveModelFile(path, model, error);
    std::string reason;
    if (WriteFileAtomically(path, WriteModelJson(model), reason)) return true;
    error = {"Failed to save document.", reason};
    return false;
}

std::vector<uint8_t> ConvertedModelImage(const CFramePat& model) {
    auto copy = std::make_unique<CFramePat>(model);
    std::vector<uint8_t> image = WriteModelImage(*copy);
    // 0 is a model that never came from a file: it gets the version word every save writes.
    if (model.fileVersionIn != 0) {
        image[0] = static_cast<uint8_t>(model.fileVersionIn & 0xFF);
        image[1] = static_cast<uint8_t>((model.fileVersionIn >> 8) & 0xFF);
    }
    return image;
}

bool ConvertModel(const std::string& in, const std::string& out, int& dropped, FileError& error) {
    dropped = 0;
    auto model = std::make_unique<CFramePat>();
    if (!LoadModel(in, *model, error)) return false;
    std::string reason;
    bool written = false;
    if (ModelFormatOf(out) == ModelFormat::Json) {
        written = WriteFileAtomically(out, WriteModelJson(*model), reason);
    } else {
        dropped = std::clamp(model->outputCount, 0, kOutputSlots);
        const std::vector<uint8_t> image = ConvertedModelImage(*model);
        written =
            WriteFileAtomically(out, {reinterpret_cast<const char*>(image.data()), image.size()}, reason);
    }
    if (!written) error = {"Failed to save document.", reason};
    return written;
}

} // namespace torva
