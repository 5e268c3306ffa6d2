#include "engine/QuasiNewton.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

// Powell's damping: the curvature a pair keeps, at least this share of the approximation's.
constexpr double kDampingShare = 0.2;

} // namespace

void QuasiNewton::Start(int equations, int depth) {
    count_ = 0;
    newest_ = -1;
    if (equations == n_ && depth == depth_) return;
    n_ = equations;
    depth_ = depth;
    count_ = 0;
    newest_ = -1;
    s_.assign(size_t(depth), std::vector<double>(size_t(equations + 1)));
    y_.assign(size_t(depth), std::vector<double>(size_t(equations + 1)));
    rho_.assign(size_t(depth), 0.0);
    alpha_.assign(size_t(depth), 0.0);
    work_.assign(size_t(equations + 1), 0.0);
    work2_.assign(size_t(equations + 1), 0.0);
    pair_.assign(2 * size_t(equations + 1), 0.0);
    alpha2_.assign(size_t(depth), 0.0);
}

double QuasiNewton::Dot(const std::vector<double>& a, const std::vector<double>& b) const {
    double sum = 0.0;
    for (int i = 1; i <= n_; ++i) sum += a[i] * b[i];
    return sum;
}

int QuasiNewton::Slot(int age) const {
    return (newest_ - age + depth_) % depth_;
}

void QuasiNewton::Add(const std::vector<double>& s, const std::vector<double>& y,
                      const std::vector<double>& r) {
    if (depth_ == 0) return;
    const double measured = Dot(s, y), predicted = Dot(s, r);
    if (!(predicted > 0.0) || !std::isfinite(measured)) return;
    const double theta = measured >= kDampingShare * predicted
                             ? 1.0
                             : (1.0 - kDampingShare) * predicted / (predicted - measured);
    newest_ = (newest_ + 1) % depth_;
    std::copy_n(s.begin() + 1, n_, s_[newest_].begin() + 1);
    for (int i = 1; i <= n_; ++i) y_[newest_][i] = theta * y[i] + (1.0 - theta) * r[i];
    rho_[newest_] = 1.0 / (theta * measured + (1.0 - theta) * predicted);
    count_ = std::min(count_ + 1, depth_);
}

void QuasiNewton::Apply(const std::vector<double>& v, std::vector<double>& result,
                        const std::function<void(const std::vector<double>&, std::vector<double>&)>& solve) {
    std::copy_n(v.begin() + 1, n_, work_.begin() + 1);
    for (int age = 0; age < count_; ++age) {
        const int k = Slot(age);
        alpha_[k] = rho_[k] * Dot(s_[k], work_);
        for (int i = 1; i <= n_; ++i) work_[i] -= alpha_[k] * y_[k][i];
    }
    solve(work_, result);
    for (int age = count_ - 1; age >= 0; --age) {
        const int k = Slot(age);
        const double beta = rho_[k] * Dot(y_[k], result);
        for (int i = 1; i <= n_; ++i) result[i] += (alpha_[k] - beta) * s_[k][i];
    }
}

void QuasiNewton::ApplyPair(const std::vector<double>& v1, const std::vector<double>& v2,
                            std::vector<double>& r1, std::vector<double>& r2,
                            const std::function<void(std::vector<double>&)>& solvePair) {
    std::copy_n(v1.begin() + 1, n_, work_.begin() + 1);
    std::copy_n(v2.begin() + 1, n_, work2_.begin() + 1);
    for (int age = 0; age < count_; ++age) {
        const int k = Slot(age);
        alpha_[k] = rho_[k] * Dot(s_[k], work_);
        alpha2_[k] = rho_[k] * Dot(s_[k], work2_);
        for (int i = 1; i <= n_; ++i) {
            work_[i] -= alpha_[k] * y_[k][i];
            work2_[i] -= alpha2_[k] * y_[k][i];
        }
    }
    for (int i = 1; i <= n_; ++i) {
        pair_[2 * size_t(i)] = work_[i];
        pair_[2 * size_t(i) + 1] = work2_[i];
    }
    solvePair(pair_);
    for (int i = 1; i <= n_; ++i) {
        r1[i] = pair_[2 * size_t(i)];
        r2[i] = pair_[2 * size_t(i) + 1];
    }
    for (int age = count_ - 1; age >= 0; --age) {
        const int k = Slot(age);
        const double beta = rho_[k] * Dot(y_[k], r1), beta2 = rho_[k] * Dot(y_[k], r2);
        for (int i = 1; i <= n_; ++i) {
            r1[i] += (alpha_[k] - beta) * s_[k][i];
            r2[i] += (alpha2_[k] - beta2) * s_[k][i];
        }
    }
}

} // namespace torva::engine
