// LP optimizer dispatch and the dual simplex flow.
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
#include "lp/dualopt.h"
#include "lp/lpbuild.h"
#include "runtime/clock.h"

namespace tvl::lp {

namespace {

constexpr int kParamPresolveReport = 1043;
constexpr int kParamPrecision = 1093;
constexpr double kDefaultMarkowitz = 0.01;

// Parameters that the flow changes for the duration of a call and puts
// back on every exit path.
class SavedParams {
 public:
  explicit SavedParams(tvlenv *env)
      : blocks_(env->params),
        advind_(param_int(env, TVL_PARAM_ADVIND)),
        perind_(param_int(env, TVL_PARAM_PERIND)),
        report_(param_int(env, kParamPresolveReport)) {
    if (param_int(env, TVL_PARAM_SIMDISPLAY) == 0) set(kParamPresolveReport, 0);
  }
  ~SavedParams() {
    set(TVL_PARAM_ADVIND, advind_);
    set(TVL_PARAM_PERIND, perind_);
    set(kParamPresolveReport, report_);
  }
  SavedParams(const SavedParams &) = delete;
  SavedParams &operator=(const SavedParams &) = delete;

 private:
  void set(int num, int value) { param_int_ref(blocks_, param_slot(num)) = value; }
  ParamBlocks *blocks_;
  int advind_, perind_, report_;
};

int enter(const tvlenv *env, const tvllp *lp) {
  int st = check_env(env, is_problem(lp) ? lp : nullptr);
  if (st) return st;
  if (!is_problem(lp)) return TVLERR_NO_PROBLEM_EXISTS;
  return complete(const_cast<tvlenv *>(env), const_cast<tvllp *>(lp));
}

// Problem kinds the simplex flow refuses.
int check_kind(const tvllp *lp) {
  switch (lp->type) {
    case TVLPROB_MILP: case TVLPROB_MIQP: case TVLPROB_MIQCP:
      return TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS;
    case TVLPROB_QP: case TVLPROB_FIXEDMIQP: case TVLPROB_NODEQP:
      return TVLERR_NOT_AVAILABLE_FOR_QUADRATIC_PROGRAMS;
    case TVLPROB_QCP: case TVLPROB_NODEQCP: case TVLPROB_FIXEDMIQCP:
      return TVLERR_NOT_AVAILABLE_FOR_QUADRATICALLY_CONSTRAINED_PROGRAMS;
    default:
      return 0;
  }
}

// Runs the dual simplex on the problem's own data and stores the outcome.
int run_dual(tvlenv *env, tvllp *lp) {
  RunScope run(env);
  LpModel model;
  build_model(*lp->lp, model);
  Basis start;
  const bool warm = param_int(env, TVL_PARAM_ADVIND) != 0 && build_start(lp, model, start);
  SimplexControl control = simplex_control(env);
  LpProgress progress;
  lp_progress_init(progress);
  progress.lp = lp;
  progress.start_time = run.start();
  // Deterministic work of an iteration, estimated from the model's size so
  // that deterministic limits stop repeated runs at the same iteration.
  const uint64_t iteration_work =
      static_cast<uint64_t>(model.a.m) + static_cast<uint64_t>(model.a.n) + model.a.index.size() / 4;
  control.limit_check = [env, &progress, iteration_work](int64_t iteration) {
    work_add(iteration_work);
    progress.iterations = iteration;
    if (call_lp_callback(env, TVL_CALLBACK_DUAL, progress)) return LpStatus::Aborted;
    return stop_status(limit_check(env));
  };
  discard_derived(lp, kDropSolution | kDropFactor);
  LpResult result = dual_simplex(model, control, warm ? &start : nullptr);
  return store_result(lp, model, result, TVL_ALG_DUAL);
}

int dual_flow(tvlenv *env, tvllp *lp) {
  int st = enter(env, lp);
  if (!st) st = check_kind(lp);
  if (st) return st;
  SavedParams saved(env);
  if (param_int(env, TVL_PARAM_PREIND) != 0 && param_int(env, TVL_PARAM_SIMDISPLAY) != 0) {
    msg_log(env, "Presolve is not available yet; solving the original problem.\n");
  }
  try {
    return run_dual(env, lp);
  } catch (const std::bad_alloc &) {
    return TVLERR_OUT_OF_MEMORY;
  }
}

}  // namespace

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
  c.scaling = param_int(env, TVL_PARAM_SCAIND);
  c.perturb_always = param_int(env, TVL_PARAM_PERIND);
  c.perlim = param_int(env, TVL_PARAM_PERLIM);
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

int resolve_lp_method(const tvlenv *env, const tvllp * /*lp*/) {
  const int method = param_int(env, TVL_PARAM_LPMETHOD);
  // The automatic choice would prefer the concurrent optimizer with several
  // threads or the primal simplex from a primal feasible basis; neither is
  // available, so it runs the dual simplex.
  return method == TVL_ALG_AUTOMATIC ? TVL_ALG_DUAL : method;
}

}  // namespace tvl::lp

extern "C" {

int TVLdualopt(TVLENVptr env, TVLLPptr lp) {
  return tvl::boundary(env, tvl::lp::dual_flow(env, lp));
}

int TVLprimopt(TVLENVptr env, TVLLPptr lp) {
  int st = tvl::lp::enter(env, lp);
  if (!st) st = tvl::lp::check_kind(lp);
  if (!st) st = TVLERR_INVALID_CHOICE_OF_OPTIMIZATION_METHOD;
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

}  // extern "C"
