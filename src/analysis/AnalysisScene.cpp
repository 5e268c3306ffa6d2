#include "analysis/AnalysisScene.h"

#include "analysis/ColourScale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torva {

namespace {

template <class T> void Zero(std::vector<T>& values) {
    std::fill(values.begin(), values.end(), T(0));
}

bool FitsCapacity(const MeshView& mesh) {
    return mesh.nodeCount >= 0 && mesh.nodeCount <= AnalysisScene::kNodeCapacity && mesh.elementCount >= 0 &&
           mesh.elementCount <= AnalysisScene::kElementCapacity;
}

} // namespace

AnalysisScene::AnalysisScene()
    : elasticDisp(2 * kNodeCapacity), elasticGauss(kElementValues * kElementCapacity),
      stepDisp(2 * kNodeCapacity), stepGauss(kElementValues * kElementCapacity), shownDisp(2 * kNodeCapacity),
      shownGauss(kElementValues * kElementCapacity), controlHistory(2 * kHistoryRows), shownX(kNodeCapacity),
      shownY(kNodeCapacity), glyph(2 * kGaussPoints * kElementCapacity) {
    for (auto& history : outputGaussHistory) history.assign(kOutputGaussSlots * kHistoryRows, 0.0);
    for (auto& history : outputDiscreteHistory) history.assign(kOutputDiscreteSlots * kHistoryRows, 0.0);
    graphCurve.reserve(kHistoryRows);

    // Corner r is element node r + 1: N1 = (1 + ξ)(1 + η)/4, N2 = (1 − ξ)(1 + η)/4,
    // N3 = (1 − ξ)(1 − η)/4, N4 = (1 + ξ)(1 − η)/4, at ξ = p[a], η = p[b], g = 3a + b.
    const float p[3] = {-kGaussCoordinate, 0.0f, kGaussCoordinate};
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            const float xi = p[a], eta = p[b];
            const int g = 3 * a + b;
            gaussShape[0][g] = (1 + xi) * (1 + eta) / 4;
            gaussShape[1][g] = (1 - xi) * (1 + eta) / 4;
            gaussShape[2][g] = (1 - xi) * (1 - eta) / 4;
            gaussShape[3][g] = (1 + xi) * (1 - eta) / 4;
        }
    }
}

int AnalysisScene::OutputElementOf(const MeshView& mesh) {
    int output = -1;
    for (int e = 0; e < mesh.elementCount; ++e)
        if (mesh.elemOutputNo[e] > 0) output = e;
    return output;
}

engine::ResultLayout AnalysisScene::ResultLayoutOf(const MeshView& mesh) {
    const int output = OutputElementOf(mesh);
    const engine::OutputBlockKind kind = output < 0                       ? engine::OutputBlockKind::None
                                         : mesh.elemDiscrete[output] == 0 ? engine::OutputBlockKind::Plane
                                                                          : engine::OutputBlockKind::Joint;
    return engine::ResultLayout(mesh.nodeCount, mesh.elementCount, kind);
}

int AnalysisScene::ResultValuesNeeded(const MeshView& mesh) {
    return ResultLayoutOf(mesh).Size();
}

void AnalysisScene::ClearRun(int segments, const int32_t* segmentPoints, int pointCount) {
    for (int slot = 0; slot < kElementCapacity * kGaussPoints; ++slot) {
        shownGauss[kGaussValues * slot] = 0.0f;
        shownGauss[kGaussValues * slot + 1] = 0.0f;
    }
    Zero(glyph);
    Zero(elasticDisp);
    Zero(stepDisp);
    Zero(shownX);
    Zero(shownY);
    Zero(shownDisp);

    // Segment s runs from point s to point s + 1; the points bound how many segments there can be.
    const int filled = std::clamp(std::min(segments, pointCount - 1), 0, kSegmentCapacity);
    for (int s = 0; s < kSegmentCapacity; ++s) {
        segmentStart[s] = s < filled ? static_cast<float>(segmentPoints[s]) / 1000.0f : 0.0f;
        segmentEnd[s] = s < filled ? static_cast<float>(segmentPoints[s + 1]) / 1000.0f : 0.0f;
    }
    graphCounterX = 0;
    graphCounterY = 0;
    graphCurve.clear();
    graphAxes.Reset();
    for (auto& history : outputGaussHistory) Zero(history);
    for (auto& history : outputDiscreteHistory) Zero(history);
}

bool AnalysisScene::ReadElasticResults(const MeshView& mesh, const double* results, int count) {
    const engine::ResultLayout layout = ResultLayoutOf(mesh);
    if (!FitsCapacity(mesh) || count < layout.Size()) return false;
    const double* displacements = results + layout.NodeDisplacement(0, 0);
    std::copy(displacements, displacements + 2 * mesh.nodeCount, elasticDisp.begin());
    const double* gauss = results + layout.GaussBegin();
    std::copy(gauss, gauss + kElementValues * mesh.elementCount, elasticGauss.begin());
    return true;
}

