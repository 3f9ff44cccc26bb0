// The solution record of a problem: the outcome of the last continuous
// optimizer run (status, method, feasibility flags, primal and dual values,
// counters) that the solution queries answer from.  Values are kept in the
// caller's terms: unscaled, objective sense applied, slack = rhs - A x.
#pragma once

#include <cstdint>
#include <vector>

#include "tavlo.h"

namespace tvl {

struct LpData;

struct SolutionRecord {
  int32_t status = 0;           // solution status code, 0 when nothing is stored
  int32_t method = TVL_ALG_NONE;
  bool pfeas = false, dfeas = false;
  bool has_primal = false;      // x, ax and slack are present
  bool has_dual = false;        // pi and dj are present
  double objval = 0.0;          // in the caller's objective sense
  std::vector<double> x, ax, slack;  // n, m, m
  std::vector<double> pi, dj;        // m, n
  std::vector<double> dual_ray;      // m: proof of infeasibility when status is 3
  int64_t itcnt = 0, phase1cnt = 0, baritcnt = 0;
  int64_t crossppush = 0, crosspexch = 0, crossdpush = 0, crossdexch = 0;
  int64_t psbcnt = 0, dsbcnt = 0, siftitcnt = 0, siftphase1cnt = 0;
  // MIP types: the optimizer keeps its incumbent here; status holds the MIP
  // status, objval the incumbent's objective and has_primal tells whether
  // its values (x, ax, slack) are kept.
  bool incumbent = false;
  int64_t mipnodes = 0;         // MIP: nodes of the search that found it (itcnt: its iterations)
  bool has_factor = false;      // the run ended with a factored basis
  double kappa = -1.0;          // condition estimate of that basis, -1 if unknown
};

// Text and short text of a solution status; nullptr (text) or
// "Unknown stat value" (short) for a code not in the table.
const char *solution_status_text(int code);
const char *solution_status_brief(int code);

// Storage hooks used by the problem module and the optimizers.
SolutionRecord *solution_new();
void solution_free(SolutionRecord *&soln);
// The problem's record, created on first use; nullptr when out of memory.
SolutionRecord *solution_of(TVLLPptr lp);
// Drops everything derived from the last run (status becomes 0).
void solution_discard(TVLLPptr lp);

// Activity range of row i from its sense, right-hand side and range value
// (a negative range value r gives [rhs + r, rhs]).  Infinite ends are
// returned as -kInfBound / +kInfBound or beyond.
void row_range(const LpData *data, int32_t i, double *lo, double *up);

// True for method codes whose runs leave a continuous solution.
bool method_has_solution(int method, bool quadratic);

}  // namespace tvl
