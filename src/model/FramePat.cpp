#include "model/FramePat.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace torva {

CFramePat::CFramePat() {
    // Everything not named by Reset starts at 0 in a new model.
    std::memset(curFlag, 0, sizeof curFlag);
    std::memset(curType, 0, sizeof curType);
    std::fill(std::begin(typeProp), std::end(typeProp), 0);
    std::fill(std::begin(typeColor), std::end(typeColor), 0);
    fileVersionOut = kFileVersion;
    fileVersionIn = 0;
    topLayer = 2;
    nxs = 12;
    nys = 12;
    Reset();
}

void CFramePat::Reset() {
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y)
            for (int layer = 0; layer < kLayers; ++layer) {
                Flag(x, y, layer) = IsLabelPosition(x, y) ? 1 : 0;
                Type(x, y, layer) = 1;
            }

    static constexpr int32_t kConcrete[7] = {10000, 22, 1666, 240000, 2800, 280, 30};
    static constexpr int32_t kRebar[7] = {38710, 20000, 29500, 7133, 20000, 29500, 200};
    for (int type = 1; type <= kTypes; ++type) {
        Prop(kPointForceLayer, type, 0) = 0;
        Prop(kPointForceLayer, type, 1) = 0;
        Prop(kBoundaryLayer, type, 0) = 1;
        for (int p = 0; p < 7; ++p) {
            Prop(kConcreteLayer, type, p) = kConcrete[p];
            Prop(kRebarLayer, type, p) = kRebar[p];
        }
        for (int p = 0; p < 5; ++p) Prop(kFibreLayer, type, p) = 0;
        Prop(5, type, 0) = 1;
        Prop(5, type, 1) = 1;

        Color(kConcreteLayer, type) = kTypePalette[(type - 1) % 5];
        Color(kRebarLayer, type) = kTypePalette[(type + 3) % 5];
        Color(kFibreLayer, type) = kTypePalette[(type + 1) % 5];
    }

    std::fill(std::begin(spanType), std::end(spanType), uint8_t{1});
    std::fill(std::begin(spanLength), std::end(spanLength), uint16_t{100});

    controlNode = 0;
    ctrlDirection = 0;
    stepsPerSegment = 500;
    elementKind = 2;
    engineFlagA = 1;
    engineFlagB = 1;
    segmentCount = 1;
    gravity = 980;
    std::fill(std::begin(segmentPoints), std::end(segmentPoints), 0);

    std::fill(std::begin(outputElements), std::end(outputElements), -1);
    activeOutput = -1;
    outputCount = 0;

    curLayer = kConcreteLayer;
    layersShown = 4;
    LoadCurrentLayer();
}

void CFramePat::CopyFrom(const CFramePat& other) {
    if (this == &other) return;
    const int32_t keepVersionOut = fileVersionOut;
    const int32_t keepActive = activeOutput;
    const int32_t keepVersionIn = fileVersionIn;
    *this = other;
    fileVersionOut = keepVersionOut;
    activeOutput = keepActive;
    fileVersionIn = keepVersionIn;
}

void CFramePat::StoreCurrentLayer() {
    for (int i = 0; i < kPositions; ++i) {
        layerFlag[i * kLayers + curLayer] = curFlag[i];
        layerType[i * kLayers + curLayer] = curType[i];
    }
}

void CFramePat::LoadCurrentLayer() {
    for (int i = 0; i < kPositions; ++i) {
        curFlag[i] = layerFlag[i * kLayers + curLayer];
        curType[i] = layerType[i * kLayers + curLayer];
    }
}

void CFramePat::ClearCurrentPattern() {
    std::memset(curFlag, 0, sizeof curFlag);
    std::memset(curType, 1, sizeof curType);
}

} // namespace torva
