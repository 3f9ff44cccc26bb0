#include "mip/cuts/cut_pool.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {


double norm2(const Cut &c) {
  double s = 0.0;
  for (double v : c.val) s += v * v;
  return std::sqrt(s);
}

struct Ranked {
  Cut cut;
  double efficacy, norm;
};

// A cut the candidates are compared with: its coefficients and norm.
struct Compared {
  const Cut *cut;
  double norm;
};

}  // namespace

double cut_violation(const Cut &cut, const std::vector<double> &x) {
  double act = 0.0;
  for (size_t k = 0; k < cut.ind.size(); ++k) act += cut.val[k] * x[static_cast<size_t>(cut.ind[k])];
  return act - cut.rhs;
}

bool clean_cut(Cut &cut, const std::vector<double> &x, const std::vector<double> &lower,
               const std::vector<double> &upper, const CutSelectLimits &limits) {
  if (!std::isfinite(cut.rhs)) return false;
  double big = 0.0;
  for (double v : cut.val) {
    if (!std::isfinite(v)) return false;
    big = std::max(big, std::fabs(v));
  }
  if (big == 0.0) return false;
  size_t kept = 0;
  double small = kInfBound;
  for (size_t k = 0; k < cut.ind.size(); ++k) {
    const int32_t j = cut.ind[k];
    const double v = cut.val[k];
    if (std::fabs(v) * limits.max_dynamism < big) {
      // v x_j >= v * (bound on the side that makes it smallest); moving that
      // to the right-hand side keeps every point of the box valid.
      const double bound = v > 0.0 ? lower[static_cast<size_t>(j)] : upper[static_cast<size_t>(j)];
      if (std::fabs(bound) < kInfBound) {
        cut.rhs -= v * bound;
        continue;
      }
    }
    if (v == 0.0) continue;
    small = std::min(small, std::fabs(v));
    cut.ind[kept] = j;
    cut.val[kept] = v;
    ++kept;
  }
  cut.ind.resize(kept);
  cut.val.resize(kept);
  if (kept == 0 || big / small > limits.max_dynamism) return false;
  for (double &v : cut.val) v /= big;
  cut.rhs /= big;
  return cut_violation(cut, x) >= limits.min_violation * std::max(1.0, std::fabs(cut.rhs));
}

std::vector<Cut> select_cuts(std::vector<Cut> candidates, const std::vector<Cut> &present,
                             const std::vector<double> &x, const std::vector<double> &lower,
                             const std::vector<double> &upper, const CutSelectLimits &limits) {
  std::vector<Ranked> ranked;
  for (Cut &c : candidates) {
    if (!clean_cut(c, x, lower, upper, limits)) continue;
    if (limits.max_length >= 0 && static_cast<int64_t>(c.ind.size()) > limits.max_length) continue;
    const double nrm = norm2(c);
    const double eff = cut_violation(c, x) / nrm;
    ranked.push_back({std::move(c), eff, nrm});
  }
  // Stable order: efficacy, then family and size as tie breakers, so that
  // equal inputs always give equal selections.
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked &a, const Ranked &b) {
    if (a.efficacy != b.efficacy) return a.efficacy > b.efficacy;
    return a.cut.ind.size() < b.cut.ind.size();
  });
  // Parallelism: each candidate is scattered into a dense array over the
  // columns, and its dot product with a cut already chosen or in the LP is
  // gathered over that cut's entries.
  std::vector<Compared> compared;
  compared.reserve(present.size() + static_cast<size_t>(std::max(0, limits.max_cuts)));
  for (const Cut &c : present) compared.push_back({&c, norm2(c)});
  std::vector<double> dense(x.size(), 0.0);
  std::vector<size_t> taken;
  int64_t nonzeros = 0;
  for (size_t k = 0; k < ranked.size(); ++k) {
    if (static_cast<int>(taken.size()) >= limits.max_cuts) break;
    const Ranked &r = ranked[k];
    if (limits.max_nonzeros >= 0 && nonzeros + static_cast<int64_t>(r.cut.ind.size()) > limits.max_nonzeros) continue;
    for (size_t e = 0; e < r.cut.ind.size(); ++e) dense[static_cast<size_t>(r.cut.ind[e])] = r.cut.val[e];
    bool parallel = false;
    for (const Compared &t : compared) {
      double dot = 0.0;
      for (size_t e = 0; e < t.cut->ind.size(); ++e) dot += t.cut->val[e] * dense[static_cast<size_t>(t.cut->ind[e])];
      if (dot / (t.norm * r.norm) > limits.max_parallel) {
        parallel = true;
        break;
      }
    }
    for (int32_t j : r.cut.ind) dense[static_cast<size_t>(j)] = 0.0;
    if (parallel) continue;
    nonzeros += static_cast<int64_t>(r.cut.ind.size());
    taken.push_back(k);
    compared.push_back({&r.cut, r.norm});
  }
  std::vector<Cut> out;
  out.reserve(taken.size());
  for (size_t k : taken) out.push_back(std::move(ranked[k].cut));
  return out;
}

}  // namespace tvl::mip
