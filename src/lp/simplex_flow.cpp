#include "lp/simplex_flow.h"

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <unistd.h>

#include "frame/basis.h"
#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "simplex/dualopt.h"
#include "simplex/flow_refine.h"
#include "simplex/flow_presolve.h"
#include "lpmodel/lpbuild.h"
#include "lp/lpcomp.h"
#include "simplex/matrix_compress.h"
#include "presolve/presolve_dual.h"
#include "simplex/primopt.h"
#include "simplex/simplex_result.h"
#include "runtime/clock.h"

namespace tvl::lp {

namespace {

constexpr int kDualDevex = 5;
constexpr int kPrimalDevex = 1;

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
    restore_start_settings();
    set(kParamPresolveReport, report_);
  }
  SavedParams(const SavedParams &) = delete;
  SavedParams &operator=(const SavedParams &) = delete;
  void set(int num, int value) { param_int_ref(blocks_, param_slot(num)) = value; }
  // The caller's advanced-start and perturbation settings.
  void restore_start_settings() {
    set(TVL_PARAM_ADVIND, advind_);
    set(TVL_PARAM_PERIND, perind_);
  }

 private:
  ParamBlocks *blocks_;
  int advind_, perind_, report_;
};

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

// One simplex solve inside the flow's run: the environment's settings with
// the given pricing, the iteration limit reduced by what earlier solves of
// the call used, and the LP callback and limit check of the run.  The
// variables are named as the caller's problem names them: the LP's own
// model by default, presolve's reduced copy through `pre`.
class Solver {
 public:
  Solver(tvlenv *env, tvllp *lp, FlowMethod method, const RunScope &run)
      : env_(env), lp_(lp), method_(method), run_(run) {}

  LpResult solve(const LpModel &model, int pricing, const Basis *start, const PresolvedLp *pre = nullptr) {
    return solve(model, pricing, start, method_, caller_var_names(lp_->lp, pre));
  }
  // The same with the given simplex method and variable names (none: the
  // default names); `unreduced` is the last remedy of the verify step
  // (simplex/verify_repair.h), when the flow offers one.
  LpResult solve(const LpModel &model, int pricing, const Basis *start, FlowMethod method,
                 std::function<std::string(int32_t)> names, std::function<LpResult()> unreduced = nullptr) {
    SimplexControl control = simplex_control(env_);
    control.pricing = pricing;
    control.var_name = std::move(names);
    control.unreduced = std::move(unreduced);
    control.itlim = std::max<int64_t>(0, control.itlim - used_);
    LpProgress progress;
    lp_progress_init(progress);
    progress.lp = lp_;
    progress.start_time = run_.start();
    // The kernels count their own work in the thread's counter, which the
    // limit check compares with the deterministic limit.
    const int64_t before = used_;
    const int where = method == FlowMethod::Dual ? TVL_CALLBACK_DUAL : TVL_CALLBACK_PRIMAL;
    progress.deadline = run_.deadline();
    progress.describe = [](const void *source, LpIterate &out) {
      static_cast<const SimplexProbe *>(source)->describe(out);
      return true;
    };
    control.limit_check = [this, &progress, before, where](int64_t iteration, const SimplexProbe &probe) {
      progress.iterations = before + iteration;
      progress.source = &probe;
      if (call_lp_callback(env_, where, progress)) return LpStatus::Aborted;
      return stop_status(limit_check(env_));
    };
    LpResult r = method == FlowMethod::Dual ? dual_simplex(model, control, start)
                                            : primal_simplex(model, control, start);
    used_ += r.iterations;
    return r;
  }

  // Pricing of a simplex method from its own parameter.
  int pricing_of(FlowMethod method) const {
    return param_int(env_, method == FlowMethod::Dual ? TVL_PARAM_DPRIIND : TVL_PARAM_PPRIIND);
  }
  int own_pricing() const { return pricing_of(method_); }
  FlowMethod method() const { return method_; }
  FlowMethod other_method() const { return method_ == FlowMethod::Dual ? FlowMethod::Primal : FlowMethod::Dual; }
  // Pricing of the cleanup solve after postsolve.
  int cleanup_pricing() const {
    if (method_ == FlowMethod::Primal) return kPrimalDevex;
    return param_int(env_, TVL_PARAM_DPRIIND) == kDualDevex ? kDualDevex : 0;
  }
  int64_t used() const { return used_; }

