// Storage of the solution record and the helpers shared by the queries and
// the optimizers.
#include "frame/solution.h"

#include <new>

#include "frame/derived.h"
#include "frame/problem.h"
#include "runtime/alloc.h"

namespace tvl {

SolutionRecord *solution_new() {
  void *mem = mem_alloc(sizeof(SolutionRecord));
  if (!mem) return nullptr;
  try {
    return new (mem) SolutionRecord();
  } catch (...) {
    mem_release(mem);
    return nullptr;
  }
}

void solution_free(SolutionRecord *&soln) {
  if (!soln) return;
  soln->~SolutionRecord();
  mem_free(soln);
}

SolutionRecord *solution_of(TVLLPptr lp) {
  if (!lp->soln) lp->soln = solution_new();
  return lp->soln;
}

void solution_discard(TVLLPptr lp) { discard_derived(lp, kDropSolution); }

void row_range(const LpData *data, int32_t i, double *lo, double *up) {
  const double rhs = data->rhs[i];
  switch (data->sense[i]) {
    case 'L':
      *lo = -kInfBound;
      *up = rhs;
      break;
    case 'G':
      *lo = rhs;
      *up = kInfBound;
      break;
    case 'R': {
      const double r = data->rngval ? data->rngval[i] : 0.0;
      *lo = r >= 0.0 ? rhs : rhs + r;
      *up = r >= 0.0 ? rhs + r : rhs;
      break;
    }
    default:
      *lo = rhs;
      *up = rhs;
      break;
  }
}

bool method_has_solution(int method, bool quadratic) {
  switch (method) {
    case TVL_ALG_PRIMAL:
    case TVL_ALG_DUAL:
    case TVL_ALG_BARRIER:
    case TVL_ALG_FEASOPT:
    case 13:
      return true;
    case TVL_ALG_PIVOTIN:
    case TVL_ALG_PIVOTOUT:
    case TVL_ALG_PIVOT:
      return !quadratic;
    default:
      return false;
  }
}

}  // namespace tvl
