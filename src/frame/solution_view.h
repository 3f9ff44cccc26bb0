// The view of a problem's outcome that the solution queries and quality
// measures answer from: the problem that holds the data (the inner model
// of a fixed type), its solution record and the availability rules.
#pragma once

#include <cstdint>

#include "frame/problem.h"
#include "frame/solution.h"

namespace tvl {

struct SolutionView {
  const tvllp *lp = nullptr;            // the problem that answers
  const SolutionRecord *soln = nullptr; // its record (may be none)
  bool mip = false;                     // answers from the MIP incumbent
  bool quadratic = false;               // has a quadratic objective
  int32_t m = 0, n = 0;
};

// Validates environment and problem (1002, 1806, 1804, 1009), applies the
// pending changes and fills the view.  Returns 0 or a status for boundary().
int open_view(const tvlenv *env, const tvllp *lp, SolutionView *view);

// Availability of primal values (0, 1217 or 3023), of dual values (0,
// 1217, 1232 or 1017) and of an objective value (0 or 1217).
int need_primal(const SolutionView &view);
int need_dual(const SolutionView &view);
int need_objective(const SolutionView &view);

// Range check of a query over `count` items: prints 1205/1206 with the
// function's name and returns 1200, or 0.
int check_range(const tvlenv *env, const char *fname, int begin, int end, int count);

// Condition estimate of a stored basis (quality measure 39).  Forming it
// factorizes the basis, so the LP layer supplies it to the two quality
// queries below, whose public entries live there.
using KappaEstimate = double (*)(const LpData &data, const BasisData &basis);

// Bodies of TVLgetdblquality and TVLgetintquality; return 0 or a status
// for boundary().
int dbl_quality(const tvlenv *env, const tvllp *lp, double *quality_p, int what, KappaEstimate kappa);
int int_quality(const tvlenv *env, const tvllp *lp, int *quality_p, int what, KappaEstimate kappa);

// Measure `what` of the integer-feasible point x (all columns) of a MIP
// problem, as if it were the incumbent: the primal measures, from x and
// the slacks rhs - A x; dual measures give 1017.  idx receives -2 when the
// measure has no index.  Used for the solutions of the pool.
int point_quality(const tvlenv *env, const tvllp *lp, const double *x, int what, double *val, int *idx);

}  // namespace tvl