 private:
  tvlenv *env_;
  tvllp *lp_;
  FlowMethod method_;
  const RunScope &run_;
  int64_t used_ = 0;
};

bool proven_outcome(LpStatus s) {
  return s == LpStatus::Infeasible || s == LpStatus::Unbounded || s == LpStatus::InfOrUnbd;
}

// A reduced LP that presolve handed over as its dual: the other simplex
// solves the dual, whose result is mapped back to the reduced LP.
LpResult solve_as_dual(Solver &solver, const LpModel &reduced) {
  DualLp dual;
  form_dual(reduced, dual);
  const FlowMethod other = solver.other_method();
  return map_dual_result(reduced, dual, solver.solve(dual.model, solver.pricing_of(other), nullptr, other, nullptr));
}

// Solves the presolved copy and maps the outcome to the original LP, ending
// with the cleanup solve from the postsolved basis.
LpResult solve_presolved(tvlenv *env, tvllp *lp, Solver &solver, SavedParams &saved, const LpModel &model,
                         const Basis *start, PresolveData &data) {
  LpResult reduced;
  if (data.outcome.all_eliminated) {
    reduced.status = LpStatus::Optimal;
    reduced.primal_feasible = reduced.dual_feasible = true;
  } else {
    Basis crushed;
    const Basis *reduced_start = nullptr;
    if (start) {
      crushed = crush_basis(data.pre, *start);
      reduced_start = &crushed;
    } else if (!data.basis.empty() && param_int(env, TVL_PARAM_ADVIND) != 0) {
      reduced_start = &data.basis;
    }
    reduced = data.outcome.dual_formed ? solve_as_dual(solver, data.pre.reduced)
                                       : solver.solve(data.pre.reduced, solver.own_pricing(), reduced_start, &data.pre);
    data.basis = reduced.basis;
    if (reduced.basis_singular) {
      // The repair limit ran out on the reduced LP: the call ends with
      // "Basis singular" and no values (they would be the reduced LP's).
      LpResult stop;
      stop.status = reduced.status;
      stop.basis_singular = true;
      stop.iterations = solver.used();
      return stop;
    }
  }
  // The LP itself, solved from scratch without presolve: for a proof of
  // infeasibility or unboundedness wanted for the caller's LP, or as the
  // last remedy of the final solve's verify step when the presolved copy
  // did not lead to a trustworthy result (the copy is then dropped).
  auto solve_unreduced = [&](bool drop_copy) {
    if (drop_copy) discard_derived(lp, kDropPresolve);
    saved.restore_start_settings();
    LpResult r = solver.solve(model, solver.own_pricing(), nullptr);
    r.iterations = solver.used();
    return r;
  };
  LpResult full;
  if (proven_outcome(reduced.status) || !postsolve(data.pre, reduced, full))
    return solve_unreduced(!proven_outcome(reduced.status));
  if (data.outcome.all_eliminated) {
    // No simplex ran: the postsolved values are only refined.
    full.status = LpStatus::Optimal;
    full.primal_feasible = full.dual_feasible = true;
    refine_basic_solution(model, full);
    return full;
  }
  saved.set(TVL_PARAM_ADVIND, 1);
  saved.set(TVL_PARAM_PERIND, 0);
  // The final solve from the postsolved basis (0 iterations when it is
  // already optimal), with its verify step.
  LpResult final_result = solver.solve(model, solver.cleanup_pricing(), &full.basis, solver.method(),
                                       caller_var_names(lp->lp, nullptr),
                                       [&] { return solve_unreduced(true); });
  final_result.iterations = solver.used();
  final_result.phase1_iterations += reduced.phase1_iterations;
  return final_result;
}

