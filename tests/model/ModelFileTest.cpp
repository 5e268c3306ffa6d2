// The .fem layout byte by byte, round trips, refusal of foreign files and safe saving.
#include "model/ModelFile.h"

#include "model/FramePat.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace torva;

namespace {

uint16_t U16At(const std::vector<uint8_t>& image, size_t offset) {
    return image[offset] | image[offset + 1] << 8;
}
int32_t I32At(const std::vector<uint8_t>& image, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{image[offset + i]} << (8 * i);
    return static_cast<int32_t>(v);
}
void PutU16(std::vector<uint8_t>& image, size_t offset, uint16_t v) {
    image[offset] = v & 0xFF;
    image[offset + 1] = v >> 8;
}
void PutI32(std::vector<uint8_t>& image, size_t offset, int32_t v) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

std::vector<uint8_t> NewImage() {
    auto model = std::make_unique<CFramePat>();
    return WriteModelImage(*model);
}

// A model with something different in every stored field.
std::unique_ptr<CFramePat> BusyModel() {
    auto m = std::make_unique<CFramePat>();
    m->nxs = 40;
    m->nys = 7;
    m->topLayer = 9;
    m->curLayer = 3;
    m->layersShown = 11;
    for (int i = 0; i < kLayerCells; ++i) {
        m->layerFlag[i] = static_cast<uint8_t>(i * 7 % 101);
        m->layerType[i] = static_cast<uint8_t>(1 + i * 13 % 11);
    }
    m->LoadCurrentLayer();
    for (int i = 0; i < kTypePropCount; ++i) m->typeProp[i] = i * 7919 - 400000;
    for (int i = 0; i < kTypeColorCount; ++i) m->typeColor[i] = i * 104729;
    for (int i = 0; i < kSpanTypeCount; ++i) m->spanType[i] = static_cast<uint8_t>(1 + i % 11);
    for (int i = 0; i < kSpanLengthCount; ++i) m->spanLength[i] = static_cast<uint16_t>(i * 3000);
    m->elementKind = 1;
    m->engineFlagA = 2;
    m->engineFlagB = -3;
    m->gravity = 981;
    m->controlNode = PositionCode(101, 101);
    m->ctrlDirection = 2;
    m->segmentCount = 150;
    m->stepsPerSegment = 12;
    for (int i = 0; i < kSegmentPoints; ++i) m->segmentPoints[i] = (i % 2 ? -1 : 1) * i * 1000;
    return m;
}

void ExpectSameStoredFields(const CFramePat& a, const CFramePat& b) {
    EXPECT_EQ(0, std::memcmp(a.curFlag, b.curFlag, sizeof a.curFlag));
    EXPECT_EQ(0, std::memcmp(a.curType, b.curType, sizeof a.curType));
    EXPECT_EQ(0, std::memcmp(a.layerFlag, b.layerFlag, sizeof a.layerFlag));
    EXPECT_EQ(0, std::memcmp(a.layerType, b.layerType, sizeof a.layerType));
    EXPECT_EQ(0, std::memcmp(a.typeProp, b.typeProp, sizeof a.typeProp));
    EXPECT_EQ(0, std::memcmp(a.typeColor, b.typeColor, sizeof a.typeColor));
    EXPECT_EQ(0, std::memcmp(a.spanType, b.spanType, sizeof a.spanType));
    EXPECT_EQ(0, std::memcmp(a.spanLength, b.spanLength, sizeof a.spanLength));
    EXPECT_EQ(0, std::memcmp(a.segmentPoints, b.segmentPoints, sizeof a.segmentPoints));
    EXPECT_EQ(a.elementKind, b.elementKind);
    EXPECT_EQ(a.engineFlagA, b.engineFlagA);
    EXPECT_EQ(a.engineFlagB, b.engineFlagB);
    EXPECT_EQ(a.gravity, b.gravity);
    EXPECT_EQ(a.controlNode, b.controlNode);
    EXPECT_EQ(a.ctrlDirection, b.ctrlDirection);
    EXPECT_EQ(a.segmentCount, b.segmentCount);
    EXPECT_EQ(a.stepsPerSegment, b.stepsPerSegment);
    EXPECT_EQ(a.layersShown, b.layersShown);
    EXPECT_EQ(a.curLayer, b.curLayer);
    EXPECT_EQ(a.topLayer, b.topLayer);
    EXPECT_EQ(a.nxs, b.nxs);
    EXPECT_EQ(a.nys, b.nys);
}

} // namespace

TEST(ModelFileLayout, NewModelImageHeaderAndSize) {
    const auto image = NewImage();
    ASSERT_EQ(image.size(), kModelFileSize);
    const uint16_t header[6] = {20, 4, 2, 2, 12, 12};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(U16At(image, 2 * i), header[i]) << "header word " << i;
}

