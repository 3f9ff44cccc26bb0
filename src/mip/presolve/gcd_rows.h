// Tightening of rows over integer columns by the greatest common divisor
// of their coefficients.
//
// When every column of a row is integer and its coefficients become the
// integers k_j after scaling the row by some s (coefficients with small
// denominators, s at most a million), the row's activity takes only values
// in (g / s) Z, g = gcd(k_j).  A side of the row then rounds to that grid:
// 2x + 2y <= 3 becomes 2x + 2y <= 2, and 2x + 2y = 3 has no integer point
// at all, whatever the bounds of x and y (bound propagation alone cannot
// see this when the columns are unbounded).
//
// In an equality row over integers, each column's coefficient k_j against
// the gcd G of the others gives a congruence k_j x_j = rhs (mod G); the
// column's bounds round to it (9x + 10y - 10z = 0 puts x on 10 Z, so
// x in [57, 59] has no value).
//
// An equality row may also hold one continuous column c that appears in no
// other row (a slack): a_c x_c = rhs - sum a_j x_j then lies on the grid
// rhs + (g / s) Z, and x_c's bounds round to it.
//
// The grid argument is the divisibility test of integer programming
// preprocessing; see e.g. Savelsbergh, "Preprocessing and probing
// techniques for mixed integer programming problems", ORSA Journal on
// Computing 6 (1994), section on coefficient reduction and GCD tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mip/presolve/mip_reduction.h"

namespace tvl::mip {

// The smallest s <= 1e6 for which every values[k] * s is an integer (each
// value within a relative 1e-12 of a fraction with denominator at most
// 1000), with those integers' gcd; false when there is none or an integer
// would exceed 1e12.
bool integer_grid(const std::vector<double> &values, double &scale, int64_t &gcd);

class GcdRowTightening : public ReportingReduction {
 public:
  GcdRowTightening(double feastol, std::function<void(const std::string &)> report)
      : ReportingReduction(std::move(report)), feastol_(feastol) {}
  ReductionOutcome apply(MipModel &model) override;
  int tightened() const { return tightened_; }

 private:
  double feastol_;
  int tightened_ = 0;
};

}  // namespace tvl::mip
