#include "simplex/ratio_primal.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "lpmodel/lpmodel.h"
#include "runtime/workcount.h"

namespace tvl::lp {

namespace {

constexpr double kCandidateAlpha = 1e-13;  // smaller entries are ignored
constexpr double kBlockingAlpha = 1e-9;    // below this nothing blocks

bool finite(double v) { return std::isfinite(v); }

}  // namespace

// As in the dual ratio test, the count reaches the thread's counter outside
// the selection so that its loops carry no scope guard.
void PrimalRatioTest::run(const PrimalRatioInput &in, PrimalRatioResult &out) {
  const uint64_t start = work_;
  select(in, out);
  work_add(work_ - start);
}

void PrimalRatioTest::select(const PrimalRatioInput &in, PrimalRatioResult &out) {
  out = PrimalRatioResult();
  const HVector &col = *in.column;
  // Room for every basis position (each gives at most one candidate of
  // each kind), so the scan below only stores.
  if (hard_.size() < static_cast<size_t>(col.size)) {
    hard_.resize(static_cast<size_t>(col.size));
    breaks_.resize(static_cast<size_t>(col.size));
  }
  size_t nh = 0, nb = 0;
  const std::vector<int32_t> &head = *in.head;
  const std::vector<double> &x = *in.x, &lo = *in.lower, &up = *in.upper;
  const double tol = in.feastol;
  double amax = 0.0;
  auto visit = [&](int32_t i) {
    const double alpha = col.array[i];
    const double a = std::fabs(alpha);
    if (a <= kCandidateAlpha) return;
    const int32_t j = head[i];
    const bool moves_up = -in.direction * alpha > 0.0;
    const double v = x[j];
    if (in.phase == 1 && v < lo[j] - tol) {
      if (!moves_up) return;
      breaks_[nb++] = {i, (lo[j] - v) / a, a, lo[j], false};
      if (finite(up[j])) hard_[nh++] = {i, (up[j] - v) / a, a, up[j], true};
    } else if (in.phase == 1 && v > up[j] + tol) {
      if (moves_up) return;
      breaks_[nb++] = {i, (v - up[j]) / a, a, up[j], true};
      if (finite(lo[j])) hard_[nh++] = {i, (v - lo[j]) / a, a, lo[j], false};
    } else if (moves_up) {
      if (finite(up[j])) hard_[nh++] = {i, (up[j] - v) / a, a, up[j], true};
    } else {
      if (finite(lo[j])) hard_[nh++] = {i, (v - lo[j]) / a, a, lo[j], false};
    }
  };
  if (col.count >= 0) {
    for (int32_t k = 0; k < col.count; ++k) visit(col.index[k]);
  } else {
    for (int32_t i = 0; i < col.size; ++i) visit(i);
  }
  work_ += static_cast<uint64_t>(col.count >= 0 ? col.count : col.size);
  const auto hard_end = hard_.begin() + static_cast<std::ptrdiff_t>(nh);
  auto breaks_end = breaks_.begin() + static_cast<std::ptrdiff_t>(nb);
  for (auto c = hard_.begin(); c != hard_end; ++c) amax = std::max(amax, c->abs_alpha);
  for (auto c = breaks_.begin(); c != breaks_end; ++c) amax = std::max(amax, c->abs_alpha);
  // The maximum and the two Harris passes over the blocking candidates.
  work_ += 3 * static_cast<uint64_t>(nh) + static_cast<uint64_t>(nb);
  out.max_alpha = amax;

  // Pass 1: Harris' relaxed bound over the hard blocks.
  const double ptol = std::max(kBlockingAlpha, (0.001 * amax + 1.0) * 1e-13);
  double relaxed = kWorkInf;
  for (auto c = hard_.begin(); c != hard_end; ++c)
    if (c->abs_alpha > ptol) relaxed = std::min(relaxed, c->t + tol / c->abs_alpha);
  // Pass 2: largest |alpha| among the blocks within the relaxed bound.
  const Cand *pick = nullptr;
  for (auto c = hard_.begin(); c != hard_end; ++c) {
    if (c->abs_alpha <= ptol || c->t > relaxed) continue;
    if (pick == nullptr || c->abs_alpha > pick->abs_alpha) pick = &*c;
  }
  const bool flip = in.range <= relaxed && finite(in.range);
  double limit = flip ? in.range : (pick != nullptr ? std::max(pick->t, 0.0) : kWorkInf);

  // Phase 1: pass breakpoints while the sum of violations still falls.
  if (in.phase == 1 && nb > 0) {
    // Breakpoints at or beyond the hard limit are never passed: only the
    // ones before it need their order.
    if (finite(limit))
      breaks_end = std::remove_if(breaks_.begin(), breaks_end, [limit](const Cand &c) { return c.t >= limit; });
    nb = static_cast<size_t>(breaks_end - breaks_.begin());
    work_ += static_cast<uint64_t>(nb) * (2 + static_cast<uint64_t>(std::bit_width(nb)));
    std::sort(breaks_.begin(), breaks_end, [](const Cand &a, const Cand &b) {
      return a.t < b.t || (a.t == b.t && a.pos < b.pos);
    });
    double slope = -in.slope;
    size_t stop = nb;
    for (size_t k = 0; k < nb; ++k) {
      if (breaks_[k].t >= limit) break;
      slope += breaks_[k].abs_alpha;
      if (slope >= 0.0) {
        stop = k;
        break;
      }
    }
    // Without a hard limit the last breakpoint ends the step (the slope is
    // zero there in exact arithmetic).
    if (stop == nb && !finite(limit)) stop = nb - 1;
    if (stop < nb) {
      // A tiny pivot at the stopping breakpoint is replaced by the largest
      // earlier one: a shorter step that still lowers the infeasibility.
      size_t best = stop;
      if (breaks_[stop].abs_alpha < 1e-7 * std::max(1.0, amax)) {
        for (size_t k = 0; k < stop; ++k)
          if (breaks_[k].abs_alpha > breaks_[best].abs_alpha) best = k;
      }
      const Cand &c = breaks_[best];
      if (c.abs_alpha > kBlockingAlpha) {
        out.kind = PrimalStep::Pivot;
        out.pos = c.pos;
        out.theta = std::max(c.t, 0.0);
        out.bound = c.bound;
        out.to_upper = c.to_upper;
        return;
      }
    }
  }
  if (flip) {
    out.kind = PrimalStep::Flip;
    out.theta = in.range;
    return;
  }
  if (pick == nullptr) {
    out.kind = PrimalStep::Unbounded;
    return;
  }
  out.kind = PrimalStep::Pivot;
  out.pos = pick->pos;
  out.theta = limit;
  out.to_upper = pick->to_upper;
  out.bound = pick->bound;
  out.shift = pick->t < 0.0;
}

}  // namespace tvl::lp