TEST(ModelFileLayout, OffsetsFollowTheFileLoopOrders) {
    auto m = std::make_unique<CFramePat>();
    m->curFlag[PosIndex(3, 2)] = 0xAB; // rows are written x fastest
    m->Flag(5, 1, 7) = 0xCD;           // layer 7, y = 1, x = 5
    m->Type(2, 3, 10) = 9;
    m->Prop(kRebarLayer, 4, 6) = -123456; // kind 3, type 4, property 6
    m->Color(kFibreLayer, 11) = 0x0A0B0C;
    m->SpanTypeOf(kAxisY, 5) = 8;
    m->SpanLengthOf(kAxisX, 2) = 65535;
    m->SpanLengthOf(kAxisY, 11) = 4321;
    m->controlNode = PositionCode(61, 61);
    m->segmentPoints[150] = -7;
    const auto image = WriteModelImage(*m);
    ASSERT_EQ(image.size(), kModelFileSize);

    EXPECT_EQ(image[219], 0xAB);
    EXPECT_EQ(image[20820 + 7 * 10404 + 1 * 102 + 5], 0xCD);
    EXPECT_EQ(image[135264 + 10 * 10404 + 3 * 102 + 2], 9);
    EXPECT_EQ(I32At(image, 249708 + 4 * (3 * 110 + 3 * 10 + 6)), -123456);
    EXPECT_EQ(I32At(image, 250592), 22); // Ec of concrete type 1
    EXPECT_EQ(I32At(image, 254108 + 4 * (4 * 11 + 10)), 0x0A0B0C);
    EXPECT_EQ(image[254548 + 102 + 5], 8);
    EXPECT_EQ(U16At(image, 254752 + 2 * 1), 65535);
    EXPECT_EQ(U16At(image, 254752 + 2 * (11 + 10)), 4321);
    EXPECT_EQ(U16At(image, 254796), 2);   // elementKind
    EXPECT_EQ(U16At(image, 254802), 980); // gravity
    EXPECT_EQ(U16At(image, 254804), 6161);
    EXPECT_EQ(I32At(image, 254814), 500);
    EXPECT_EQ(I32At(image, 255422 - 4), -7);
}

TEST(ModelFileRoundTrip, EveryStoredFieldSurvivesAndOutputListDoesNot) {
    auto saved = BusyModel();
    saved->outputElements[0] = 303;
    saved->outputCount = 1;
    saved->activeOutput = 303;
    const auto image = WriteModelImage(*saved);

    auto loaded = std::make_unique<CFramePat>();
    FileError error;
    ASSERT_TRUE(ReadModelImage(image.data(), image.size(), *loaded, error)) << error.Text();
    ExpectSameStoredFields(*saved, *loaded);
    EXPECT_EQ(loaded->fileVersionIn, 20);
    EXPECT_EQ(loaded->outputCount, 0);
    EXPECT_EQ(loaded->outputElements[0], -1);
    EXPECT_EQ(loaded->activeOutput, -1);
    EXPECT_EQ(WriteModelImage(*loaded), image);
}

TEST(ModelFileRoundTrip, ThroughADiskFile) {
    test::TempDir dir;
    auto saved = BusyModel();
    FileError error;
    const std::string path = dir.file("busy.fem");
    ASSERT_TRUE(SaveModelFile(path, *saved, error)) << error.Text();
    EXPECT_EQ(std::filesystem::file_size(path), kModelFileSize);
    auto loaded = std::make_unique<CFramePat>();
    ASSERT_TRUE(LoadModelFile(path, *loaded, error)) << error.Text();
    ExpectSameStoredFields(*saved, *loaded);
}

TEST(ModelFileRefusal, WhatTheProgramNeverWritesIsRefused) {
    test::TempDir dir;
    auto model = std::make_unique<CFramePat>();
    FileError error;
    const std::string path = dir.file("model.fem");
    ASSERT_TRUE(SaveModelFile(path, *model, error)) << error.Text();
    // Trailing bytes: once ignored.
    { std::ofstream(path, std::ios::app | std::ios::binary) << "x"; }
    auto loaded = std::make_unique<CFramePat>();
    loaded->gravity = 123;
    EXPECT_FALSE(LoadModelFile(path, *loaded, error));
    EXPECT_EQ(error.message, "Unexpected file format.");
    EXPECT_EQ(error.detail, path + ": The file goes on after the 255422 bytes of a model file.");
    EXPECT_EQ(loaded->gravity, 123);

    auto refusal = [](std::vector<uint8_t> image) {
        auto m = std::make_unique<CFramePat>();
        FileError e;
        if (ReadModelImage(image.data(), image.size(), *m, e)) return std::string("accepted");
        EXPECT_EQ(e.message, "Unexpected file format.");
        return e.detail;
    };
    // Another version word.
    for (int version : {0, 19, 21, 65535}) {
        auto image = NewImage();
        PutU16(image, 0, version);
        EXPECT_EQ(refusal(image),
                  "the file version is " + std::to_string(version) + "; this program reads version 20");
    }
    // An element formulation the program does not have (0, 3, -1, 32767 were once analysed as 1).
    for (int kind : {0, 3, -1, 32767}) {
        auto image = NewImage();
        PutU16(image, 254796, kind);
        EXPECT_EQ(refusal(image), "elementKind is " + std::to_string(kind));
    }
    for (int kind : {1, 2}) {
        auto image = NewImage();
        PutU16(image, 254796, kind);
        EXPECT_EQ(refusal(image), "accepted");
    }
}

