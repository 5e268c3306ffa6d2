#pragma once
// The structure model of one plate: grid size, layer flags and type numbers at every grid position,
// member type properties and colours, span tables, element formulation, gravity, loading segments,
// control node and output elements. A plain fixed-size value object: nothing is allocated inside it
// and a whole model copies member by member.
//
// Grid positions (x, y), 0..101 each; arrays over positions are stored with y fastest (x·102 + y).
// Row 0 and column 0 carry the span labels, line 1 is empty, nodes and element corners start at 2.
// Layers (= member kinds): 0 point force, 1 boundary, 2 concrete, 3 steel rebar, 4 fibre sheet,
// 5..10 storage only. Type numbers 1..10 are assignable; type 11 is the default row ("def").
// Values are scaled integers: lengths, areas, strengths, densities, forces ×100; moduli in 1000 N/mm2;
// Poisson ratio ×10000; gravity m/sec2 ×100; span lengths in mm; loading points in 0.001 mm.
#include <cstdint>

namespace torva {

constexpr int kGridSize = 102;                    // positions per axis
constexpr int kPositions = kGridSize * kGridSize; // 10,404
constexpr int kLayers = 11;
constexpr int kLayerCells = kPositions * kLayers; // 114,444
constexpr int kKinds = 10;
constexpr int kTypes = 11; // 1..10 assignable, 11 = default row
constexpr int kDefaultType = 11;
constexpr int kProperties = 10;
constexpr int kTypePropCount = kKinds * kTypes * kProperties; // 1,100
constexpr int kTypeColorCount = kKinds * kTypes;              // 110
constexpr int kSpanTypeCount = kGridSize * 2;                 // 204
constexpr int kSpanLengthCount = kTypes * 2;                  // 22
constexpr int kSegmentPoints = 151;
constexpr int kMaxSegments = kSegmentPoints - 1;
constexpr int kOutputSlots = 25;
constexpr int kFileVersion = 20;
constexpr int kMinGridCount = 3; // nxs/nys: elements + 2, so 1..60 elements
constexpr int kMaxGridCount = 62;

enum Layer : int {
    kPointForceLayer = 0,
    kBoundaryLayer = 1,
    kConcreteLayer = 2,
    kRebarLayer = 3,
    kFibreLayer = 4,
    kFirstStorageLayer = 5,
};

enum Axis : int { kAxisX = 0, kAxisY = 1 };

// Index helpers: the one place where each array layout is spelt out.
constexpr int PosIndex(int x, int y) {
    return x * kGridSize + y;
}
constexpr int LayerIndex(int x, int y, int layer) {
    return PosIndex(x, y) * kLayers + layer;
}
constexpr int TypePropIndex(int kind, int type, int property) {
    return kind + kKinds * (type - 1) + kKinds * kTypes * property;
}
constexpr int TypeColorIndex(int kind, int type) {
    return kind + kKinds * (type - 1);
}
constexpr int SpanTypeIndex(int axis, int line) {
    return 2 * line + axis;
}
constexpr int SpanLengthIndex(int axis, int type) {
    return 2 * (type - 1) + axis;
}

// Position codes name the control node and the output elements: x + 100·y, 0 = none.
constexpr int PositionCode(int x, int y) {
    return x + 100 * y;
}
constexpr int CodeX(int code) {
    return code % 100;
}
constexpr int CodeY(int code) {
    return (code / 100) % 100;
}

// Row 0 and column 0 (but not (0, 0)) label the spans.
constexpr bool IsLabelPosition(int x, int y) {
    return x * y == 0 && x + y > 0;
}

class CFramePat {
public:
    CFramePat();

    // Sets every field to its default (keeps nxs, nys, topLayer) and loads the current layer.
    void Reset();
    // Copies every field but fileVersionOut, activeOutput and fileVersionIn.
    void CopyFrom(const CFramePat& other);
    // Working copy -> layer curLayer, and back.
    void StoreCurrentLayer();
    void LoadCurrentLayer();
    // Every flag of the working copy 0, every type 1 (label positions included); the caller stores it.
    void ClearCurrentPattern();

    // Named access to the scaled tables.
    int32_t& Prop(int kind, int type, int property) { return typeProp[TypePropIndex(kind, type, property)]; }
    int32_t Prop(int kind, int type, int property) const {
        return typeProp[TypePropIndex(kind, type, property)];
    }
    int32_t& Color(int kind, int type) { return typeColor[TypeColorIndex(kind, type)]; }
    int32_t Color(int kind, int type) const { return typeColor[TypeColorIndex(kind, type)]; }
    uint8_t& Flag(int x, int y, int layer) { return layerFlag[LayerIndex(x, y, layer)]; }
    uint8_t Flag(int x, int y, int layer) const { return layerFlag[LayerIndex(x, y, layer)]; }
    uint8_t& Type(int x, int y, int layer) { return layerType[LayerIndex(x, y, layer)]; }
    uint8_t Type(int x, int y, int layer) const { return layerType[LayerIndex(x, y, layer)]; }
    uint8_t& SpanTypeOf(int axis, int line) { return spanType[SpanTypeIndex(axis, line)]; }
    uint8_t SpanTypeOf(int axis, int line) const { return spanType[SpanTypeIndex(axis, line)]; }
    uint16_t& SpanLengthOf(int axis, int type) { return spanLength[SpanLengthIndex(axis, type)]; }
    uint16_t SpanLengthOf(int axis, int type) const { return spanLength[SpanLengthIndex(axis, type)]; }
    // Length in mm of the span of a grid line (column for kAxisX, row for kAxisY).
    int LineLength(int axis, int line) const { return SpanLengthOf(axis, SpanTypeOf(axis, line)); }

    // Fields in declaration order.
    uint8_t curFlag[kPositions];
    uint8_t curType[kPositions];
    uint8_t layerFlag[kLayerCells];
    uint8_t layerType[kLayerCells];
    int32_t typeProp[kTypePropCount];
    int32_t typeColor[kTypeColorCount];
    uint8_t spanType[kSpanTypeCount];
    uint16_t spanLength[kSpanLengthCount];
    int16_t elementKind; // 1 plain 4-node isoparametric, 2 with incompatible modes
    int16_t engineFlagA; // concrete model selector: 1 secant, 2 hysteretic, other linear
    int16_t engineFlagB; // rebar model selector: 1 bilinear, 2 curved, other linear
    int16_t gravity;     // m/sec2 ×100
    int32_t ctrlDirection;
    int32_t segmentCount;
    int32_t stepsPerSegment;
    int32_t segmentPoints[kSegmentPoints]; // 0.001 mm
    int32_t fileVersionOut;
    int32_t layersShown;
    int32_t curLayer;
    int32_t topLayer;
    int32_t nxs;
    int32_t nys;
    int32_t controlNode;
    int32_t outputElements[kOutputSlots];
    int32_t activeOutput;
    int32_t outputCount;
    int32_t fileVersionIn;
};

// Default colours (COLORREF 0x00BBGGRR): blue, cyan, green, yellow, red.
constexpr int32_t kTypePalette[5] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};

} // namespace torva
