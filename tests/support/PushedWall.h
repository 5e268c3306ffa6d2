#pragma once
// The push-over wall of the benchmarks and the history tests: n × n concrete elements of 200 mm with
// D10 bars at 200 mm both ways, pinned along its last row of nodes (the base), 100 kN sideways at the
// top-left corner, which is the control node, pushed to `targetMicrons` in `steps` steps.
#include "model/FramePat.h"

namespace torva::test {

inline void PushedWall(CFramePat& m, int n, int steps, int targetMicrons) {
    m.nxs = m.nys = n + 2;
    m.Reset();
    m.SpanLengthOf(kAxisX, 1) = 200;
    m.SpanLengthOf(kAxisY, 1) = 200;
    const int32_t concrete[7] = {20000, 25, 2000, 240000, 3000, 200, 20};
    const int32_t rebar[7] = {7854, 20000, 40000, 7854, 20000, 40000, 200};
    for (int p = 0; p < 7; ++p) {
        m.Prop(kConcreteLayer, 1, p) = concrete[p];
        m.Prop(kRebarLayer, 1, p) = rebar[p];
    }
    for (int x = 2; x < n + 2; ++x)
        for (int y = 2; y < n + 2; ++y)
            for (int layer : {kConcreteLayer, kRebarLayer}) {
                m.Flag(x, y, layer) = 1;
                m.Type(x, y, layer) = 1;
            }
    for (int x = 2; x <= n + 2; ++x) {
        m.Flag(x, n + 2, kBoundaryLayer) = 1;
        m.Type(x, n + 2, kBoundaryLayer) = 1;
    }
    m.Prop(kPointForceLayer, 1, 0) = 100000 * 100;
    m.Flag(2, 2, kPointForceLayer) = 1;
    m.Type(2, 2, kPointForceLayer) = 1;
    m.controlNode = PositionCode(2, 2);
    m.ctrlDirection = 1;
    m.segmentCount = 1;
    m.stepsPerSegment = steps;
    m.segmentPoints[0] = 0;
    m.segmentPoints[1] = targetMicrons;
}

} // namespace torva::test
