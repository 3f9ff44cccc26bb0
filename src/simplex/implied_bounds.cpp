#include "simplex/implied_bounds.h"

#include <cmath>

namespace tvl::lp {
namespace {

// Passes of propagation, magnitude beyond which a derived bound is not
// trusted, and least relative gain for a tighter bound to count.
constexpr int kPasses = 8;
constexpr double kLargest = 1e9;
constexpr double kGain = 1e-6;

// Least and greatest activity of a row: finite part and number of entries
// whose contribution on that side is infinite.
struct Activity {
  double min = 0.0, max = 0.0;
  int32_t min_inf = 0, max_inf = 0;
};

Activity row_activity(const SimplexLp &lp, const double *lower, const double *upper, int32_t i) {
  Activity act;
  for (int32_t p = lp.rstart[i]; p < lp.rstart[i + 1]; ++p) {
    const int32_t k = lp.rindex[p];
    const double a = lp.rvalue[p];
    const double lo = lower[k], up = upper[k];
    const double at_min = a > 0.0 ? lo : up, at_max = a > 0.0 ? up : lo;
    if (std::isfinite(at_min)) act.min += a * at_min;
    else ++act.min_inf;
    if (std::isfinite(at_max)) act.max += a * at_max;
    else ++act.max_inf;
  }
  return act;
}

// Activity of the row without entry (a, k) on the least (want_min) or the
// greatest side; infinite when another entry is unbounded on that side.
double rest_activity(const Activity &act, const double *lower, const double *upper, int32_t k, double a, bool want_min) {
  const double bound = (a > 0.0) == want_min ? lower[k] : upper[k];
  const bool own_inf = !std::isfinite(bound);
  const int32_t infs = want_min ? act.min_inf : act.max_inf;
  if (infs - (own_inf ? 1 : 0) > 0) return want_min ? -INFINITY : INFINITY;
  const double total = want_min ? act.min : act.max;
  return own_inf ? total : total - a * bound;
}

}  // namespace

void implied_bounds(const SimplexLp &lp, std::vector<double> &lo, std::vector<double> &up) {
  // Working bounds: the variables' own, tightened pass by pass.
  std::vector<double> wl(lp.lower.begin(), lp.lower.begin() + lp.n), wu(lp.upper.begin(), lp.upper.begin() + lp.n);
  lo.assign(static_cast<size_t>(lp.n), -INFINITY);
  up.assign(static_cast<size_t>(lp.n), INFINITY);
  for (int pass = 0; pass < kPasses; ++pass) {
    bool changed = false;
    for (int32_t i = 0; i < lp.m; ++i) {
      const double row_lo = -lp.upper[lp.n + i], row_up = -lp.lower[lp.n + i];
      if (!std::isfinite(row_lo) && !std::isfinite(row_up)) continue;
      const Activity act = row_activity(lp, wl.data(), wu.data(), i);
      if (act.min_inf > 1 && act.max_inf > 1) continue;
      for (int32_t p = lp.rstart[i]; p < lp.rstart[i + 1]; ++p) {
        const int32_t k = lp.rindex[p];
        const double a = lp.rvalue[p];
        const double min_rest = rest_activity(act, wl.data(), wu.data(), k, a, true);
        const double max_rest = rest_activity(act, wl.data(), wu.data(), k, a, false);
        const double hi = std::isfinite(row_up) && std::isfinite(min_rest) ? (row_up - min_rest) / a : NAN;
        const double lw = std::isfinite(row_lo) && std::isfinite(max_rest) ? (row_lo - max_rest) / a : NAN;
        const double new_up = a > 0.0 ? hi : lw, new_lo = a > 0.0 ? lw : hi;
        if (!std::isnan(new_up) && std::fabs(new_up) < kLargest && new_up < up[k] - kGain * (1.0 + std::fabs(new_up))) {
          up[k] = new_up;
          if (new_up < wu[k]) { wu[k] = new_up; changed = true; }
        }
        if (!std::isnan(new_lo) && std::fabs(new_lo) < kLargest && new_lo > lo[k] + kGain * (1.0 + std::fabs(new_lo))) {
          lo[k] = new_lo;
          if (new_lo > wl[k]) { wl[k] = new_lo; changed = true; }
        }
      }
    }
    if (!changed) break;
  }
}

}  // namespace tvl::lp
