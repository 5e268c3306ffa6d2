// Construction, Reset, Copy and the layer working copy of the structure model.
#include "model/FramePat.h"

#include <gtest/gtest.h>
#include <memory>

using namespace torva;

namespace {
std::unique_ptr<CFramePat> NewModel() {
    return std::make_unique<CFramePat>();
}
} // namespace

TEST(FramePat, NewModelHasTenByTenGridAndDefaults) {
    auto m = NewModel();
    EXPECT_EQ(m->nxs, 12);
    EXPECT_EQ(m->nys, 12);
    EXPECT_EQ(m->topLayer, 2);
    EXPECT_EQ(m->curLayer, 2);
    EXPECT_EQ(m->layersShown, 4);
    EXPECT_EQ(m->elementKind, 2);
    EXPECT_EQ(m->engineFlagA, 1);
    EXPECT_EQ(m->engineFlagB, 1);
    EXPECT_EQ(m->gravity, 980);
    EXPECT_EQ(m->stepsPerSegment, 500);
    EXPECT_EQ(m->segmentCount, 1);
    EXPECT_EQ(m->ctrlDirection, 0);
    EXPECT_EQ(m->controlNode, 0);
    EXPECT_EQ(m->activeOutput, -1);
    EXPECT_EQ(m->outputCount, 0);
    for (int slot = 0; slot < kOutputSlots; ++slot) EXPECT_EQ(m->outputElements[slot], -1);
    for (int line = 0; line < kGridSize; ++line) {
        EXPECT_EQ(m->SpanTypeOf(kAxisX, line), 1);
        EXPECT_EQ(m->SpanTypeOf(kAxisY, line), 1);
        EXPECT_EQ(m->LineLength(kAxisX, line), 100);
    }
}

TEST(FramePat, LabelRowAndColumnAreFlaggedInEveryLayerAndNothingElse) {
    auto m = NewModel();
    for (int layer = 0; layer < kLayers; ++layer) {
        EXPECT_EQ(m->Flag(0, 0, layer), 0);
        EXPECT_EQ(m->Flag(5, 0, layer), 1);
        EXPECT_EQ(m->Flag(0, 101, layer), 1);
        EXPECT_EQ(m->Flag(1, 1, layer), 0);
        EXPECT_EQ(m->Flag(3, 4, layer), 0);
        EXPECT_EQ(m->Type(3, 4, layer), 1);
    }
    // The working copy is layer 2.
    EXPECT_EQ(m->curFlag[PosIndex(7, 0)], 1);
    EXPECT_EQ(m->curFlag[PosIndex(7, 7)], 0);
}

TEST(FramePat, TypeTablesAndPalette) {
    auto m = NewModel();
    const int32_t concrete[7] = {10000, 22, 1666, 240000, 2800, 280, 30};
    const int32_t rebar[7] = {38710, 20000, 29500, 7133, 20000, 29500, 200};
    for (int type = 1; type <= kTypes; ++type) {
        for (int p = 0; p < 7; ++p) {
            EXPECT_EQ(m->Prop(kConcreteLayer, type, p), concrete[p]);
            EXPECT_EQ(m->Prop(kRebarLayer, type, p), rebar[p]);
        }
        EXPECT_EQ(m->Prop(kBoundaryLayer, type, 0), 1);
        EXPECT_EQ(m->Prop(5, type, 0), 1);
        EXPECT_EQ(m->Prop(5, type, 1), 1);
        EXPECT_EQ(m->Prop(kConcreteLayer, type, 7), 0);
        EXPECT_EQ(m->Color(kPointForceLayer, type), 0);
    }
    // Concrete starts at blue, rebar at red, fibre at green; all cycle through five colours.
    EXPECT_EQ(m->Color(kConcreteLayer, 1), 0xFF0000);
    EXPECT_EQ(m->Color(kConcreteLayer, 5), 0x0000FF);
    EXPECT_EQ(m->Color(kConcreteLayer, 6), 0xFF0000);
    EXPECT_EQ(m->Color(kRebarLayer, 1), 0x0000FF);
    EXPECT_EQ(m->Color(kRebarLayer, 2), 0xFF0000);
    EXPECT_EQ(m->Color(kFibreLayer, 1), 0x00FF00);
    EXPECT_EQ(m->Color(kFibreLayer, 11), 0x00FF00);
    // The memory layout of typeProp: kind + 10·(type − 1) + 110·property.
    EXPECT_EQ(m->typeProp[2 + 10 * 0 + 110 * 1], 22);
}

