#include "mip/presolve/free_parallel.h"

#include <cmath>
#include <unordered_map>

#include "frame/infinity.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

constexpr double kRatioTol = 1e-9;

bool is_free(const lp::LpModel &m, size_t j) { return m.collo[j] <= -kInfBound && m.colup[j] >= kInfBound; }

// Hash of a column's row pattern (its rows in stored order).
uint64_t pattern_hash(const lp::CscMatrix &a, int32_t j) {
  uint64_t h = static_cast<uint64_t>(a.start[j + 1] - a.start[j]) * 0x9e3779b97f4a7c15ULL;
  for (int32_t p = a.start[j]; p < a.start[j + 1]; ++p)
    h = (h ^ static_cast<uint64_t>(a.index[p])) * 0x100000001b3ULL;
  return h;
}

bool near(double x, double y) { return std::fabs(x - y) <= kRatioTol * std::max(1.0, std::max(std::fabs(x), std::fabs(y))); }

// lambda with a_k = lambda a_j and c_k = lambda c_j, or 0 when the columns
// are not parallel that way.
double ratio(const lp::LpModel &m, int32_t j, int32_t k) {
  const lp::CscMatrix &a = m.a;
  const int32_t pj = a.start[j], pk = a.start[k], len = a.start[j + 1] - pj;
  if (len == 0 || a.start[k + 1] - pk != len) return 0.0;
  const double lambda = a.value[pk] / a.value[pj];
  for (int32_t t = 0; t < len; ++t)
    if (a.index[pj + t] != a.index[pk + t] || !near(a.value[pk + t], lambda * a.value[pj + t])) return 0.0;
  return near(m.cost[k], lambda * m.cost[j]) ? lambda : 0.0;
}

double resting_value(const lp::LpModel &m, size_t k) {
  const double lo = m.collo[k], up = m.colup[k];
  if (lo > -kInfBound && up < kInfBound) return std::fabs(lo) <= std::fabs(up) ? lo : up;
  if (lo > -kInfBound) return lo;
  if (up < kInfBound) return up;
  return 0.0;
}

}  // namespace

ReductionOutcome FreeParallelColumns::apply(MipModel &model) {
  ReductionOutcome out;
  lp::LpModel &m = model.lp;
  const lp::CscMatrix &a = m.a;
  if (model.has_special()) return out;
  std::unordered_multimap<uint64_t, int32_t> free_cols;
  for (int32_t j = 0; j < a.n; ++j)
    if (is_free(m, static_cast<size_t>(j))) free_cols.emplace(pattern_hash(a, j), j);
  if (free_cols.empty()) return out;
  work_add(static_cast<uint64_t>(a.start[a.n]));
  for (int32_t k = 0; k < a.n; ++k) {
    const size_t c = static_cast<size_t>(k);
    if (m.collo[c] == m.colup[c]) continue;
    auto [first, last] = free_cols.equal_range(pattern_hash(a, k));
    for (auto it = first; it != last; ++it) {
      const int32_t j = it->second;
      // A free partner fixed earlier in this pass no longer absorbs anything.
      if (j == k || !is_free(m, static_cast<size_t>(j))) continue;
      const double lambda = ratio(m, j, k);
      if (lambda == 0.0) continue;
      if (model.integer[static_cast<size_t>(j)] && (!model.integer[c] || std::fabs(lambda - std::round(lambda)) > kRatioTol))
        continue;
      m.collo[c] = m.colup[c] = resting_value(m, c);
      ++fixed_;
      out.changed = true;
      break;
    }
  }
  return out;
}

}  // namespace tvl::mip
