#pragma once
// The discrete joint element of a zero-width column (code 1) or a zero-height row (code 2): two
// springs, each a concrete spring and a steel spring in parallel. Local dof order u1, v1, ..., u4, v4.
//   code 1: spring 1 joins x of n1 and n2, spring 2 joins x of n3 and n4; openings u2 - u1, u3 - u4
//   code 2: spring 1 joins y of n1 and n4, spring 2 joins y of n2 and n3; openings v4 - v1, v3 - v2
// Forces in N, openings in mm, tension (opening) positive.
#include "engine/JointLaws.h"
#include "engine/SteelLaws.h"

namespace torva::engine {

// Per-element properties, the same for both springs. A kind the element has no type for is absent.
struct JointProperties {
    bool hasConcrete = false;
    bool hasSteel = false;
    double length = 0; // joint length L
    double k0 = 0;     // concrete spring stiffness
    double Fcr = 0;    // cracking force
    double Fc = 0;     // compression strength force (negative)
    double ks = 0;     // steel spring stiffness
    double Fy = 0;     // yield force
};

struct JointSpring {
    double concreteOpening = 0, concreteForce = 0, concreteTangent = 0;
    double steelOpening = 0, steelForce = 0, steelTangent = 0;
    double force = 0; // concrete + steel
    ConcreteSpringHistory concreteLaw;
    BarLawHistory steelLaw;
};

struct JointState {
    JointSpring spring[2];
};

// Set-up: forces and openings 0, tangents k0 and ks (0 for an absent kind).
void InitJoint(JointState& joint, const JointProperties& properties);

// Relative displacement increments of the two springs from the local increments.
void JointOpenings(int code, const double du[8], double dd[2]);

// One step of both springs. Returns true when a law changed branch.
bool UpdateJoint(JointState& joint, const JointProperties& properties, int code, const double du[8],
                 int step);

// Local 8 × 8 tangent stiffness (row-major) and local internal forces.
void JointLocalStiffness(const JointState& joint, int code, double K[64]);
void JointLocalForces(const JointState& joint, int code, double f[8]);

} // namespace torva::engine
