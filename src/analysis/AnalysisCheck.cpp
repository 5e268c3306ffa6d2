#include "analysis/AnalysisCheck.h"

#include "analysis/FixedFormat.h"
#include "engine/EngineLimits.h"

namespace torva {
namespace {

// The equations are at most two per node, so the node limit also keeps the equations in range.
static_assert(2 * engine::kMaxNodes <= engine::kMaxEquations);

// "<kind> type <t>: <what> <value> <unit> <problem>." with the value in real units.
std::string Describe(const char* kind, int type, const char* what, double value, int decimals,
                     const char* unit, const char* problem) {
    std::string text = std::string(kind) + " type " + std::to_string(type) + ": " + what + " " +
                       FormatFixed(value, decimals);
    if (*unit) text += std::string(" ") + unit;
    return text + " " + problem + ".";
}

bool ConcreteTypeFaults(const CFramePat& model, int type, std::string& refusal) {
    auto prop = [&](int p) { return model.Prop(kConcreteLayer, type, p); };
    const char* kNotPositive = "is not positive";
    if (prop(0) <= 0)
        return refusal = Describe("Concrete", type, "thickness", prop(0) / 100.0, 2, "mm", kNotPositive),
               true;
    if (prop(1) <= 0)
        return refusal = Describe("Concrete", type, "Ec", prop(1) * 1000.0, 0, "N/mm2", kNotPositive), true;
    if (prop(2) < 0 || prop(2) >= 5000)
        return refusal = Describe("Concrete", type, "Poisson ratio", prop(2) / 10000.0, 4, "",
                                  "is not in the range 0 <= v < 0.5"),
               true;
    if (prop(4) <= 0)
        return refusal = Describe("Concrete", type, "fc", prop(4) / 100.0, 2, "N/mm2", kNotPositive), true;
    if (prop(5) < 0)
        return refusal = Describe("Concrete", type, "ft", prop(5) / 100.0, 2, "N/mm2", "is negative"), true;
    if (prop(6) <= 0)
        return refusal = Describe("Concrete", type, "strain at fc", prop(6) / 10000.0, 4, "", kNotPositive),
               true;
    return false;
}

bool RebarTypeFaults(const CFramePat& model, int type, std::string& refusal) {
    auto prop = [&](int p) { return model.Prop(kRebarLayer, type, p); };
    const char* kNotPositive = "is not positive";
    // Properties 0..2 are the x bars, 3..5 the y bars.
    for (int axis = 0; axis < 2; ++axis) {
        const int base = 3 * axis;
        const bool x = axis == 0;
        if (prop(base) < 0)
            return refusal = Describe("Rebar", type, x ? "X area" : "Y area", prop(base) / 100.0, 2, "mm2",
                                      "is negative"),
                   true;
        if (prop(base + 1) <= 0)
            return refusal = Describe("Rebar", type, x ? "X spacing" : "Y spacing", prop(base + 1) / 100.0, 2,
                                      "mm", kNotPositive),
                   true;
        if (prop(base + 2) <= 0)
            return refusal = Describe("Rebar", type, x ? "X yield strength" : "Y yield strength",
                                      prop(base + 2) / 100.0, 2, "N/mm2", kNotPositive),
                   true;
    }
    if (prop(6) <= 0)
        return refusal = Describe("Rebar", type, "Es", prop(6) * 1000.0, 0, "N/mm2", kNotPositive), true;
    return false;
}

} // namespace

bool CheckAnalysable(const Mesh& mesh, const CFramePat& model, std::string& refusal) {
    refusal.clear();
    if (mesh.elementCount == 0) {
        refusal = "The model has no concrete element to analyse.";
        return false;
    }
    if (mesh.nodeCount > engine::kMaxNodes || mesh.elementCount > engine::kMaxElements) {
        refusal = "The mesh has " + std::to_string(mesh.nodeCount) + " nodes and " +
                  std::to_string(mesh.elementCount) + " elements; the engine holds at most " +
                  std::to_string(engine::kMaxNodes) + " nodes and " + std::to_string(engine::kMaxElements) +
                  " elements.";
        return false;
    }
    if (model.gravity < 0) {
        refusal = "Gravity acceleration " + FormatFixed(model.gravity / 100.0, 2) + " m/sec2 is negative.";
        return false;
    }

    // Each type is checked once, in increasing type number, so the message is the same for every
    // mesh that uses the faulty type.
    bool concreteUsed[kTypes + 1] = {};
    bool rebarUsed[kTypes + 1] = {};
    for (int e = 0; e < mesh.elementCount; ++e) {
        const int concrete = mesh.elemConcreteType[e];
        const int rebar = mesh.elemRebarType[e];
        if (concrete >= 1 && concrete <= kTypes) concreteUsed[concrete] = true;
        if (rebar >= 1 && rebar <= kTypes) rebarUsed[rebar] = true;
    }
    for (int type = 1; type <= kTypes; ++type)
        if (concreteUsed[type] && ConcreteTypeFaults(model, type, refusal)) return false;
    for (int type = 1; type <= kTypes; ++type)
        if (rebarUsed[type] && RebarTypeFaults(model, type, refusal)) return false;
    return true;
}

} // namespace torva