bool AnalysisScene::ReadStepResults(const MeshView& mesh, const double* results, int count, int step) {
    if (!ReadStepHistory(mesh, results, count, step)) return false;
    const engine::ResultLayout layout = ResultLayoutOf(mesh);
    const double* displacements = results + layout.NodeDisplacement(0, 0);
    std::copy(displacements, displacements + 2 * mesh.nodeCount, stepDisp.begin());
    const double* gauss = results + layout.GaussBegin();
    std::copy(gauss, gauss + kElementValues * mesh.elementCount, stepGauss.begin());
    return true;
}

bool AnalysisScene::ReadStepHistory(const MeshView& mesh, const double* results, int count, int step) {
    const engine::ResultLayout layout = ResultLayoutOf(mesh);
    if (!FitsCapacity(mesh) || count < layout.Size()) return false;
    if (step < 0 || step >= kHistoryRows) return true;
    controlHistory[2 * step] = static_cast<float>(results[engine::ResultLayout::kControlDisplacement]);
    controlHistory[2 * step + 1] = static_cast<float>(results[engine::ResultLayout::kControlForce]);
    // The second direction's values (or the second spring's) go to the slots after the first's.
    if (layout.Output() == engine::OutputBlockKind::Plane) {
        for (int g = 0; g < kGaussPoints; ++g)
            for (int d = 0; d < 2; ++d)
                for (int q = 0; q < kOutputQuantities; ++q)
                    outputGaussHistory[q][OutputGaussIndex(step, g + d * kGaussPoints)] =
                        results[layout.OutputValue(g, d, q)];
    } else if (layout.Output() == engine::OutputBlockKind::Joint) {
        for (int spring = 0; spring < 2; ++spring)
            for (int q = 0; q < kOutputQuantities; ++q)
                outputDiscreteHistory[q][OutputDiscreteIndex(step, spring)] =
                    results[layout.OutputValue(0, spring, q)];
    }
    return true;
}

bool AnalysisScene::ReadStepField(const MeshView& mesh, const ResultField& field) {
    if (!FitsCapacity(mesh) || !field.hasResults) return false;
    const int nodes = std::min(mesh.nodeCount, static_cast<int>(field.ux.size()));
    for (int k = 0; k < nodes; ++k) {
        stepDisp[2 * size_t(k)] = field.ux[size_t(k)];
        stepDisp[2 * size_t(k) + 1] = field.uy[size_t(k)];
    }
    const int elements = std::min(mesh.elementCount, field.elements);
    for (int e = 0; e < elements; ++e)
        for (int g = 0; g < kGaussPoints; ++g) {
            const PointResult& p = field.Point(e, g);
            double* out = &stepGauss[size_t(GaussIndex(e, g))];
            out[0] = p.s1;
            out[1] = p.s2;
            out[2] = p.angle;
        }
    return true;
}

void AnalysisScene::ReadControlCurve(std::span<const int> steps, std::span<const CapacityPoint> points) {
    const size_t count = std::min(steps.size(), points.size());
    int previous = -1;
    for (size_t i = 0; i < count; ++i) {
        const int row = steps[i];
        if (row < 0 || row >= kHistoryRows || row <= previous) continue;
        const float d = static_cast<float>(points[i].displacement);
        const float f = static_cast<float>(points[i].force * 1000.0);
        // A thinned history skips rows: they lie on the line from the last held one.
        if (previous >= 0) {
            const float d0 = controlHistory[2 * size_t(previous)],
                        f0 = controlHistory[2 * size_t(previous) + 1];
            for (int between = previous + 1; between < row; ++between) {
                const float t = float(between - previous) / float(row - previous);
                controlHistory[2 * size_t(between)] = d0 + t * (d - d0);
                controlHistory[2 * size_t(between) + 1] = f0 + t * (f - f0);
            }
        }
        controlHistory[2 * size_t(row)] = d;
        controlHistory[2 * size_t(row) + 1] = f;
        previous = row;
    }
}

void AnalysisScene::FillDisplayFromElastic() {
    std::copy(elasticDisp.begin(), elasticDisp.end(), shownDisp.begin());
    std::copy(elasticGauss.begin(), elasticGauss.end(), shownGauss.begin());
}

void AnalysisScene::FillDisplayFromStep() {
    std::copy(stepDisp.begin(), stepDisp.end(), shownDisp.begin());
    std::copy(stepGauss.begin(), stepGauss.end(), shownGauss.begin());
}

