// Decoding of the input stream and the set-up that follows from it: equation numbering with supports
// and joint ties, the tie maps, and the initial element states.
#include "engine/Engine.h"
#include "engine/FreshRecord.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

// Reads the stream front to back; running past its end marks the stream bad.
class StreamReader {
public:
    explicit StreamReader(std::span<const int32_t> stream) : stream_(stream) {}
    int32_t Next() {
        if (position_ >= stream_.size()) {
            ok_ = false;
            return 0;
        }
        return stream_[position_++];
    }
    // Scaled values are formed in single precision and widened, as the stream's producers expect.
    double Divided(float divisor) { return double(float(Next()) / divisor); }
    double Multiplied(float factor) { return double(float(Next()) * factor); }
    bool ok() const { return ok_; }

private:
    std::span<const int32_t> stream_;
    size_t position_ = 0;
    bool ok_ = true;
};

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

// A count beyond the capacity is recorded for the message; a negative one is just inconsistent.
bool Engine::WithinCapacity(const char* quantity, int count, int capacity) {
    if (count > capacity) refusal_ = {quantity, count, capacity};
    return InRange(count, 0, capacity);
}

bool Engine::DecodeInput(std::span<const int32_t> stream) {
    StreamReader in(stream);
    formulation_ = in.Next();
    nodeCount_ = in.Next();
    restraintCount_ = in.Next();
    loadCount_ = in.Next();
    if (!in.ok()) return false;
    if (!WithinCapacity("nodes", nodeCount_, capacity_.nodes) ||
        !WithinCapacity("restraints", restraintCount_, capacity_.nodes) ||
        !WithinCapacity("point loads", loadCount_, capacity_.nodes))
        return false;
    for (int k = 1; k <= nodeCount_; ++k) {
        nodeX_[k] = double(in.Next());
        nodeY_[k] = double(in.Next());
    }
    for (int r = 0; r < restraintCount_; ++r) {
        restraintNode_[r] = in.Next();
        restraintCode_[r] = in.Next();
        if (!InRange(restraintNode_[r], 1, nodeCount_)) return false;
    }
    gravity_ = in.Divided(100.0f);

    concreteTypeCount_ = in.Next();
    if (!WithinCapacity("concrete types", concreteTypeCount_, kMaxTypes)) return false;
    for (int t = 1; t <= concreteTypeCount_; ++t) {
        ConcreteType& c = concreteTypes_[t];
        c.thickness = in.Divided(100.0f);
        c.Ec = in.Multiplied(1000.0f);
        c.nu = in.Divided(10000.0f);
        c.density = in.Divided(100.0f);
        c.fc = in.Divided(100.0f);
        c.ft = in.Divided(100.0f);
        c.eps0 = in.Divided(10000.0f);
    }
    rebarTypeCount_ = in.Next();
    if (!WithinCapacity("rebar types", rebarTypeCount_, kMaxTypes)) return false;
    for (int t = 1; t <= rebarTypeCount_; ++t) {
        RebarType& r = rebarTypes_[t];
        r.Ax = in.Divided(100.0f);
        r.sx = in.Divided(100.0f);
        r.fyx = in.Divided(100.0f);
        r.Ay = in.Divided(100.0f);
        r.sy = in.Divided(100.0f);
        r.fyy = in.Divided(100.0f);
        r.Es = in.Multiplied(1000.0f);
    }

    elementCount_ = in.Next();
    if (!WithinCapacity("elements", elementCount_, capacity_.elements)) return false;
    for (int e = 0; e < elementCount_; ++e) {
        ElementRecord& element = elements_[e];
        for (int32_t& node : element.nodes) {
            node = in.Next();
            if (!InRange(node, 1, nodeCount_)) return false;
        }
        element.concreteType = in.Next();
        element.rebarType = in.Next();
        element.discrete = in.Next();
        element.fibreType = in.Next();
        element.output = in.Next();
        if (!InRange(element.concreteType, 0, concreteTypeCount_) ||
            !InRange(element.rebarType, 0, rebarTypeCount_) || !InRange(element.discrete, 0, 2))
            return false;
    }
    for (int r = 0; r < loadCount_; ++r) {
        loads_[r].node = in.Next();
        loads_[r].fx = in.Divided(100.0f);
        loads_[r].fy = in.Divided(100.0f);
        if (!InRange(loads_[r].node, 1, nodeCount_)) return false;
    }
    controlNode_ = in.Next();
    controlDirection_ = in.Next();
    concreteSelector_ = in.Next();
    rebarSelector_ = in.Next();
    activeOutput_ = in.Next();
    if (!in.ok()) return false;
    // A control node outside the mesh, or a direction other than x (1) and y (2), names no control dof.
    if (!InRange(controlNode_, 1, nodeCount_) || !InRange(controlDirection_, 1, 2)) controlNode_ = 0;

    // Output element: the last element carrying the active output number.
    int table[kMaxOutputNumber + 1] = {};
    for (int e = 0; e < elementCount_; ++e)
        if (InRange(elements_[e].output, 1, kMaxOutputNumber)) table[elements_[e].output] = e + 1;
    outputElement_ = InRange(activeOutput_, 1, kMaxOutputNumber) ? table[activeOutput_] : 0;
    return true;
}

