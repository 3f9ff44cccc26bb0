#include "simplex/ratio_dual.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "runtime/workcount.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

bool DualRatioTest::choose_in_group(const DualRatioInput &in, size_t begin, size_t end,
                                    DualRatioResult &out) const {
  double best = 0.0;
  int32_t q = -1;
  for (size_t k = begin; k < end; ++k) {
    // Ties go to the smaller index, so that the choice does not depend on
    // the order in which the pivot row listed its entries.
    if (cand_[k].abs_alpha > best || (cand_[k].abs_alpha == best && cand_[k].j < q)) {
      best = cand_[k].abs_alpha;
      q = cand_[k].j;
    }
  }
  if (q < 0) return false;
  out.enter = q;
  out.alpha = in.row->array[q];
  return true;
}

// The count is added to the thread's counter by finish() rather than by a
// scope guard inside the choice: a destructor there costs the candidate
// loops registers.
bool DualRatioTest::run(const DualRatioInput &in, DualRatioResult &out) {
  begin(in);
  const HVector &row = *in.row;
  const int32_t *index = row.index.data();
  const double *alpha_of = row.array.data();
  for (int32_t k = 0; k < row.count; ++k) offer(index[k], alpha_of[index[k]]);
  return finish(in, out);
}

// Pass 1 (offer): candidates and the Harris bound.  With da = |d_j| (signed
// so that a dual feasible d_j gives da >= 0) and aa = |alpha_j|, the ratio
// is da / aa and the Harris bound (da + tol) / aa; the comparisons are made
// by multiplication so that only the long step divides.  The row's arrays
// are held as raw pointers, so the candidate stores need no reloads through
// the vectors, and the cheapest tests come first.
void DualRatioTest::begin(const DualRatioInput &in) {
  start_ = work_;
  // The buffer only grows (to the row's size, once): offer() stores
  // without a capacity check.
  if (cand_.size() < static_cast<size_t>(in.row->size)) cand_.resize(static_cast<size_t>(in.row->size));
  ncand_ = 0;
  d_ = in.dual->data();
  lo_ = in.lower->data();
  up_ = in.upper->data();
  st_ = in.status->data();
  move_out_ = in.move_out;
  tol_ = in.dual_tol;
  tmax_ = kWorkInf;
}

bool DualRatioTest::finish(const DualRatioInput &in, DualRatioResult &out) {
  work_ += static_cast<uint64_t>(in.row->count);
  const bool found = choose(in, out);
  work_add(work_ - start_);
  return found;
}

bool DualRatioTest::choose(const DualRatioInput &in, DualRatioResult &out) {
  out.enter = -1;
  out.flips.clear();
  const double tol = in.dual_tol;
  const double tmax = tmax_;
  if (ncand_ == 0) return false;
  work_ += 2 * static_cast<uint64_t>(ncand_);
  Cand *const cand = cand_.data();
  Cand *const cand_end = cand + ncand_;

  // Fast path: the first group already absorbs the whole slope.
  const double slope0 = in.infeasibility;
  double total0 = 0.0;
  for (const Cand *c = cand; c != cand_end; ++c)
    if (c->da <= tmax * c->abs_alpha) total0 += c->range * c->abs_alpha;
  if (total0 >= slope0) {
    // Move the first group to the front and choose there.
    size_t w = 0;
    for (size_t k = 0; k < ncand_; ++k)
      if (cand[k].da <= tmax * cand[k].abs_alpha) std::swap(cand[w++], cand[k]);
    return choose_in_group(in, 0, w, out);
  }
  // The walk cannot pass a candidate without a finite range: breakpoints
  // beyond the smallest Harris bound of those are never reached and are
  // dropped before the sort.
  double cap = kWorkInf;
  for (Cand *c = cand; c != cand_end; ++c) {
    c->t = c->da / c->abs_alpha;
    c->harris = (c->da + tol) / c->abs_alpha;
    if (!(c->range < kWorkInf)) cap = std::min(cap, c->harris);
  }
  if (cap < kWorkInf)
    ncand_ = static_cast<size_t>(std::remove_if(cand, cand_end, [cap](const Cand &c) { return c.t > cap; }) - cand);

  // Long step: sort breakpoints and pass groups while the slope stays positive.
  std::sort(cand, cand + ncand_, [](const Cand &x, const Cand &y) {
    return x.t < y.t || (x.t == y.t && x.j < y.j);
  });
  const size_t nc = ncand_;
  // Sort, suffix minima and the walk over the groups.
  work_ += static_cast<uint64_t>(nc) * (3 + static_cast<uint64_t>(std::bit_width(nc)));
  suffix_min_.assign(nc + 1, kWorkInf);
  for (size_t k = nc; k-- > 0;) suffix_min_[k] = std::min(suffix_min_[k + 1], cand[k].harris);
  double slope = slope0;
  size_t begin = 0, last_begin = 0;
  while (begin < nc) {
    const double bound = suffix_min_[begin];
    size_t end = begin;
    double total = 0.0;
    while (end < nc && cand[end].t <= bound) {
      total += cand[end].range * cand[end].abs_alpha;
      ++end;
    }
    if (end == begin) end = begin + 1;  // guards against NaN ordering
    if (slope - total < 0.0 || !std::isfinite(total)) return choose_in_group(in, begin, end, out);
    for (size_t k = begin; k < end; ++k) out.flips.push_back(cand[k].j);
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