TEST(ModelFileRefusal, FoldersAndPipesAreRefusedWithoutBlocking) {
    test::TempDir dir;
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_FALSE(LoadModelFile(dir.path().string(), *model, error));
    EXPECT_EQ(error.message, "Failed to open document.");
    EXPECT_EQ(error.detail, dir.path().string() + ": a folder, not a file");
    // A pipe nobody writes to: opening it for reading would wait for ever.
    const std::string fifo = dir.file("pipe.fem");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(LoadModelFile(fifo, *model, error));
    EXPECT_EQ(error.detail, fifo + ": not a regular file");
    EXPECT_FALSE(LoadModelFile(dir.file("missing.fem"), *model, error));
    EXPECT_EQ(error.detail, dir.file("missing.fem") + ": No such file or directory");
}

TEST(ModelFileRefusal, ShortFileChangesNothing) {
    test::TempDir dir;
    const std::string path = dir.file("short.fem");
    auto image = NewImage();
    image.resize(kModelFileSize - 1);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());

    auto model = BusyModel();
    auto before = BusyModel();
    FileError error;
    EXPECT_FALSE(LoadModelFile(path, *model, error));
    EXPECT_EQ(error.message, "Unexpected file format.");
    EXPECT_NE(error.detail.find("255421"), std::string::npos) << error.detail;
    ExpectSameStoredFields(*before, *model);
}

TEST(ModelFileRefusal, MissingFileFailsToOpen) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_FALSE(LoadModelFile("/nonexistent/folder/model.fem", *model, error));
    EXPECT_EQ(error.message, "Failed to open document.");
    EXPECT_NE(error.detail.find("/nonexistent/folder/model.fem"), std::string::npos);
}

TEST(ModelFileRefusal, ValuesTheProgramCouldNeverHaveWritten) {
    struct Case {
        const char* field;
        void (*corrupt)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"layersShown", [](auto& im) { PutU16(im, 2, 12); }},
        {"curLayer", [](auto& im) { PutU16(im, 4, 11); }},
        {"topLayer", [](auto& im) { PutU16(im, 6, 65535); }},
        {"nxs", [](auto& im) { PutU16(im, 8, 2); }},
        {"nys", [](auto& im) { PutU16(im, 10, 63); }},
        {"curType", [](auto& im) { im[10416 + 5 * 102 + 4] = 12; }},
        {"layerType", [](auto& im) { im[135264 + 4 * 10404 + 9] = 0; }},
        {"span type", [](auto& im) { im[254548 + 102 + 3] = 0; }},
        {"segmentCount", [](auto& im) { PutI32(im, 254810, 151); }},
        {"stepsPerSegment", [](auto& im) { PutI32(im, 254814, -1); }},
    };
    for (const Case& c : cases) {
        auto image = NewImage();
        c.corrupt(image);
        auto model = std::make_unique<CFramePat>();
        FileError error;
        EXPECT_FALSE(ReadModelImage(image.data(), image.size(), *model, error)) << c.field;
        EXPECT_EQ(error.message, "Unexpected file format.");
        EXPECT_NE(error.detail.find(c.field), std::string::npos) << error.detail;
    }
}

TEST(ModelFileRefusal, BoundaryValuesAreAccepted) {
    auto image = NewImage();
    PutU16(image, 2, 11); // layersShown 11
    PutU16(image, 4, 10); // curLayer 10
    PutU16(image, 8, 3);
    PutU16(image, 10, 62);
    PutI32(image, 254810, 0);
    PutI32(image, 254814, 0);
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(ReadModelImage(image.data(), image.size(), *model, error)) << error.Text();
}

TEST(ModelFileSave, FailedSaveKeepsThePreviousFile) {
    // Room for one model file only: the second save runs out of space half way.
    test::SmallFileSystem small(400 * 1024);
    const std::string path = small.file("model.fem");
    auto model = std::make_unique<CFramePat>();
    FileError error;
    ASSERT_TRUE(SaveModelFile(path, *model, error)) << error.Text();
    model->gravity = 500;
    {
        std::unique_ptr<test::FileSizeLimit> limit;
        if (!small.mounted()) limit = std::make_unique<test::FileSizeLimit>(100 * 1024);
        EXPECT_FALSE(SaveModelFile(path, *model, error));
    }
    EXPECT_EQ(error.message, "Failed to save document.");
    EXPECT_EQ(error.detail.rfind("Cannot write " + path + ": ", 0), 0u) << error.detail;
    auto reloaded = std::make_unique<CFramePat>();
    ASSERT_TRUE(LoadModelFile(path, *reloaded, error));
    EXPECT_EQ(reloaded->gravity, 980);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small.path()), {}), 1);
}
