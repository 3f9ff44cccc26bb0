#include "simplex/ratio_dual.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "runtime/workcount.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

namespace {
constexpr double kPivotTol = 1e-9;
}

bool DualRatioTest::choose_in_group(const DualRatioInput &in, size_t begin, size_t end,
                                    DualRatioResult &out) const {
  double best = 0.0;
  int32_t q = -1;
  for (size_t k = begin; k < end; ++k) {
    if (cand_[k].abs_alpha > best) {
      best = cand_[k].abs_alpha;
      q = cand_[k].j;
    }
  }
  if (q < 0) return false;
  out.enter = q;
  out.alpha = in.row->array[q];
  return true;
}

// The count is added to the thread's counter here rather than by a scope
// guard inside the selection: a destructor in that function costs its
// candidate loop registers.
bool DualRatioTest::run(const DualRatioInput &in, DualRatioResult &out) {
  const uint64_t start = work_;
  const bool found = select(in, out);
  work_add(work_ - start);
  return found;
}

bool DualRatioTest::select(const DualRatioInput &in, DualRatioResult &out) {
  out.enter = -1;
  out.flips.clear();
  cand_.clear();
  const HVector &row = *in.row;
  const std::vector<double> &d = *in.dual;
  const std::vector<int8_t> &st = *in.status;
  const std::vector<double> &lo = *in.lower;
  const std::vector<double> &up = *in.upper;
  const double tol = in.dual_tol;

  // Pass 1: candidates and the Harris bound.  With da = |d_j| (signed so
  // that a dual feasible d_j gives da >= 0) and aa = |alpha_j|, the ratio
  // is da / aa and the Harris bound (da + tol) / aa; the comparisons are
  // made by multiplication so that only the long step divides.  Raw
  // pointers keep the loop free of reloads through the vectors (the
  // candidate stores could alias them otherwise), and the cheapest tests
  // come first.
  double tmax = kWorkInf;
  cand_.reserve(static_cast<size_t>(row.count));
  const int32_t *index = row.index.data();
  const double *alpha_of = row.array.data(), *dp = d.data(), *lop = lo.data(), *upp = up.data();
  const int8_t *stp = st.data();
  const double move_out = in.move_out;
  for (int32_t k = 0; k < row.count; ++k) {
    const int32_t j = index[k];
    const double alpha = alpha_of[j];
    if (std::fabs(alpha) < kPivotTol) continue;
    const int8_t s = stp[j];
    if (s == kBasic) continue;
    const double a = move_out * alpha;
    if (s == kAtLower && a <= 0.0) continue;
    if (s == kAtUpper && a >= 0.0) continue;
    if (lop[j] == upp[j]) continue;  // fixed variables never enter
    Cand c;
    c.j = j;
    c.abs_alpha = std::fabs(a);
    c.da = a > 0.0 ? dp[j] : -dp[j];
    c.range = (s == kFreeNb) ? kWorkInf : upp[j] - lop[j];
    if (c.da + tol < tmax * c.abs_alpha) tmax = (c.da + tol) / c.abs_alpha;
    cand_.push_back(c);
  }
  work_ += static_cast<uint64_t>(row.count);
  if (cand_.empty()) return false;
  work_ += 2 * static_cast<uint64_t>(cand_.size());

  // Fast path: the first group already absorbs the whole slope.
  const double slope0 = in.infeasibility;
  double total0 = 0.0;
  for (const Cand &c : cand_)
    if (c.da <= tmax * c.abs_alpha) total0 += c.range * c.abs_alpha;
  if (total0 >= slope0) {
    // Move the first group to the front and choose there.
    size_t w = 0;
    for (size_t k = 0; k < cand_.size(); ++k)
      if (cand_[k].da <= tmax * cand_[k].abs_alpha) std::swap(cand_[w++], cand_[k]);
    return choose_in_group(in, 0, w, out);
  }
  // The walk cannot pass a candidate without a finite range: breakpoints
  // beyond the smallest Harris bound of those are never reached and are
  // dropped before the sort.
  double cap = kWorkInf;
  for (Cand &c : cand_) {
    c.t = c.da / c.abs_alpha;
    c.harris = (c.da + tol) / c.abs_alpha;
    if (!(c.range < kWorkInf)) cap = std::min(cap, c.harris);
  }
  if (cap < kWorkInf)
    cand_.erase(std::remove_if(cand_.begin(), cand_.end(), [cap](const Cand &c) { return c.t > cap; }), cand_.end());

  // Long step: sort breakpoints and pass groups while the slope stays positive.
  std::sort(cand_.begin(), cand_.end(), [](const Cand &x, const Cand &y) {
    return x.t < y.t || (x.t == y.t && x.j < y.j);
  });
  const size_t nc = cand_.size();
  // Sort, suffix minima and the walk over the groups.
  work_ += static_cast<uint64_t>(nc) * (3 + static_cast<uint64_t>(std::bit_width(nc)));
  suffix_min_.assign(nc + 1, kWorkInf);
  for (size_t k = nc; k-- > 0;) suffix_min_[k] = std::min(suffix_min_[k + 1], cand_[k].harris);
  double slope = slope0;
  size_t begin = 0, last_begin = 0;
  while (begin < nc) {
    const double bound = suffix_min_[begin];
    size_t end = begin;
    double total = 0.0;
    while (end < nc && cand_[end].t <= bound) {
      total += cand_[end].range * cand_[end].abs_alpha;
      ++end;
    }
    if (end == begin) end = begin + 1;  // guards against NaN ordering
    if (slope - total < 0.0 || !std::isfinite(total)) return choose_in_group(in, begin, end, out);
    for (size_t k = begin; k < end; ++k) out.flips.push_back(cand_[k].j);
    slope -= total;
    last_begin = begin;
    begin = end;
  }
  if (slope <= in.primal_tol) {
    // The flips make the leaving variable feasible within the tolerance:
    // the last group supplies the entering variable instead of being flipped.
    out.flips.resize(out.flips.size() - (nc - last_begin));
    return choose_in_group(in, last_begin, nc, out);
  }
  // Every breakpoint passed and the slope is still positive: the dual is
  // unbounded along this row.
  out.flips.clear();
  return false;
}

}  // namespace tvl::lp
