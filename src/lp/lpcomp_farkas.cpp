// TVLdualfarkas: the infeasibility proof left by the dual simplex.
#include <algorithm>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/problem.h"
#include "frame/solution.h"
#include "lpmodel/lpbuild.h"

extern "C" int TVLdualfarkas(TVLCENVptr env, TVLCLPptr lp, double *y, double *proof_p) {
  int st = tvl::check_env(env, tvl::is_problem(lp) ? lp : nullptr);
  if (!st && !tvl::is_problem(lp)) st = TVLERR_NO_PROBLEM_EXISTS;
  if (!st) st = tvl::complete(const_cast<tvlenv *>(env), const_cast<tvllp *>(lp));
  if (st) return tvl::boundary(env, st);
  const tvl::SolutionRecord *s = lp->soln;
  if (!s || s->status != TVL_STAT_INFEASIBLE || s->method != TVL_ALG_DUAL || s->dual_ray.empty()) {
    return tvl::boundary(env, TVLERR_DUAL_UNBOUNDED_SOLUTION_REQUIRED);
  }
  if (y) std::copy(s->dual_ray.begin(), s->dual_ray.end(), y);
  if (proof_p) *proof_p = tvl::lp::farkas_proof(*lp->lp, s->dual_ray.data());
  return 0;
}

