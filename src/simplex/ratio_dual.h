// Dual ratio test with bound flipping ("long-step" rule) and Harris'
// two-pass tolerance.
//
// Bound flipping follows Fourer 1994 ("Notes on the dual simplex method"),
// Kostina 2002 ("The long step rule in the bounded-variable dual simplex
// method") and Maros 2003 ("A generalized dual phase-2 simplex algorithm");
// the combination with Harris 1973 tolerances over groups of breakpoints is
// the one described by Koberstein 2005 (PhD thesis "The dual simplex method,
// techniques for a fast and stable implementation", section 6.2.2).
//
// Breakpoints are passed in groups: the Harris bound T of the remaining
// candidates defines a group (all with ratio <= T).  While the slope of the
// dual objective stays positive after flipping every boxed variable of the
// group, the group is flipped and passed; otherwise the entering variable is
// the group member with the largest |alpha_j|.
#pragma once

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <vector>

#include "factor/factor.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

struct DualRatioInput {
  const HVector *row = nullptr;          // pivot row over all n+m variables
  const std::vector<double> *dual = nullptr;
  const std::vector<int8_t> *status = nullptr;
  const std::vector<double> *lower = nullptr;
  const std::vector<double> *upper = nullptr;
  double move_out = 0.0;  // -1: leaving variable below its lower bound, +1: above upper
  double infeasibility = 0.0;  // |violation| of the leaving variable
  double dual_tol = 1e-7;
  double primal_tol = 1e-7;  // a slope this small after all flips is zero
};

struct DualRatioResult {
  int32_t enter = -1;        // -1: no entering variable (dual unbounded ray)
  double alpha = 0.0;        // pivot row entry of the entering variable
  std::vector<int32_t> flips;  // boxed variables passed over: move to their other bound
};

class DualRatioTest {
 public:
  // Returns false when no entering variable exists.
  bool run(const DualRatioInput &in, DualRatioResult &out);
  // The same test with its first pass fused into the computation of the
  // pivot row: begin() opens it, offer() is called for every nonzero entry
  // of the row in the order of in.row's index list, and finish() makes the
  // choice.  A column-wise pivot row produces its entries in index order,
  // so the candidates are collected while the reduced costs and bounds of
  // each column are still in cache, and no second pass over the row's
  // index list is needed.  The result equals run()'s on the finished row.
  void begin(const DualRatioInput &in);
  [[gnu::always_inline]] void offer(int32_t j, double alpha) {
    if (std::fabs(alpha) < kPivotTol) return;
    const int8_t s = st_[j];
    if (s == kBasic) return;
    const double a = move_out_ * alpha;
    if (s == kAtLower && a <= 0.0) return;
    if (s == kAtUpper && a >= 0.0) return;
    const double lo = lo_[j], up = up_[j];
    if (lo == up) return;  // fixed variables never enter
    Cand &c = cand_[ncand_++];
    c.j = j;
    c.abs_alpha = std::fabs(a);
    c.da = a > 0.0 ? d_[j] : -d_[j];
    c.range = s == kFreeNb ? kWorkInf : up - lo;
    if (c.da + tol_ < tmax_ * c.abs_alpha) tmax_ = (c.da + tol_) / c.abs_alpha;
  }
  bool finish(const DualRatioInput &in, DualRatioResult &out);
  // Operations counted since construction; each run also adds its share to
  // the thread's work counter.
  uint64_t work() const { return work_; }

 private:
  struct Cand {
    int32_t j;
    double da, abs_alpha, range;  // |d_j| with the feasible sign, |alpha_j|, u_j - l_j
    double t, harris;             // ratio and Harris bound, filled for the long step only
  };
  static constexpr double kPivotTol = 1e-9;
  bool choose(const DualRatioInput &in, DualRatioResult &out);
  bool choose_in_group(const DualRatioInput &in, size_t begin, size_t end, DualRatioResult &out) const;
  std::vector<Cand> cand_;  // candidates [0, ncand_) of the current test
  size_t ncand_ = 0;
  // The row's view while candidates are offered.
  const double *d_ = nullptr, *lo_ = nullptr, *up_ = nullptr;
  const int8_t *st_ = nullptr;
  double move_out_ = 0.0, tol_ = 0.0, tmax_ = 0.0;
  uint64_t start_ = 0;  // work_ when the test began
  std::vector<double> suffix_min_;
  uint64_t work_ = 0;
};

}  // namespace tvl::lp
