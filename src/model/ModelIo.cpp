#include "model/ModelIo.h"

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

ModelFormat ModelFormatOf(const std::string& path) {
    if (path.size() < 5) return ModelFormat::Fem;
    std::string ending = path.substr(path.size() - 5);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending == ".json" ? ModelFormat::Json : ModelFormat::Fem;
}

bool LoadModel(const std::string& path, CFramePat& model, FileError& error) {
    if (ModelFormatOf(path) == ModelFormat::Fem) return LoadModelFile(path, model, error);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = {"Failed to open document.", path + ": " + std::strerror(errno)};
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        error = {"Failed to open document.", path + ": " + std::strerror(errno)};
        return false;
    }
    auto fresh = std::make_unique<CFramePat>();
    if (!ReadModelJson(text.str(), *fresh, error)) {
        error.detail = path + ": " + error.detail;
        return false;
    }
    model = *fresh;
    return true;
}

bool SaveModel(const std::string& path, CFramePat& model, FileError& error) {
    if (ModelFormatOf(path) == ModelFormat::Fem) return SaveModelFile(path, model, error);
    const std::string text = WriteModelJson(model);
    std::string reason;
    if (!WriteFileAtomically(path, text.data(), text.size(), reason)) {
        error = {"Failed to save document.", path + ": " + reason};
        return false;
    }
    return true;
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
        const std::string text = WriteModelJson(*model);
        written = WriteFileAtomically(out, text.data(), text.size(), reason);
    } else {
        dropped = std::clamp(model->outputCount, 0, kOutputSlots);
        const std::vector<uint8_t> image = ConvertedModelImage(*model);
        written = WriteFileAtomically(out, image.data(), image.size(), reason);
    }
    if (!written) error = {"Failed to save document.", out + ": " + reason};
    return written;
}

bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size, std::string& reason,
                         bool flush) {
    const std::string temporary = path + ".saving";
    auto fail = [&](const std::string& why) {
        reason = why;
        ::unlink(temporary.c_str());
        return false;
    };
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return fail(std::strerror(errno));
    const auto* data = static_cast<const uint8_t*>(bytes);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            return fail(why);
        }
        written += static_cast<std::size_t>(n);
    }
    const bool synced = !flush || ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) return fail(std::strerror(errno));
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return fail(std::strerror(errno));
    return true;
}

} // namespace torva
