#pragma once
// The engine's input stream: the whole problem as one array of 32-bit integers, in the model's scaled
// units. Sections, in order:
//
//   elementKind, N, R, L                               header (N nodes, R restraints, L loads)
//   x, y                          × N                  node coordinates, mm
//   node, direction code          × R                  1-based node; 1 x, 2 y, 12 both fixed
//   gravity                                            m/sec2 ×100
//   NC, then 7 concrete properties × NC                types 1..NC: t ×100, Ec /1000, nu ×10000,
//                                                      density ×100, fc ×100, ft ×100, eps0 ×10000
//   NS, then 7 rebar properties    × NS                types 1..NS: Ax, sx, fyx, Ay, sy, fyy ×100, Es /1000
//   E,  then n1 n2 n3 n4 concrete rebar discrete fibre output × E
//   node, Fx, Fy                  × L                  N ×100
//   control node (1-based, 0 none), control direction (1 x, 2 y), concrete model, rebar model,
//   active output number (0 none)
//
// Length: 13 + 2N + 2R + 7·NC + 7·NS + 9·E + 3L.
namespace torva::engine {

struct InputCounts {
    int nodes = 0, restraints = 0, loads = 0, concreteTypes = 0, rebarTypes = 0, elements = 0;
};

class InputLayout {
public:
    static constexpr int kHeaderEntries = 4;
    static constexpr int kNodeEntries = 2;
    static constexpr int kRestraintEntries = 2;
    static constexpr int kTypeProperties = 7;
    static constexpr int kElementEntries = 9;
    static constexpr int kLoadEntries = 3;
    static constexpr int kTrailerEntries = 5;

    constexpr explicit InputLayout(const InputCounts& counts) : n_(counts) {}

    constexpr int Header() const { return 0; }
    constexpr int Nodes() const { return kHeaderEntries; }
    constexpr int Restraints() const { return Nodes() + kNodeEntries * n_.nodes; }
    constexpr int Gravity() const { return Restraints() + kRestraintEntries * n_.restraints; }
    constexpr int ConcreteCount() const { return Gravity() + 1; }
    constexpr int ConcreteTypes() const { return ConcreteCount() + 1; }
    constexpr int RebarCount() const { return ConcreteTypes() + kTypeProperties * n_.concreteTypes; }
    constexpr int RebarTypes() const { return RebarCount() + 1; }
    constexpr int ElementCount() const { return RebarTypes() + kTypeProperties * n_.rebarTypes; }
    constexpr int Elements() const { return ElementCount() + 1; }
    constexpr int Loads() const { return Elements() + kElementEntries * n_.elements; }
    constexpr int Trailer() const { return Loads() + kLoadEntries * n_.loads; }
    constexpr int Length() const { return Trailer() + kTrailerEntries; }

private:
    InputCounts n_;
};

static_assert(InputLayout({1, 1, 1, 1, 1, 1}).Length() == 13 + 2 + 2 + 7 + 7 + 9 + 3);

} // namespace torva::engine
