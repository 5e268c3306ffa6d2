// Smeared rebar at a Gauss point and the discrete joint element: stresses, tangents, openings and the
// forces they put on the nodes, absent kinds and degenerate properties.
#include "engine/JointElement.h"
#include "engine/RebarModel.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace torva::engine;

namespace {

RebarMaterial Bars() {
    RebarMaterial m;
    m.Es = 200000;
    m.rho[0] = 0.005;
    m.rho[1] = 0.0; // no bars in y
    m.fy[0] = 400;
    m.fy[1] = 400;
    return m;
}

JointProperties Joint(bool concrete, bool steel) {
    JointProperties p;
    p.hasConcrete = concrete;
    p.hasSteel = steel;
    p.length = 1000;
    p.k0 = 3.0e5;
    p.Fcr = 3.0e4;
    p.Fc = -3.0e6;
    p.ks = 1.0e5;
    p.Fy = 4.0e4;
    return p;
}

} // namespace

TEST(Rebar, SmearedStressAndTangent) {
    const RebarMaterial m = Bars();
    for (int selector : {0, 1, 2}) {
        RebarGaussPoint gp;
        InitRebarGaussPoint(gp, &m);
        double strain[3] = {0.0005, -0.0003, 0.001}, stress[3];
        const double de[3] = {0.0005, -0.0003, 0.001};
        const bool changed = UpdateRebarGaussPoint(gp, m, strain, de, selector, 1, stress);
        EXPECT_NEAR(gp.barStress[0], 100.0, 1e-6 * 100) << selector; // below yield: Es e
        EXPECT_NEAR(stress[0], 0.5, 1e-6);
        EXPECT_EQ(stress[1], 0.0); // no area in y: no stress, no NaN
        EXPECT_EQ(stress[2], 0.0);
        EXPECT_TRUE(std::isfinite(gp.barStress[1]));
        EXPECT_EQ(changed, selector == 2); // the curved law re-forms the stiffness every step
        double Ds[9];
        RebarTangent(gp, m, Ds);
        EXPECT_NEAR(Ds[0], 0.005 * gp.law[0].tangent, 1e-9);
        EXPECT_EQ(Ds[4], 0.0);
        EXPECT_EQ(Ds[1] + Ds[2] + Ds[3] + Ds[5] + Ds[6] + Ds[7] + Ds[8], 0.0);
    }
    RebarGaussPoint none;
    InitRebarGaussPoint(none, nullptr);
    EXPECT_EQ(none.law[0].tangent, 0.0);
}

TEST(Joint, OpeningsAndNodalForcesFollowTheSprings) {
    // Below cracking and yielding both springs are elastic: f = K du.
    const double du[8] = {0.001, 0.002, 0.004, -0.001, 0.003, 0.0005, 0.0025, 0.0035};
    for (int code : {1, 2}) {
        double dd[2];
        JointOpenings(code, du, dd);
        EXPECT_DOUBLE_EQ(dd[0], code == 1 ? 0.004 - 0.001 : 0.0035 - 0.002);
        EXPECT_DOUBLE_EQ(dd[1], code == 1 ? 0.003 - 0.0025 : 0.0005 + 0.001);
        const JointProperties p = Joint(true, true);
        JointState joint;
        InitJoint(joint, p);
        double K[64], f[8];
        JointLocalStiffness(joint, code, K);
        UpdateJoint(joint, p, code, du, 1);
        JointLocalForces(joint, code, f);
        for (int i = 0; i < 8; ++i) {
            double Ku = 0.0;
            for (int j = 0; j < 8; ++j) Ku += K[8 * i + j] * du[j];
            EXPECT_NEAR(f[i], Ku, 1e-9 * 4e5) << "code " << code << " dof " << i;
        }
        EXPECT_NEAR(joint.spring[0].force, 4.0e5 * dd[0], 1e-6);
        // Equilibrium of the element: the nodal forces sum to 0.
        double sum = 0.0;
        for (double value : f) sum += value;
        EXPECT_NEAR(sum, 0.0, 1e-9);
    }
}

TEST(Joint, AbsentKindsContributeNothing) {
    const double du[8] = {0, 0, 0.001, 0, 0, 0, 0, 0};
    for (bool concrete : {false, true}) {
        const JointProperties p = Joint(concrete, !concrete);
        JointState joint;
        InitJoint(joint, p);
        double K[64];
        JointLocalStiffness(joint, 1, K);
        EXPECT_EQ(K[0], concrete ? 3.0e5 : 1.0e5);
        UpdateJoint(joint, p, 1, du, 1);
        EXPECT_EQ(concrete ? joint.spring[0].steelForce : joint.spring[0].concreteForce, 0.0);
        EXPECT_NEAR(joint.spring[0].force, (concrete ? 3.0e5 : 1.0e5) * 0.001, 1e-6);
    }
}
