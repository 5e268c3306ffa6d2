#pragma once
// Fixed capacities of the analysis engine and the values of its status word. The engine is sized for
// the whole plan (60 × 60 elements, 61 × 61 nodes), so every model a user can draw fits.
#include <cstdint>

namespace torva::engine {

constexpr int kMaxNodes = 3721;
constexpr int kMaxDofs = 2 * kMaxNodes; // x and y of every node
constexpr int kMaxEquations = kMaxDofs;
constexpr int kMaxElements = 3600;
constexpr int kMaxProfile = 2000000; // terms of the skyline stiffness profile
constexpr int kMaxRestraints = kMaxNodes;
constexpr int kMaxPointLoads = kMaxNodes;
constexpr int kMaxTypes = 20;        // concrete types, and rebar types
constexpr int kMaxOutputNumber = 25; // output numbers 1..25
constexpr int kMaxElementDofs = 20;  // independent degrees of freedom of one element
constexpr int kMaxMasters = 3;       // (master, factor) pairs of one degree of freedom
constexpr int kGaussPoints = 9;      // 3 × 3 per plane element
constexpr int kResultBufferSize = 212180;
constexpr int kInputStreamSize = 107195;

// What one engine is sized for; the defaults hold every model of the plan. A smaller engine refuses a
// larger model with kStatusBadInput.
struct EngineCapacity {
    int nodes = kMaxNodes;
    int elements = kMaxElements;
    int profile = kMaxProfile;
};

// Why a stream was refused for a capacity (status 5): the quantity, how many the model needs and how
// many the engine holds. An empty quantity: the refusal was for an inconsistent stream.
struct InputRefusal {
    const char* quantity = "";
    long long needed = 0;
    long long capacity = 0;
};

// The engine's status word.
enum EngineStatus : int {
    kStatusDone = 0,
    kStatusNoResponse = 3,   // push-over: the control degree of freedom does not respond; step not done
    kStatusUnstable = 4,     // a non-positive pivot: a mechanism or an unsupported model; step not done
    kStatusBadInput = 5,     // the stream is inconsistent or beyond the capacities; nothing done
    kStatusNotFinite = 6,    // a displacement, force or stress of the step is not finite; step not done
    kStatusNotConverged = 7, // iterative method: the step found no equilibrium, even cut into pieces
    kStatusCancelled = 8,    // iterative method: the caller abandoned the step; everything as before it
};

// Analysis modes.
constexpr int kElasticMode = 1;
constexpr int kPushoverMode = 2;

} // namespace torva::engine