TEST(FramePat, ResetKeepsGridSizeAndTopLayer) {
    auto m = NewModel();
    m->nxs = 62;
    m->nys = 3;
    m->topLayer = 7;
    m->Flag(4, 4, kConcreteLayer) = 1;
    m->Prop(kConcreteLayer, 3, 1) = 30;
    m->Prop(kConcreteLayer, 3, 8) = 77; // a cell Reset does not name keeps its contents
    m->Color(kPointForceLayer, 2) = 0x123456;
    m->curLayer = 0;
    m->Reset();
    EXPECT_EQ(m->nxs, 62);
    EXPECT_EQ(m->nys, 3);
    EXPECT_EQ(m->topLayer, 7);
    EXPECT_EQ(m->curLayer, 2);
    EXPECT_EQ(m->Flag(4, 4, kConcreteLayer), 0);
    EXPECT_EQ(m->Prop(kConcreteLayer, 3, 1), 22);
    EXPECT_EQ(m->Prop(kConcreteLayer, 3, 8), 77);
    EXPECT_EQ(m->Color(kPointForceLayer, 2), 0x123456);
}

TEST(FramePat, CopyKeepsTheTargetsVersionAndActiveOutput) {
    auto source = NewModel();
    source->Flag(3, 3, kConcreteLayer) = 1;
    source->outputElements[0] = 303;
    source->outputCount = 1;
    source->activeOutput = 303;
    source->fileVersionIn = 17;
    source->fileVersionOut = 99;
    source->gravity = 981;

    auto target = NewModel();
    target->activeOutput = 505;
    target->fileVersionIn = 5;
    target->fileVersionOut = 20;
    target->CopyFrom(*source);
    EXPECT_EQ(target->Flag(3, 3, kConcreteLayer), 1);
    EXPECT_EQ(target->outputElements[0], 303);
    EXPECT_EQ(target->outputCount, 1);
    EXPECT_EQ(target->gravity, 981);
    EXPECT_EQ(target->activeOutput, 505);
    EXPECT_EQ(target->fileVersionIn, 5);
    EXPECT_EQ(target->fileVersionOut, 20);
}

TEST(FramePat, StoreAndLoadMoveTheWorkingCopy) {
    auto m = NewModel();
    m->curFlag[PosIndex(3, 4)] = 1;
    m->curType[PosIndex(3, 4)] = 7;
    m->StoreCurrentLayer();
    EXPECT_EQ(m->Flag(3, 4, kConcreteLayer), 1);
    EXPECT_EQ(m->Type(3, 4, kConcreteLayer), 7);
    EXPECT_EQ(m->Flag(3, 4, kRebarLayer), 0);

    m->curLayer = kRebarLayer;
    m->LoadCurrentLayer();
    EXPECT_EQ(m->curFlag[PosIndex(3, 4)], 0);
    m->curLayer = kConcreteLayer;
    m->LoadCurrentLayer();
    EXPECT_EQ(m->curType[PosIndex(3, 4)], 7);
}

TEST(FramePat, ClearPatternClearsLabelsButNotSpanTypes) {
    auto m = NewModel();
    m->SpanTypeOf(kAxisX, 4) = 3;
    m->ClearCurrentPattern();
    m->StoreCurrentLayer();
    EXPECT_EQ(m->Flag(4, 0, kConcreteLayer), 0);
    EXPECT_EQ(m->Flag(4, 0, kRebarLayer), 1);
    EXPECT_EQ(m->Type(4, 0, kConcreteLayer), 1);
    EXPECT_EQ(m->SpanTypeOf(kAxisX, 4), 3);
}

TEST(FramePat, PositionCodes) {
    EXPECT_EQ(PositionCode(3, 4), 403);
    EXPECT_EQ(CodeX(403), 3);
    EXPECT_EQ(CodeY(403), 4);
    EXPECT_EQ(PositionCode(101, 101), 10201);
    EXPECT_EQ(CodeY(10201), 2); // (code / 100) mod 100, as the plan view decodes it
    EXPECT_TRUE(IsLabelPosition(0, 5));
    EXPECT_FALSE(IsLabelPosition(0, 0));
    EXPECT_FALSE(IsLabelPosition(2, 2));
}