// Supports restrain dofs; joint elements tie one side to the other (code 1: y of n2 to n1 and y of n3
// to n4; code 2: x of n3 to n2 and x of n4 to n1). A tied dof has no equation of its own. Its master
// loses its equation only when a support holds the master or one of the dofs tied to it, so a joint
// several elements long is held only where a support really holds it.
void Engine::NumberEquations() {
    const int dofs = 2 * nodeCount_;
    std::fill_n(restrained_.begin(), dofs + 1, uint8_t(0));
    std::fill_n(tieRoot_.begin(), dofs + 1, 0);
    for (int r = 0; r < restraintCount_; ++r) {
        for (int code = restraintCode_[r]; code > 0; code /= 10) {
            const int digit = code % 10;
            if (digit == 1 || digit == 2) restrained_[2 * (restraintNode_[r] - 1) + digit] = 1;
        }
    }
    auto ydof = [](int node) { return 2 * node; };
    auto xdof = [](int node) { return 2 * node - 1; };
    for (int e = 0; e < elementCount_; ++e) {
        const ElementRecord& element = elements_[e];
        const int32_t* n = element.nodes;
        int tied[2] = {0, 0}, master[2] = {0, 0};
        if (element.discrete == 1) {
            tied[0] = ydof(n[1]), master[0] = ydof(n[0]);
            tied[1] = ydof(n[2]), master[1] = ydof(n[3]);
        } else if (element.discrete == 2) {
            tied[0] = xdof(n[2]), master[0] = xdof(n[1]);
            tied[1] = xdof(n[3]), master[1] = xdof(n[0]);
        }
        for (int p = 0; p < 2; ++p)
            if (tied[p] != master[p]) tieRoot_[tied[p]] = master[p];
    }
    // Follow chains of ties (two joints side by side) to the dof that is not tied itself; a cycle,
    // which only a malformed stream can hold, unties the dofs on it.
    for (int dof = 1; dof <= dofs; ++dof) {
        int root = tieRoot_[dof];
        for (int hops = 0; root != 0 && tieRoot_[root] != 0; ++hops) {
            root = tieRoot_[root];
            if (root == dof || hops > dofs) {
                root = 0;
                break;
            }
        }
        tieRoot_[dof] = root;
    }
    std::vector<int32_t>& mark = equationNumber_; // marks first, numbers after
    for (int dof = 1; dof <= dofs; ++dof) mark[dof] = restrained_[dof];
    for (int dof = 1; dof <= dofs; ++dof) {
        if (tieRoot_[dof] == 0) continue;
        mark[dof] = 1;
        if (restrained_[dof]) mark[tieRoot_[dof]] = 1;
    }
    equationCount_ = 0;
    for (int dof = 1; dof <= dofs; ++dof) mark[dof] = mark[dof] ? 0 : ++equationCount_;
}

