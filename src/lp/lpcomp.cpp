// LP optimizer entries and the choice of the method.
#include "lp/lpcomp.h"

#include <algorithm>
#include <new>

#include "frame/basis.h"
#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "frame/solution.h"
#include "lp/concurrent.h"
#include "lpmodel/lpbuild.h"
#include "lp/simplex_flow.h"
#include "runtime/clock.h"

namespace tvl::lp {

namespace {

constexpr double kDefaultMarkowitz = 0.01;

int enter(const tvlenv *env, const tvllp *lp) {
  int st = check_env(env, is_problem(lp) ? lp : nullptr);
  if (st) return st;
  if (!is_problem(lp)) return TVLERR_NO_PROBLEM_EXISTS;
  return complete(const_cast<tvlenv *>(env), const_cast<tvllp *>(lp));
}

bool quadratic_objective(const tvllp *lp) {
  switch (lp->type) {
    case TVLPROB_QP: case TVLPROB_MIQP: case TVLPROB_FIXEDMIQP: case TVLPROB_NODEQP:
      return true;
    default:
      return false;
  }
}

}  // namespace

int lp_threads(const tvlenv *env) {
  const int asked = param_int(env, TVL_PARAM_THREADS);
  return asked == 0 ? thread_limit() : std::min(asked, thread_limit());
}

LpStatus stop_status(int check) {
  switch (check) {
    case 0: return LpStatus::Unknown;
    case TVL_STAT_ABORT_TIME_LIM: return LpStatus::TimeLimit;
    case TVL_STAT_ABORT_DETTIME_LIM: return LpStatus::DetTimeLimit;
    default: return LpStatus::Aborted;
  }
}

SimplexControl simplex_control(const tvlenv *env) {
  SimplexControl c;
  c.env = env;
  c.feastol = param_dbl(env, TVL_PARAM_EPRHS);
  c.opttol = param_dbl(env, TVL_PARAM_EPOPT);
  c.itlim = param_int(env, TVL_PARAM_ITLIM);
  c.pricing = param_int(env, TVL_PARAM_DPRIIND);
  c.pricelim = param_int(env, TVL_PARAM_PRICELIM);
  c.scaling = param_int(env, TVL_PARAM_SCAIND);
  c.perturb_always = param_int(env, TVL_PARAM_PERIND);
  c.perlim = param_int(env, TVL_PARAM_PERLIM);
  c.crash = param_int(env, TVL_PARAM_CRAIND);
  c.epper = param_dbl(env, TVL_PARAM_EPPER);
  c.display = param_int(env, TVL_PARAM_SIMDISPLAY);
  c.objllim = param_dbl(env, TVL_PARAM_OBJLLIM);
  c.objulim = param_dbl(env, TVL_PARAM_OBJULIM);
  double markowitz = param_dbl(env, TVL_PARAM_EPMRK);
  if (param_int(env, TVL_PARAM_NUMERICALEMPHASIS) != 0 && markowitz == kDefaultMarkowitz) {
    markowitz = 0.9;
  }
  c.factor.markowitz = markowitz;
  c.factor.singtol = param_dbl(env, TVL_PARAM_SINGTOL);
  c.factor.update_limit = param_int(env, TVL_PARAM_REINV);
  c.factor.rfilemul = param_dbl(env, TVL_PARAM_RFILEMUL);
  c.factor.cfilemul = param_dbl(env, TVL_PARAM_CFILEMUL);
  c.singlim = param_int(env, TVL_PARAM_SINGLIM);
  c.precision_policy = param_int(env, kParamPrecision);
  return c;
}

// Below this many nonzeros the automatic choice does not race: two
// problem copies, two child environments and two threads cost more than
// the race can save on a problem either simplex solves in milliseconds.
constexpr int64_t kRaceMinNonzeros = 20000;

int resolve_lp_method(const tvlenv *env, const tvllp *lp) {
  const int method = param_int(env, TVL_PARAM_LPMETHOD);
  if (method != TVL_ALG_AUTOMATIC) return method;
  if (lp_threads(env) >= 2 && param_int(env, TVL_PARAM_MEMORYEMPHASIS) == 0 && lp->lp->nonzeros() >= kRaceMinNonzeros)
    return TVL_ALG_CONCURRENT;
  if (param_int(env, TVL_PARAM_ADVIND) != 0 && basis_present(lp) && !quadratic_objective(lp)) {
    int infeasible = 0;
    if (basis_primal_infeasibilities(env, lp, infeasible) == 0 && infeasible == 0) return TVL_ALG_PRIMAL;
  }
  return TVL_ALG_DUAL;
}

}  // namespace tvl::lp

extern "C" {

int TVLdualopt(TVLENVptr env, TVLLPptr lp) {
  int st = tvl::lp::enter(env, lp);
  if (!st) st = tvl::lp::simplex_flow(env, lp, tvl::lp::FlowMethod::Dual);
  return tvl::boundary(env, st);
}

int TVLprimopt(TVLENVptr env, TVLLPptr lp) {
  int st = tvl::lp::enter(env, lp);
  if (!st) st = tvl::lp::simplex_flow(env, lp, tvl::lp::FlowMethod::Primal);
  return tvl::boundary(env, st);
}

int TVLlpopt(TVLENVptr env, TVLLPptr lp) {
  int st = tvl::lp::enter(env, lp);
  if (st) return tvl::boundary(env, st);
  switch (tvl::lp::resolve_lp_method(env, lp)) {
    case TVL_ALG_DUAL: return TVLdualopt(env, lp);
    case TVL_ALG_PRIMAL: return TVLprimopt(env, lp);
    case TVL_ALG_CONCURRENT: return tvl::boundary(env, tvl::lp::concurrent_opt(env, lp));
    default: return tvl::boundary(env, TVLERR_INVALID_CHOICE_OF_OPTIMIZATION_METHOD);
  }
}

int TVLcheckpfeas(TVLCENVptr env, TVLCLPptr lp, int *infeas_p) {
  int st = tvl::lp::enter(env, lp);
  if (!st && !infeas_p) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (!st) st = tvl::lp::basis_primal_infeasibilities(env, lp, *infeas_p);
  return tvl::boundary(env, st);
}

}  // extern "C"
