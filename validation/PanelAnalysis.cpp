#include "PanelAnalysis.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace torva::validation {
namespace {

using engine::McftHistory;
using engine::McftPoint;
using Vec3 = std::array<double, 3>;

constexpr int kIterationLimit = 2000;
constexpr double kTolerance = 1e-10; // on the strain change, relative to the imposed shear strain

// Cramer's rule on a 3 × 3 system.
Vec3 Solve3(const double A[9], const Vec3& b) {
    auto det = [](const double* M) {
        return M[0] * (M[4] * M[8] - M[5] * M[7]) - M[1] * (M[3] * M[8] - M[5] * M[6]) +
               M[2] * (M[3] * M[7] - M[4] * M[6]);
    };
    const double d = det(A);
    Vec3 x{};
    for (int k = 0; k < 3; ++k) {
        double M[9];
        std::copy(A, A + 9, M);
        for (int r = 0; r < 3; ++r) M[3 * r + k] = b[r];
        x[k] = det(M) / d;
    }
    return x;
}

// Secant iterations at a fixed shear strain g: D (ex, ey, g) = lambda (a, b, 1), unknowns ex, ey, lambda.
bool SolveStep(const engine::McftMaterial& m, const McftHistory& history, const PanelPath& path, double g,
               Vec3& u, McftPoint& point, int& iterations) {
    const double a = path.normalPerShear[0], b = path.normalPerShear[1];
    for (iterations = 1; iterations <= kIterationLimit; ++iterations) {
        const double strain[3] = {u[0], u[1], g};
        engine::EvaluateMcft(m, strain, history, point);
        const double* D = point.D;
        const double A[9] = {D[0], D[1], -a, D[3], D[4], -b, D[6], D[7], -1};
        const Vec3 next = Solve3(A, {-D[2] * g, -D[5] * g, -D[8] * g});
        if (!std::isfinite(next[0]) || !std::isfinite(next[1]) || !std::isfinite(next[2])) return false;
        const double change = std::max(std::fabs(next[0] - u[0]), std::fabs(next[1] - u[1]));
        u = next;
        if (change <= kTolerance * std::fabs(g)) {
            const double converged[3] = {u[0], u[1], g};
            engine::EvaluateMcft(m, converged, history, point);
            return true;
        }
    }
    return false;
}

} // namespace

std::string PanelResult::Mode() const {
    if (yielded[0] && yielded[1]) return "YXY";
    if (yielded[0]) return "YX";
    if (yielded[1]) return "YY";
    return "C";
}

PanelResult AnalysePanel(const engine::McftMaterial& material, const PanelPath& path, double strainStep,
                         double maxShearStrain) {
    PanelResult result;
    McftHistory history;
    Vec3 u{0, 0, 0}, previous{0, 0, 0};
    for (double g = strainStep; g <= maxShearStrain; g += strainStep) {
        // Start from the last converged state carried forward linearly.
        Vec3 guess = {2 * u[0] - previous[0], 2 * u[1] - previous[1], 0};
        McftPoint point;
        int iterations = 0;
        if (!SolveStep(material, history, path, g, guess, point, iterations)) {
            // Not converging while the load still rises leaves the strength unknown.
            const double last = result.curve.empty() ? 0.0 : result.curve.back().shear;
            result.converged = last < 0.99 * result.strength;
            break;
        }
        previous = u;
        u = guess;
        engine::CommitMcft(point, history);
        const double shear = u[2];
        result.curve.push_back({g, shear});
        result.maxIterations = std::max(result.maxIterations, iterations);
        if (shear > result.strength) {
            result.strength = shear;
            result.strainAtPeak = g;
        }
        if (!result.crushed)
            for (int i = 0; i < 2; ++i) result.yielded[i] = result.yielded[i] || point.yielded[i];
        result.crushed = result.crushed || point.condition >= engine::ConcreteCondition::PastPeak;
        // Well past the peak: the strength is known.
        if (shear < 0.7 * result.strength) break;
    }
    return result;
}

} // namespace torva::validation
