// Choosing which separated cuts enter the LP.
//
// Each candidate is first made numerically safe: coefficients below 1e-6
// of the largest are dropped, the right-hand side relaxed by what the
// dropped term can contribute within the column's bounds (a column
// without the needed finite bound keeps its coefficient); the cut is then
// scaled so that its largest coefficient is 1, and rejected when the
// ratio of its largest to its smallest coefficient still exceeds 1e6 (a
// tiny coefficient on an unbounded column) or when the
// point is not violated by at least 1e-4 relative to max(1, |rhs|).
// The survivors are ranked by efficacy (violation divided by the
// Euclidean norm of the coefficients) and taken greedily while they are
// not nearly parallel (cosine above 0.98) to a cut already taken in this
// round or present in the LP, up to a per-round limit of cuts and of
// their nonzeros; a cut longer than a given length is rejected.
//
// The paper followed for efficacy and the parallelism filter:
//   T. Achterberg, "Constraint Integer Programming", PhD thesis, TU
//   Berlin, 2007 (cut selection in chapter 8.9).
#pragma once

#include <cstdint>
#include <vector>

#include "mip/cuts/cut.h"

namespace tvl::mip {

struct CutSelectLimits {
  int max_cuts = 100;            // per round
  double min_violation = 1e-4;   // relative to max(1, |rhs|)
  double max_dynamism = 1e6;
  double max_parallel = 0.98;
  int64_t max_nonzeros = -1;     // of all cuts taken in the round (< 0: no limit)
  int32_t max_length = -1;       // nonzeros of one cut (< 0: no limit)
};

// Makes `cut` safe as described above; false when it is rejected.
// `x` is the point to separate, `lower`/`upper` the global column bounds.
bool clean_cut(Cut &cut, const std::vector<double> &x, const std::vector<double> &lower,
               const std::vector<double> &upper, const CutSelectLimits &limits);

// Cleans the candidates and returns the chosen ones, best first; `present`
// are the cuts already in the LP (for the parallelism filter).
std::vector<Cut> select_cuts(std::vector<Cut> candidates, const std::vector<Cut> &present,
                             const std::vector<double> &x, const std::vector<double> &lower,
                             const std::vector<double> &upper, const CutSelectLimits &limits);

// Violation a'x - rhs of a cut at x.
double cut_violation(const Cut &cut, const std::vector<double> &x);

}  // namespace tvl::mip
