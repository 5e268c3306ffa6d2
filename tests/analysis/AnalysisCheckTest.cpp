// The check before an analysis: what the engine cannot analyse is refused with a message naming it.
#include "analysis/AnalysisCheck.h"

#include "TestModels.h"
#include "engine/EngineLimits.h"

#include <gtest/gtest.h>
#include <string>

using namespace torva;
using test::GridModel;
using test::Place;
using test::ScannedMesh;

namespace {

// Two elements: concrete types 1 and 2, rebar type 3 on the second.
std::unique_ptr<CFramePat> TwoTypeModel() {
    auto model = GridModel(2, 1);
    Place(*model, 0, 0, kConcreteLayer, 1);
    Place(*model, 1, 0, kConcreteLayer, 2);
    Place(*model, 1, 0, kRebarLayer, 3);
    Place(*model, 0, 1, kBoundaryLayer);
    return model;
}

std::string Refusal(const CFramePat& model) {
    auto mesh = ScannedMesh(model);
    std::string refusal;
    const bool ok = CheckAnalysable(*mesh, model, refusal);
    EXPECT_EQ(ok, refusal.empty());
    return refusal;
}

} // namespace

TEST(AnalysisCheck, ASoundModelPasses) {
    auto model = TwoTypeModel();
    EXPECT_EQ(Refusal(*model), "");
    model->Prop(kConcreteLayer, 1, 5) = 0; // ft = 0: no tension, still sound
    model->Prop(kRebarLayer, 3, 0) = 0;    // no x bars
    model->Prop(kConcreteLayer, 2, 2) = 0; // ν = 0
    model->Prop(kConcreteLayer, 1, 2) = 4999;
    EXPECT_EQ(Refusal(*model), "");
}

TEST(AnalysisCheck, NoElementIsRefused) {
    auto model = GridModel(2, 2);
    Place(*model, 0, 0, kBoundaryLayer);
    EXPECT_EQ(Refusal(*model), "The model has no concrete element to analyse.");
}

TEST(AnalysisCheck, ConcreteValuesNameTypeAndValue) {
    struct Case {
        int property;
        int32_t value;
        const char* message;
    };
    const Case cases[] = {
        {0, 0, "Concrete type 2: thickness 0.00 mm is not positive."},
        {1, -3, "Concrete type 2: Ec -3000 N/mm2 is not positive."},
        {2, 5000, "Concrete type 2: Poisson ratio 0.5000 is not in the range 0 <= v < 0.5."},
        {2, -1, "Concrete type 2: Poisson ratio -0.0001 is not in the range 0 <= v < 0.5."},
        {4, 0, "Concrete type 2: fc 0.00 N/mm2 is not positive."},
        {5, -50, "Concrete type 2: ft -0.50 N/mm2 is negative."},
        {6, 0, "Concrete type 2: strain at fc 0.0000 is not positive."},
    };
    for (const Case& c : cases) {
        auto model = TwoTypeModel();
        model->Prop(kConcreteLayer, 2, c.property) = c.value;
        EXPECT_EQ(Refusal(*model), c.message) << "property " << c.property;
    }
}

TEST(AnalysisCheck, RebarValuesNameTypeAndValue) {
    struct Case {
        int property;
        int32_t value;
        const char* message;
    };
    const Case cases[] = {
        {0, -1, "Rebar type 3: X area -0.01 mm2 is negative."},
        {1, 0, "Rebar type 3: X spacing 0.00 mm is not positive."},
        {2, 0, "Rebar type 3: X yield strength 0.00 N/mm2 is not positive."},
        {3, -100, "Rebar type 3: Y area -1.00 mm2 is negative."},
        {4, -5, "Rebar type 3: Y spacing -0.05 mm is not positive."},
        {5, 0, "Rebar type 3: Y yield strength 0.00 N/mm2 is not positive."},
        {6, 0, "Rebar type 3: Es 0 N/mm2 is not positive."},
    };
    for (const Case& c : cases) {
        auto model = TwoTypeModel();
        model->Prop(kRebarLayer, 3, c.property) = c.value;
        EXPECT_EQ(Refusal(*model), c.message) << "property " << c.property;
    }
}

TEST(AnalysisCheck, TypesNoElementUsesAreNotChecked) {
    auto model = TwoTypeModel();
    model->Prop(kConcreteLayer, 4, 0) = 0; // beyond the highest used number
    model->Prop(kRebarLayer, 1, 1) = 0;    // sent (rows 1..3) but used by no element
    model->Prop(kRebarLayer, 2, 6) = 0;
    model->Type(2, 2, kRebarLayer) = 1; // a type without its rebar flag is no rebar
    EXPECT_EQ(Refusal(*model), "");
}

TEST(AnalysisCheck, NegativeGravityIsRefused) {
    auto model = TwoTypeModel();
    model->gravity = -979;
    EXPECT_EQ(Refusal(*model), "Gravity acceleration -9.79 m/sec2 is negative.");
    model->gravity = 0;
    EXPECT_EQ(Refusal(*model), "");
}

TEST(AnalysisCheck, MeshBeyondTheEngineIsRefused) {
    // No model file can hold such a grid; a model built in memory can, and the mesh takes it.
    auto model = GridModel(60, 60);
    model->nxs = model->nys = 101; // 99 × 99 elements
    test::FillConcrete(*model);
    auto mesh = ScannedMesh(*model);
    ASSERT_EQ(mesh->elementCount, 99 * 99);
    std::string refusal;
    EXPECT_FALSE(CheckAnalysable(*mesh, *model, refusal));
    EXPECT_EQ(refusal, "The mesh has 10000 nodes and 9801 elements; the engine holds at most 3721 nodes and "
                       "3600 elements.");

    model->nxs = model->nys = 62; // the whole 60 × 60 plan fits
    mesh->Build(*model, kActualSize);
    EXPECT_TRUE(CheckAnalysable(*mesh, *model, refusal)) << refusal;
    EXPECT_EQ(mesh->nodeCount, engine::kMaxNodes);
    EXPECT_EQ(mesh->elementCount, engine::kMaxElements);
}