void AnalysisScene::PrepareDisplay(const MeshView& mesh, float responseScale, ColourScale& colours) {
    PrepareStressRange(colours);
    PrepareDeformedAndGlyphs(mesh, responseScale);
}

void AnalysisScene::PrepareStressRange(ColourScale& colours) {
    // Every slot counts, also those without an element (0 after a run is cleared).
    float lo = shownGauss[0], hi = shownGauss[0];
    for (int slot = 0; slot < kElementCapacity * kGaussPoints; ++slot) {
        const float s1 = shownGauss[kGaussValues * slot];
        const float s2 = shownGauss[kGaussValues * slot + 1];
        lo = std::min(lo, std::min(s1, s2));
        hi = std::max(hi, std::max(s1, s2));
    }
    stressMin = lo;
    stressMax = hi;
    colours.SetRange(lo, hi);
}

void AnalysisScene::PrepareDeformedAndGlyphs(const MeshView& mesh, float responseScale) {
    const int nodes = std::clamp(mesh.nodeCount, 0, kNodeCapacity);
    const int elements = std::clamp(mesh.elementCount, 0, kElementCapacity);

    for (int k = 0; k < nodes; ++k) {
        shownX[k] =
            static_cast<int32_t>(static_cast<float>(mesh.nodeX[k]) + responseScale * shownDisp[2 * k]);
        shownY[k] =
            static_cast<int32_t>(static_cast<float>(mesh.nodeY[k]) + responseScale * shownDisp[2 * k + 1]);
    }

    // The smallest extent of a plane element, corners n1 and n3 of the undeformed mesh. The first
    // element's width is the starting value unless it is a zero-width joint column, which would hide
    // every glyph; then only plane elements count.
    constexpr float kNone = std::numeric_limits<float>::max();
    float extent = 0.0f;
    if (elements > 0) {
        extent = std::fabs(static_cast<float>(mesh.nodeX[mesh.Node(0, 2)] - mesh.nodeX[mesh.Node(0, 0)]));
        if (extent == 0.0f) extent = kNone;
        for (int e = 0; e < elements; ++e) {
            if (mesh.elemDiscrete[e] != 0) continue;
            const int n1 = mesh.Node(e, 0), n3 = mesh.Node(e, 2);
            extent = std::min(extent, std::fabs(static_cast<float>(mesh.nodeX[n3] - mesh.nodeX[n1])));
            extent = std::min(extent, std::fabs(static_cast<float>(mesh.nodeY[n3] - mesh.nodeY[n1])));
        }
        if (extent == kNone) extent = 0.0f;
    }
    minExtent = extent;

    float m = std::fabs(shownGauss[0]);
    for (int e = 0; e < elements; ++e) {
        for (int g = 0; g < kGaussPoints; ++g) {
            const int i = GaussIndex(e, g);
            m = std::max(m, std::max(std::fabs(shownGauss[i]), std::fabs(shownGauss[i + 1])));
        }
    }
    if (m < kTinyStress) m = 1.0f;
    largestStress = m;

    const float f = minExtent / 5.0f / m;
    glyphScale = f;
    for (int e = 0; e < elements; ++e) {
        for (int g = 0; g < kGaussPoints; ++g) {
            const int i = GaussIndex(e, g);
            glyph[GlyphIndex(e, g)] = f * shownGauss[i];
            glyph[GlyphIndex(e, g) + 1] = f * shownGauss[i + 1];
        }
    }
}

void AnalysisScene::GaussPointPosition(const MeshView& mesh, int element, int gauss, int& x, int& y) const {
    x = 0;
    y = 0;
    for (int r = 0; r < 4; ++r) {
        const int node = mesh.Node(element, r);
        x = static_cast<int>(static_cast<float>(x) + gaussShape[r][gauss] * static_cast<float>(shownX[node]));
        y = static_cast<int>(static_cast<float>(y) + gaussShape[r][gauss] * static_cast<float>(shownY[node]));
    }
}

void AnalysisScene::CollectStressSamples(const MeshView& mesh, std::vector<StressSample>& samples) const {
    samples.clear();
    const int elements = std::clamp(mesh.elementCount, 0, kElementCapacity);
    for (int e = 0; e < elements; ++e) {
        if (mesh.elemDiscrete[e] != 0) continue;
        for (int g = 0; g < kGaussPoints; ++g) {
            StressSample sample;
            GaussPointPosition(mesh, e, g, sample.x, sample.y);
            sample.s1 = shownGauss[GaussIndex(e, g)];
            sample.s2 = shownGauss[GaussIndex(e, g) + 1];
            samples.push_back(sample);
        }
    }
}

} // namespace torva