void Engine::BuildTieMaps() {
    for (int dof = 1; dof <= 2 * nodeCount_; ++dof) {
        int32_t* master = &tieMaster_[kMaxMasters * dof];
        double* factor = &tieFactor_[kMaxMasters * dof];
        master[0] = tieRoot_[dof] != 0 ? tieRoot_[dof] : dof;
        factor[0] = 1.0;
        for (int pair = 1; pair < kMaxMasters; ++pair) master[pair] = 0, factor[pair] = 0.0;
    }
}

ConcreteMaterial Engine::ConcreteMaterialOf(int type) const {
    const ConcreteType& c = concreteTypes_[type];
    ConcreteMaterial m;
    m.E0 = c.Ec;
    m.nu = c.nu;
    m.fc = -c.fc;
    m.ft = c.ft;
    m.eps0 = -c.eps0;
    return m;
}

bool Engine::RebarMaterialOf(int e, RebarMaterial& material) const {
    const ElementRecord& element = elements_[e];
    if (element.rebarType == 0) return false;
    const RebarType& r = rebarTypes_[element.rebarType];
    const double t = element.concreteType != 0 ? concreteTypes_[element.concreteType].thickness : 0.0;
    material.Es = r.Es;
    material.rho[0] = t > 0.0 ? (r.Ax / r.sx) / t : 0.0;
    material.rho[1] = t > 0.0 ? (r.Ay / r.sy) / t : 0.0;
    material.fy[0] = r.fyx;
    material.fy[1] = r.fyy;
    return true;
}

void Engine::InitialiseElementStates() {
    if (concreteSelector_ == 2 && hysteresis_ == nullptr) {
        for (LargeVector<ConcreteHysteresis>& buffer : hysteresisBuffer_)
            buffer.resize(size_t(2 * kGaussPoints) * size_t(capacity_.elements));
        hysteresis_ = hysteresisBuffer_[0].data();
        hysteresisNext_ = hysteresisBuffer_[1].data();
    }
    for (int e = 0; e < elementCount_; ++e) {
        const ElementRecord& element = elements_[e];
        elementChanged_[e] = 1;
        std::fill_n(&gravityLoad_[8 * e], 8, 0.0);
        const ConcreteMaterial concrete =
            element.concreteType != 0 ? ConcreteMaterialOf(element.concreteType) : ConcreteMaterial{};
        RebarMaterial rebar;
        const bool hasRebar = RebarMaterialOf(e, rebar);
        for (int g = 0; g < kGaussPoints; ++g) {
            GaussPointState& gp = gauss_[9 * e + g];
            ResetRecord(gp);
            InitConcreteGaussPoint(gp.concrete, concrete);
            InitRebarGaussPoint(gp.rebar, hasRebar ? &rebar : nullptr);
        }
        if (ConcreteHysteresis* own = HysteresisOf(hysteresis_, e))
            for (int k = 0; k < 2 * kGaussPoints; ++k) ResetRecord(own[k]);
        jointProperties_[e] = JointProperties{};
        ResetRecord(joints_[e]);
        if (element.discrete == 0) continue;

        const int32_t* n = element.nodes;
        JointProperties& p = jointProperties_[e];
        p.length = element.discrete == 1 ? std::fabs(nodeY_[n[1]] - nodeY_[n[2]])
                                         : std::fabs(nodeX_[n[0]] - nodeX_[n[1]]);
        if (element.concreteType != 0) {
            const ConcreteType& c = concreteTypes_[element.concreteType];
            const double B = p.length * 0.5 * c.thickness;
            p.k0 = c.Ec * B / 10.0;
            p.Fcr = c.ft * B;
            p.Fc = -c.fc * B;
            p.hasConcrete = p.k0 > 0.0; // a joint of no length or stiffness carries nothing
        }
        if (element.rebarType != 0) {
            const RebarType& r = rebarTypes_[element.rebarType];
            const double A = element.discrete == 1 ? r.Ax : r.Ay;
            const double s = element.discrete == 1 ? r.sx : r.sy;
            const double fy = element.discrete == 1 ? r.fyx : r.fyy;
            const double D = p.length * A / s * 0.5;
            p.ks = r.Es * D / 10.0;
            p.Fy = D * fy;
            p.hasSteel = p.ks > 0.0;
        }
        InitJoint(joints_[e], p);
    }
}

} // namespace torva::engine
