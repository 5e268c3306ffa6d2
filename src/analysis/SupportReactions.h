#pragma once
// The forces the supports exert on the structure in the engine's state of its last step, and the loads
// they balance. At every dof the elements take f_int from their nodes (their internal forces) and the
// loads bring f_ext (gravity and the point-load pattern times the load factor); a restrained dof's
// reaction is R = f_int − f_ext. Forces on a tied dof count at the dof it follows. In equilibrium the
// reactions add up to minus the applied loads; the difference is the unbalance the step left.
#include <vector>

namespace torva {

namespace engine {
class Engine;
}

// Mesh node `node` (0-based, engine node node + 1) and the reaction of each restrained direction, N.
struct NodeReaction {
    int node = 0;
    bool fixed[2] = {false, false}; // x, y
    double force[2] = {0, 0};
};

struct SupportReactions {
    std::vector<NodeReaction> nodes; // in node order
    double sum[2] = {0, 0};          // of the reactions, x and y, N
    double gravity[2] = {0, 0};      // applied by gravity, N
    double pointLoads[2] = {0, 0};   // the point-load pattern times the load factor, N
    double loadFactor = 0;

    double Applied(int direction) const { return gravity[direction] + pointLoads[direction]; }
};

// Empty before the engine has an analysis.
SupportReactions ComputeSupportReactions(const engine::Engine& engine);

} // namespace torva
