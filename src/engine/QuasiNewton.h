#pragma once
// A limited-memory BFGS update of the iteration matrix's inverse (Matthies & Strang 1979; the
// two-loop product of Nocedal 1980). Each pair records an iteration's displacement change s and the
// change of the internal forces y it caused; the product H v then starts from the current secant
// matrix's solve (H0 = K^-1) and corrects it so that H y = s holds for the recorded pairs. Where the
// secant matrix misjudges the structure's stiffness along a few modes (a yield plateau, a crack that
// keeps opening) the plain secant iteration converges only linearly and slowly; the update learns those
// modes from the iterations themselves. Vectors are 1-based over the equations, as the solver's.
#include <functional>
#include <vector>

namespace torva::engine {

class QuasiNewton {
public:
    // Forgets every pair; from now on up to `depth` pairs over `equations` equations are kept (the
    // oldest makes room for a new one).
    void Start(int equations, int depth);
    int Pairs() const { return count_; }

    // Records the pair of a step s = H r (r the right-hand side the step was solved for, so that the
    // current approximation B = H^-1 has B s = r) that changed the internal forces by y. Where the
    // measured curvature s'y falls below a fifth of the approximation's s'B s, y is damped towards
    // B s until it reaches that fifth (Powell 1978): the update then stays symmetric positive definite
    // and well conditioned even where a crack opening or a bar yielding made s'y small or negative.
    void Add(const std::vector<double>& s, const std::vector<double>& y, const std::vector<double>& r);

    // result = H v, with `solve(rhs, solution)` applying K^-1. `result` may not be `v`.
    void Apply(const std::vector<double>& v, std::vector<double>& result,
               const std::function<void(const std::vector<double>&, std::vector<double>&)>& solve);
    // r1 = H v1 and r2 = H v2, each as Apply gives it, with one call of `solvePair(w)` applying K^-1
    // to both vectors interleaved in w (w[2i], w[2i + 1]: the i-th terms; see PairSubstitution.h).
    void ApplyPair(const std::vector<double>& v1, const std::vector<double>& v2, std::vector<double>& r1,
                   std::vector<double>& r2, const std::function<void(std::vector<double>&)>& solvePair);

private:
    double Dot(const std::vector<double>& a, const std::vector<double>& b) const;
    int Slot(int age) const; // the pair `age` iterations back (0 the newest)

    int n_ = 0, depth_ = 0, count_ = 0, newest_ = -1;
    std::vector<std::vector<double>> s_, y_;
    std::vector<double> rho_, alpha_;
    std::vector<double> work_, work2_, pair_, alpha2_;
};

} // namespace torva::engine