// When presolve proves the LP infeasible, unbounded, or one of the two,
// the call ends with presolve's code; the verdict is also stored as the
// solution status (without values), so that a caller who looks at the
// status rather than the code learns it too.
void store_presolve_verdict(tvllp *lp, const LpModel &model, int st, FlowMethod method) {
  LpResult verdict;
  switch (st) {
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED: verdict.status = LpStatus::InfOrUnbd; break;
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE: verdict.status = LpStatus::Infeasible; break;
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED: verdict.status = LpStatus::Unbounded; break;
    default: return;
  }
  store_result(lp, model, verdict, method == FlowMethod::Dual ? TVL_ALG_DUAL : TVL_ALG_PRIMAL);
}

// A column or row whose lower bound lies above its upper bound makes the
// LP infeasible before any pivot; the simplex methods assume ordered bounds
// (presolve, when it runs, reports such a column itself).
bool crossed_bounds(const LpModel &model, double feastol) {
  auto crossed = [feastol](const std::vector<double> &lo, const std::vector<double> &up) {
    for (size_t k = 0; k < lo.size(); ++k)
      if (lo[k] > up[k] + feastol) return true;
    return false;
  };
  return crossed(model.collo, model.colup) || crossed(model.rowlo, model.rowup);
}

// Loads the restart basis file "<problem name>.bas" from the working
// directory when hidden parameter 1041 asks for it; true when a basis was
// loaded.  An absent file is skipped silently.
bool load_restart_basis(tvlenv *env, tvllp *lp) {
  if (param_int(env, kParamRestartBasis) == 0 || lp->name == nullptr || lp->name[0] == '\0') return false;
  const std::string file = std::string(lp->name) + ".bas";
  return access(file.c_str(), R_OK) == 0 && TVLreadcopybase(env, lp, file.c_str()) == 0;
}

int flow_body(tvlenv *env, tvllp *lp, FlowMethod method, SavedParams &saved) {
  RunScope run(env);
  LpModel model;
  build_model(*lp->lp, model);
  Basis start;
  const bool has_basis = build_start(lp, model, start);
  const bool has_start = has_basis || (lp->basis && !lp->basis->cprim.empty());
  bool warm = has_basis && param_int(env, TVL_PARAM_ADVIND) != 0;
  PresolveData *data = nullptr;
  if (const int st = prepare_presolve(env, lp, model, has_start, method == FlowMethod::Dual, data)) {
    discard_derived(lp, kDropSolution | kDropFactor);
    store_presolve_verdict(lp, model, st, method);
    return st;
  }
  if (load_restart_basis(env, lp)) {
    saved.set(TVL_PARAM_ADVIND, 1);
    warm = build_start(lp, model, start);
  }
  discard_derived(lp, kDropSolution | kDropFactor);
  Solver solver(env, lp, method, run);
  LpResult result;
  CompressedScope compressed(env, *lp->lp);
  if (compressed.status()) return compressed.status();
  if (data) {
    result = solve_presolved(env, lp, solver, saved, model, warm ? &start : nullptr, *data);
  } else if (crossed_bounds(model, simplex_control(env).feastol)) {
    result.status = LpStatus::Infeasible;
  } else {
    result = solver.solve(model, solver.own_pricing(), warm ? &start : nullptr);
  }
  if (!compressed.restore()) {
    // The presolved copy can be rebuilt, the caller's matrix cannot.
    discard_derived(lp, kDropPresolve);
    if (!compressed.restore()) return TVLERR_OUT_OF_MEMORY;
  }
  return store_result(lp, model, result, method == FlowMethod::Dual ? TVL_ALG_DUAL : TVL_ALG_PRIMAL);
}

}  // namespace

int simplex_flow(tvlenv *env, tvllp *lp, FlowMethod method) {
  if (const int st = check_kind(lp)) return st;
  SavedParams saved(env);
  int st = 0;
  try {
    st = flow_body(env, lp, method, saved);
  } catch (const std::bad_alloc &) {
    st = TVLERR_OUT_OF_MEMORY;
  }
  // Reported while the call's presolve message setting is in force.
  return st > 0 ? -boundary(env, st) : st;
}

}  // namespace tvl::lp
