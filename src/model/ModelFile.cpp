#include "model/ModelFile.h"

#include "model/AtomicFile.h"
#include "model/FileRead.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace torva {
namespace {

constexpr const char* kUnexpectedFormat = "Unexpected file format.";

// One visit of every stored field in file order; the writer and the reader share it, so both
// directions always agree on order and widths.
template <class Io> void VisitModel(Io& io, CFramePat& m) {
    io.Header(m);
    for (uint8_t* positions : {m.curFlag, m.curType})
        for (int y = 0; y < kGridSize; ++y)
            for (int x = 0; x < kGridSize; ++x) io.U8(positions[PosIndex(x, y)]);
    for (uint8_t* layers : {m.layerFlag, m.layerType})
        for (int layer = 0; layer < kLayers; ++layer)
            for (int y = 0; y < kGridSize; ++y)
                for (int x = 0; x < kGridSize; ++x) io.U8(layers[LayerIndex(x, y, layer)]);
    for (int kind = 0; kind < kKinds; ++kind)
        for (int type = 1; type <= kTypes; ++type)
            for (int property = 0; property < kProperties; ++property) io.I32(m.Prop(kind, type, property));
    for (int kind = 0; kind < kKinds; ++kind)
        for (int type = 1; type <= kTypes; ++type) io.I32(m.Color(kind, type));
    for (int axis = kAxisX; axis <= kAxisY; ++axis)
        for (int line = 0; line < kGridSize; ++line) io.U8(m.SpanTypeOf(axis, line));
    for (int axis = kAxisX; axis <= kAxisY; ++axis)
        for (int type = 1; type <= kTypes; ++type) io.U16(m.SpanLengthOf(axis, type));
    io.I16(m.elementKind);
    io.I16(m.engineFlagA);
    io.I16(m.engineFlagB);
    io.I16(m.gravity);
    io.Low16(m.controlNode);
    io.I32(m.ctrlDirection);
    io.I32(m.segmentCount);
    io.I32(m.stepsPerSegment);
    for (int32_t& point : m.segmentPoints) io.I32(point);
}

class ImageWriter {
public:
    explicit ImageWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Header(CFramePat& m) {
        for (int32_t value : {m.fileVersionOut, m.layersShown, m.curLayer, m.topLayer, m.nxs, m.nys})
            Put(static_cast<uint32_t>(value), 2);
    }
    void U8(uint8_t& v) { out_.push_back(v); }
    void U16(uint16_t& v) { Put(v, 2); }
    void I16(int16_t& v) { Put(static_cast<uint16_t>(v), 2); }
    void I32(int32_t& v) { Put(static_cast<uint32_t>(v), 4); }
    void Low16(int32_t& v) { Put(static_cast<uint32_t>(v), 2); }

private:
    void Put(uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    std::vector<uint8_t>& out_;
};

// Reads from an image known to hold at least kModelFileSize bytes.
class ImageReader {
public:
    explicit ImageReader(const uint8_t* data) : p_(data) {}
    void Header(CFramePat& m) {
        m.fileVersionIn = static_cast<int32_t>(Get(2));
        for (int32_t* field : {&m.layersShown, &m.curLayer, &m.topLayer, &m.nxs, &m.nys})
            *field = static_cast<int32_t>(Get(2));
    }
    void U8(uint8_t& v) { v = *p_++; }
    void U16(uint16_t& v) { v = static_cast<uint16_t>(Get(2)); }
    void I16(int16_t& v) { v = static_cast<int16_t>(static_cast<uint16_t>(Get(2))); }
    void I32(int32_t& v) { v = static_cast<int32_t>(Get(4)); }
    void Low16(int32_t& v) { v = static_cast<int32_t>(Get(2)); }

private:
    uint32_t Get(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint32_t{*p_++} << (8 * i);
        return value;
    }
    const uint8_t* p_;
};

std::string Describe(const char* field, long value) {
    return std::string(field) + " is " + std::to_string(value);
}

// The values that index arrays later on; a file the program wrote always passes.
bool Validate(const CFramePat& m, std::string& detail) {
    auto outside = [](long v, long lo, long hi) { return v < lo || v > hi; };
    if (m.fileVersionIn != kFileVersion)
        return detail = Describe("the file version", m.fileVersionIn) + "; this program reads version " +
                        std::to_string(kFileVersion),
               false;
    if (outside(m.layersShown, 0, kLayers)) return detail = Describe("layersShown", m.layersShown), false;
    if (outside(m.curLayer, 0, kLayers - 1)) return detail = Describe("curLayer", m.curLayer), false;
    if (outside(m.topLayer, 0, kLayers - 1)) return detail = Describe("topLayer", m.topLayer), false;
    if (outside(m.nxs, kMinGridCount, kMaxGridCount)) return detail = Describe("nxs", m.nxs), false;
    if (outside(m.nys, kMinGridCount, kMaxGridCount)) return detail = Describe("nys", m.nys), false;
    for (int i = 0; i < kPositions; ++i)
        if (outside(m.curType[i], 1, kTypes))
            return detail = "curType at (" + std::to_string(i / kGridSize) + ", " +
                            std::to_string(i % kGridSize) + ") is " + std::to_string(m.curType[i]),
                   false;
    for (int i = 0; i < kLayerCells; ++i)
        if (outside(m.layerType[i], 1, kTypes)) {
            const int position = i / kLayers;
            return detail = "layerType of layer " + std::to_string(i % kLayers) + " at (" +
                            std::to_string(position / kGridSize) + ", " +
                            std::to_string(position % kGridSize) + ") is " + std::to_string(m.layerType[i]),
                   false;
        }
    for (int axis = kAxisX; axis <= kAxisY; ++axis)
        for (int line = 0; line < kGridSize; ++line)
            if (outside(m.SpanTypeOf(axis, line), 1, kTypes))
                return detail = std::string(axis == kAxisX ? "X" : "Y") + " span type of line " +
                                std::to_string(line) + " is " + std::to_string(m.SpanTypeOf(axis, line)),
                       false;
    if (outside(m.segmentCount, 0, kMaxSegments))
        return detail = Describe("segmentCount", m.segmentCount), false;
    if (m.stepsPerSegment < 0) return detail = Describe("stepsPerSegment", m.stepsPerSegment), false;
    if (outside(m.elementKind, 1, 2)) return detail = Describe("elementKind", m.elementKind), false;
    return true;
}

} // namespace

std::vector<uint8_t> WriteModelImage(CFramePat& model) {
    model.fileVersionOut = kFileVersion;
    std::vector<uint8_t> image;
    image.reserve(kModelFileSize);
    ImageWriter writer(image);
    VisitModel(writer, model);
    return image;
}

bool ReadModelImage(const uint8_t* data, std::size_t size, CFramePat& model, FileError& error) {
    model.fileVersionOut = kFileVersion;
    if (size < kModelFileSize) {
        error = {kUnexpectedFormat, "The file has " + std::to_string(size) + " bytes; a model file has " +
                                        std::to_string(kModelFileSize) + "."};
        return false;
    }
    if (size > kModelFileSize) {
        error = {kUnexpectedFormat,
                 "The file goes on after the " + std::to_string(kModelFileSize) + " bytes of a model file."};
        return false;
    }
    ImageReader reader(data);
    VisitModel(reader, model);
    std::string detail;
    if (!Validate(model, detail)) {
        error = {kUnexpectedFormat, detail};
        return false;
    }
    return true;
}

bool LoadModelFile(const std::string& path, CFramePat& model, FileError& error) {
    std::string bytes, reason;
    // One byte more than a model file holds, so that a longer file is seen as such.
    if (!ReadRegularFile(path, kModelFileSize + 1, bytes, reason)) {
        error = {"Failed to open document.", path + ": " + reason};
        return false;
    }
    auto fresh = std::make_unique<CFramePat>();
    if (!ReadModelImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), *fresh, error)) {
        error.detail = path + ": " + error.detail;
        return false;
    }
    model = *fresh;
    return true;
}

bool SaveModelFile(const std::string& path, CFramePat& model, FileError& error) {
    const std::vector<uint8_t> image = WriteModelImage(model);
    std::string reason;
    if (WriteFileAtomically(path, {reinterpret_cast<const char*>(image.data()), image.size()}, reason))
        return true;
    error = {"Failed to save document.", reason};
    return false;
}

} // namespace torva
