// The engine input stream: every entry of small meshes, the length formula and the control rules.
#include "analysis/EngineInputPacker.h"

#include "TestModels.h"

#include <gtest/gtest.h>
#include <vector>

using namespace torva;
using test::GridModel;
using test::Place;
using test::ScannedMesh;

TEST(EngineInput, EmptyMeshPacksThirteenEntries) {
    auto model = GridModel(3, 3);
    Place(*model, 1, 1, kBoundaryLayer); // dropped: no element
    model->ctrlDirection = 0;
    auto mesh = ScannedMesh(*model);
    const std::vector<int32_t> expected = {2, 0, 0, 0, 980, 0, 0, 0, 0, 1, 1, 1, 0};
    EXPECT_EQ(PackEngineInput(*mesh, *model), expected);
}

TEST(EngineInput, OneElementEntryByEntry) {
    auto model = GridModel(1, 1);
    model->elementKind = 1;
    model->gravity = 981;
    model->engineFlagA = 2;
    model->engineFlagB = 0;
    model->ctrlDirection = 2;
    Place(*model, 0, 0, kConcreteLayer);
    Place(*model, 0, 0, kRebarLayer, 2);
    Place(*model, 0, 0, kFibreLayer, 3);
    Place(*model, 0, 1, kBoundaryLayer);
    model->Prop(kBoundaryLayer, 2, 0) = 3;
    Place(*model, 1, 1, kBoundaryLayer, 2);
    model->Prop(kPointForceLayer, 1, 0) = 1500;
    model->Prop(kPointForceLayer, 1, 1) = -250;
    Place(*model, 1, 0, kPointForceLayer);
    model->controlNode = PositionCode(3, 2);
    model->outputElements[0] = PositionCode(2, 2);
    model->activeOutput = PositionCode(2, 2);
    for (int type = 1; type <= 2; ++type)
        for (int p = 0; p < 7; ++p) model->Prop(kRebarLayer, type, p) = 100 * type + p;
    auto mesh = ScannedMesh(*model);

    // clang-format off
    const std::vector<int32_t> expected = {
        1, 4, 2, 1,                                 // kind, N, R, L
        0, 0, 100, 0, 0, 100, 100, 100,             // nodes
        3, 12, 4, 1,                                // restraints: pin, roller Y
        981,                                        // gravity
        1, 10000, 22, 1666, 240000, 2800, 280, 30,  // NC, concrete type 1
        2, 100, 101, 102, 103, 104, 105, 106,       // NS, rebar types 1 (unused) and 2
        200, 201, 202, 203, 204, 205, 206,
        1, 1, 2, 4, 3, 1, 2, 0, 3, 1,               // E, element
        2, 1500, -250,                              // load
        2, 2, 2, 0, 1};                             // control node, direction, selectors, active output
    // clang-format on
    const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(EngineInputLength(*mesh), static_cast<int>(expected.size()));
}

TEST(EngineInput, TypeRowsUpToTheHighestUsedNumber) {
    auto model = GridModel(2, 1);
    Place(*model, 0, 0, kConcreteLayer, 3);
    Place(*model, 1, 0, kConcreteLayer, 3);
    for (int type = 1; type <= 3; ++type) model->Prop(kConcreteLayer, type, 0) = 1000 * type;
    auto mesh = ScannedMesh(*model);
    const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
    const int nc = 4 + 2 * mesh->nodeCount + 1; // header, nodes, no restraint, gravity
    ASSERT_EQ(stream[nc], 3);
    EXPECT_EQ(stream[nc + 1], 1000);
    EXPECT_EQ(stream[nc + 1 + 7], 2000);
    EXPECT_EQ(stream[nc + 1 + 14], 3000);
    const int ns = nc + 1 + 21;
    EXPECT_EQ(stream[ns], 0);     // no rebar: no rebar rows
    EXPECT_EQ(stream[ns + 1], 2); // E
    EXPECT_EQ(stream[ns + 2 + 4], 3);
    EXPECT_EQ(stream[ns + 2 + 5], 0); // rebar type of the element
    EXPECT_EQ(static_cast<int>(stream.size()), 13 + 2 * 6 + 21 + 18);
}

TEST(EngineInput, ControlDirectionAlwaysNamesADirection) {
    EXPECT_EQ(ControlDirectionOf(0), 1);
    EXPECT_EQ(ControlDirectionOf(1), 1);
    EXPECT_EQ(ControlDirectionOf(2), 2);
    EXPECT_EQ(ControlDirectionOf(3), 1);
    EXPECT_EQ(ControlDirectionOf(-2), 1);
}

TEST(EngineInput, ActiveOutputIsTheHighestMatchingSlot) {
    auto model = GridModel(3, 3);
    model->activeOutput = -1;
    EXPECT_EQ(ActiveOutputNumber(*model), 0); // empty slots hold −1 too, but never match
    model->outputElements[2] = 303;
    model->outputElements[5] = 303;
    model->outputElements[7] = 404;
    model->activeOutput = 303;
    EXPECT_EQ(ActiveOutputNumber(*model), 6);
    model->activeOutput = 505;
    EXPECT_EQ(ActiveOutputNumber(*model), 0);
}

TEST(EngineInput, SixteenBitModelValuesAreWidenedWithoutSign) {
    auto model = GridModel(1, 1);
    model->elementKind = -1;
    model->gravity = -2;
    model->engineFlagA = -3;
    model->engineFlagB = static_cast<int16_t>(0x8000);
    auto mesh = ScannedMesh(*model);
    const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
    ASSERT_EQ(stream.size(), 13u);
    EXPECT_EQ(stream[0], 65535);
    EXPECT_EQ(stream[4], 65534);
    EXPECT_EQ(stream[10], 65533);
    EXPECT_EQ(stream[11], 32768);
}

TEST(EngineInput, PacksFromEntryZeroAndLeavesTheRestAlone) {
    auto model = GridModel(1, 1);
    Place(*model, 0, 0, kConcreteLayer);
    auto mesh = ScannedMesh(*model);
    const int length = EngineInputLength(*mesh);
    std::vector<int32_t> buffer(length + 3, -7);
    EXPECT_EQ(PackEngineInput(*mesh, *model, buffer.data(), length - 1), -1);
    for (int32_t value : buffer) EXPECT_EQ(value, -7); // too small: nothing written
    EXPECT_EQ(PackEngineInput(*mesh, *model, buffer.data(), length), length);
    EXPECT_EQ(buffer[1], 4);
    EXPECT_EQ(buffer[length - 1], 0);
    EXPECT_EQ(buffer[length], -7);
}

TEST(EngineInput, FullPlanStaysWellInsideTheBuffer) {
    auto model = GridModel(60, 60);
    test::FillConcrete(*model, 11);
    for (int i = 0; i <= 60; ++i)
        for (int j = 0; j <= 60; ++j) {
            Place(*model, i, j, kBoundaryLayer);
            Place(*model, i, j, kPointForceLayer);
            if (i < 60 && j < 60) Place(*model, i, j, kRebarLayer, 11);
        }
    auto mesh = ScannedMesh(*model);
    const int length = EngineInputLength(*mesh);
    EXPECT_EQ(length, 13 + 2 * 3721 + 2 * 3721 + 7 * 11 + 7 * 11 + 9 * 3600 + 3 * 3721);
    EXPECT_LT(length, 60000);
    std::vector<int32_t> buffer(kEngineInputCapacity);
    EXPECT_EQ(PackEngineInput(*mesh, *model, buffer.data(), kEngineInputCapacity), length);
}
