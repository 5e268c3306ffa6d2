// The change between two models as byte runs: both sides restore exactly, unchanged bytes cost
// nothing, and runs at the very start and end of the model are kept.
#include "model/ModelDelta.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace torva {
namespace {

bool Same(const CFramePat& a, const CFramePat& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ModelDelta, EqualModelsGiveAnEmptyDelta) {
    auto a = std::make_unique<CFramePat>();
    auto b = std::make_unique<CFramePat>(*a);
    EXPECT_TRUE(ModelDelta::Between(*a, *b).Empty());
}

TEST(ModelDelta, BothSidesRestoreExactlyAndOnlyChangedBytesAreKept) {
    auto before = std::make_unique<CFramePat>();
    auto after = std::make_unique<CFramePat>(*before);
    after->curFlag[0] = 7;                     // the first byte of the model
    after->Flag(40, 50, kRebarLayer) = 1;      // one cell in the middle
    after->Prop(kConcreteLayer, 3, 1) = 31000; // a property
    after->fileVersionIn = 99;                 // the last field
    const ModelDelta delta = ModelDelta::Between(*before, *after);
    ASSERT_FALSE(delta.Empty());
    // Four short runs, not a quarter of a megabyte.
    EXPECT_LT(delta.Size(), 200u);

    auto model = std::make_unique<CFramePat>(*after);
    delta.ApplyBefore(*model);
    EXPECT_TRUE(Same(*model, *before));
    delta.ApplyAfter(*model);
    EXPECT_TRUE(Same(*model, *after));
}

TEST(ModelDelta, AWholeLayerClearedRoundTrips) {
    auto before = std::make_unique<CFramePat>();
    for (int x = 2; x < 62; x += 3)
        for (int y = 2; y < 62; y += 2) before->Flag(x, y, kConcreteLayer) = 1;
    before->LoadCurrentLayer();
    auto after = std::make_unique<CFramePat>(*before);
    after->ClearCurrentPattern();
    after->StoreCurrentLayer();
    const ModelDelta delta = ModelDelta::Between(*before, *after);
    auto model = std::make_unique<CFramePat>(*after);
    delta.ApplyBefore(*model);
    EXPECT_TRUE(Same(*model, *before));
    delta.ApplyAfter(*model);
    EXPECT_TRUE(Same(*model, *after));
}

} // namespace
} // namespace torva
