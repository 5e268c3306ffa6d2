#include "engine/JointElement.h"

#include "engine/FreshRecord.h"

#include <algorithm>

namespace torva::engine {
namespace {

constexpr double kSpringTangentFloor = 0.01f; // of k0

// The local dofs a spring joins: (a, b) with opening = u_b - u_a.
void SpringDofs(int code, int spring, int& a, int& b) {
    if (code == 1) {
        a = spring == 0 ? 0 : 6; // n1 x, n4 x
        b = spring == 0 ? 2 : 4; // n2 x, n3 x
    } else {
        a = spring == 0 ? 1 : 3; // n1 y, n2 y
        b = spring == 0 ? 7 : 5; // n4 y, n3 y
    }
}

} // namespace

void InitJoint(JointState& joint, const JointProperties& properties) {
    ResetRecord(joint);
    for (JointSpring& spring : joint.spring) {
        if (properties.hasConcrete) {
            spring.concreteTangent = properties.k0;
            InitConcreteSpringHistory(spring.concreteLaw, properties.k0);
        }
        if (properties.hasSteel) {
            spring.steelTangent = properties.ks;
            InitBarLawHistory(spring.steelLaw, properties.ks);
        }
    }
}

void JointOpenings(int code, const double du[8], double dd[2]) {
    for (int k = 0; k < 2; ++k) {
        int a, b;
        SpringDofs(code, k, a, b);
        dd[k] = du[b] - du[a];
    }
}

bool UpdateJoint(JointState& joint, const JointProperties& properties, int code, const double du[8],
                 int step) {
    double dd[2];
    JointOpenings(code, du, dd);
    bool changed = false;
    for (int k = 0; k < 2; ++k) {
        JointSpring& spring = joint.spring[k];
        if (properties.hasConcrete) {
            SpringLawInput in;
            in.d = spring.concreteOpening;
            in.Fp = spring.concreteForce;
            in.dd = dd[k];
            in.k0dd = properties.k0 * dd[k];
            in.k0 = properties.k0;
            in.Fcr = properties.Fcr;
            LawResult out;
            ConcreteSpringLaw(in, spring.concreteLaw, out);
            // The spring keeps one tangent: bounded, it is also the one its next elastic trial uses.
            spring.concreteTangent = std::max(out.tangent, kSpringTangentFloor * properties.k0);
            spring.concreteLaw.tangent = spring.concreteTangent;
            spring.concreteOpening += dd[k];
            spring.concreteForce += out.dStress;
            changed = changed || out.branchChanged;
        }
        if (properties.hasSteel) {
            BarLawInput in;
            in.e = spring.steelOpening;
            in.sp = spring.steelForce;
            in.de = dd[k];
            in.Ede = properties.ks * dd[k];
            in.E = properties.ks;
            in.fy = properties.Fy;
            in.ey = properties.Fy / properties.ks;
            in.step = step;
            LawResult out;
            SteelSpringLaw(in, spring.steelLaw, out);
            spring.steelTangent = out.tangent;
            spring.steelOpening += dd[k];
            spring.steelForce += out.dStress;
            changed = changed || out.branchChanged;
        }
        spring.force = spring.concreteForce + spring.steelForce;
    }
    return changed;
}

void JointLocalStiffness(const JointState& joint, int code, double K[64]) {
    std::fill(K, K + 64, 0.0);
    for (int k = 0; k < 2; ++k) {
        const double stiffness = joint.spring[k].concreteTangent + joint.spring[k].steelTangent;
        int a, b;
        SpringDofs(code, k, a, b);
        K[8 * a + a] = K[8 * b + b] = stiffness;
        K[8 * a + b] = K[8 * b + a] = -stiffness;
    }
}

void JointLocalForces(const JointState& joint, int code, double f[8]) {
    std::fill(f, f + 8, 0.0);
    for (int k = 0; k < 2; ++k) {
        int a, b;
        SpringDofs(code, k, a, b);
        f[a] = -joint.spring[k].force;
        f[b] = joint.spring[k].force;
    }
}

} // namespace torva::engine
