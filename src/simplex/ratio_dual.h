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
#include <cstdint>
#include <vector>

#include "factor/factor.h"

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
  // Operations counted since construction; each run also adds its share to
  // the thread's work counter.
  uint64_t work() const { return work_; }

 private:
  struct Cand {
    int32_t j;
    double da, abs_alpha, range;  // |d_j| with the feasible sign, |alpha_j|, u_j - l_j
    double t, harris;             // ratio and Harris bound, filled for the long step only
  };
  bool select(const DualRatioInput &in, DualRatioResult &out);
  bool choose_in_group(const DualRatioInput &in, size_t begin, size_t end, DualRatioResult &out) const;
  std::vector<Cand> cand_;
  std::vector<double> suffix_min_;
  uint64_t work_ = 0;
};

}  // namespace tvl::lp
