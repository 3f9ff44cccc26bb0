// TVLmipopt: the MIP optimizer driver.
//
//   checks -> saved parameters (clock type, integrality tolerance, ...) ->
//   clock choice and start time -> model of the problem -> opening lines
//   (emphasis, search method, parallel mode) -> branch and bound (root LP,
//   node LPs, branching) -> polishing -> cut summary -> incumbent checked against the
//   problem's own data and stored as the solution record -> final status
//   adjustments -> parameters restored.
//
// MIP presolve (mip/presolve/mip_presolve.h) reduces the model first; the
// search runs on the reduced model and its incumbent is mapped back.
// Before the search the solution pool is prepared (created when its
// capacity is positive, settings read) and every integer-feasible solution
// the search meets is offered to it, mapped back; the pending MIP starts
// are tried on the original model (mip/mipstart_install.h) and enter the
// reduced one as incumbents.
//
// The primal heuristics run inside the search (mip/heuristics/).
// What the driver does not do yet: repeated presolve and cuts.  Special
// ordered sets,
// semi-continuous and semi-integer columns and indicator constraints are
// enforced by branching; quadratic MIPs are refused with 1018 and 1031.
// The search runs on one thread whatever TVL_PARAM_THREADS says.
#include <cmath>
#include <memory>
#include <new>
#include <optional>

#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/names.h"
#include "frame/param.h"
#include "frame/solution.h"
#include "mip/cut_summary.h"
#include "mip/mip_driver.h"
#include "mip/mip_model.h"
#include "mip/mip_state.h"
#include "mip/mipbb.h"
#include "mip/mipnodelog.h"
#include "mip/mipstart_install.h"
#include "mip/solnpool.h"
#include "mip/polish.h"
#include "mip/presolve/mip_presolve.h"
#include "runtime/clock.h"

namespace tvl::mip {

namespace {

// Parameters a run may change, put back on every exit path.
class SavedParams {
 public:
  explicit SavedParams(tvlenv *env)
      : blocks_(env->params),
        clocktype_(param_int(env, TVL_PARAM_CLOCKTYPE)),
        reduce_(param_int(env, TVL_PARAM_REDUCE)),
        intensity_(param_int(env, TVL_PARAM_SOLNPOOLINTENSITY)),
        epint_(param_dbl(env, TVL_PARAM_EPINT)),
        polish_time_(param_dbl(env, TVL_PARAM_POLISHAFTERTIME)) {}
  ~SavedParams() {
    set_int(TVL_PARAM_CLOCKTYPE, clocktype_);
    set_int(TVL_PARAM_REDUCE, reduce_);
    set_int(TVL_PARAM_SOLNPOOLINTENSITY, intensity_);
    set_dbl(TVL_PARAM_EPINT, epint_);
    set_dbl(TVL_PARAM_POLISHAFTERTIME, polish_time_);
  }
  SavedParams(const SavedParams &) = delete;
  SavedParams &operator=(const SavedParams &) = delete;
  void set_int(int num, int value) { param_int_ref(blocks_, param_slot(num)) = value; }
  void set_dbl(int num, double value) { param_dbl_ref(blocks_, param_slot(num)) = value; }

 private:
  ParamBlocks *blocks_;
  int clocktype_, reduce_, intensity_;
  double epint_, polish_time_;
};

bool is_mip_problem(const tvllp *lp) { return lp->type == 1 || lp->type == 7 || lp->type == 11; }

// The populate switches of a run with a pool.  TVL_PARAM_SOLNPOOLINTENSITY
// 0 counts as 1 outside populate; from 3 on nodes are no longer cut off
// against the incumbent.  Populate phase II enumerates: nodes are judged
// against the pool cutoff and integral nodes are branched on further.
void apply_pool_switches(const tvlenv *env, const SolnPool *pool, SearchSettings &s) {
  if (!pool) return;
  int intensity = param_int(env, TVL_PARAM_SOLNPOOLINTENSITY);
  const int mode = pool->populate.mode;
  if (intensity == 0 && mode == 0) intensity = 1;
  const bool keep_all = mode == 2 && intensity != 4;
  const bool enumerate = mode == 2 || keep_all;
  s.cutoff.cutoff_pruning = intensity < 3 && !enumerate;
  s.cutoff.enumerate = enumerate;
  s.cutoff.pool_relgap = param_dbl(env, TVL_PARAM_SOLNPOOLGAP);
  s.cutoff.pool_absgap = param_dbl(env, TVL_PARAM_SOLNPOOLAGAP);
  s.term.enumerate = enumerate;
  s.term.pool_mode = mode;
  s.term.populate_limit = param_int(env, TVL_PARAM_POPULATELIM);
  s.term.pool_gaps_finite = s.cutoff.pool_relgap < kNoValueLimit || s.cutoff.pool_absgap < kNoValueLimit;
  // Phase II takes the nodes near the incumbent in random order.
  if (mode == 2 && s.nodesel == kBestBound) s.nodesel = kPopulate;
}

// Model parts the search cannot handle yet.
int unsupported(const tvllp *lp) {
  if (lp->type == TVLPROB_MIQP) return TVLERR_NOT_AVAILABLE_FOR_QUADRATIC_PROGRAMS;
  if (lp->type == TVLPROB_MIQCP) return TVLERR_NOT_AVAILABLE_FOR_QUADRATICALLY_CONSTRAINED_PROGRAMS;
  return 0;
}

void opening_lines(const tvlenv *env) {
  static const char *const kEmphasis[] = {
      "MIP emphasis: balance optimality and feasibility.\n", "MIP emphasis: integer feasibility.\n",
      "MIP emphasis: optimality.\n", "MIP emphasis: best bound.\n", "MIP emphasis: hidden feasible solutions.\n"};
  const int emphasis = param_int(env, TVL_PARAM_MIPEMPHASIS);
  msg_results(env, "%s", kEmphasis[emphasis >= 0 && emphasis <= 4 ? emphasis : 0]);
  msg_results(env, param_int(env, TVL_PARAM_MIPSEARCH) == 1 ? "MIP search method: traditional branch-and-cut.\n"
                                                            : "MIP search method: dynamic search.\n");
  // The search is deterministic in either mode (mip/mipbb.h); the line
  // names the mode asked for.
  const int threads = search_threads(env);
  if (threads == 1) msg_results(env, "Parallel mode: none, using 1 thread.\n");
  else if (param_int(env, TVL_PARAM_PARALLELMODE) == -1)
    msg_results(env, "Parallel mode: opportunistic, using up to %d threads.\n", threads);
  else
    msg_results(env, "Parallel mode: deterministic, using up to %d threads.\n", threads);
}

// A column whose lower bound lies above its upper bound (after rounding
// the bounds of integer columns) makes the MIP infeasible at once.
int32_t crossed_column(const MipModel &model) {
  for (int32_t j = 0; j < model.n(); ++j)
    if (model.lp.collo[j] > model.lp.colup[j]) return j;
  return -1;
}

// Stores the status and the incumbent (x, row activities, slacks in the
// caller's terms) as the problem's solution record.
int store_incumbent(tvllp *lp, const MipModel &model, int status, const std::vector<double> &x,
                    const MipRecord &record) {
  solution_discard(lp);
  SolutionRecord *s = solution_of(lp);
  if (!s) return TVLERR_OUT_OF_MEMORY;
  s->status = status;
  s->method = TVL_ALG_MIP;
  s->itcnt = record.iterations;
  s->mipnodes = record.nodes;
  if (x.empty()) return 0;
  const LpData &d = *lp->lp;
  s->incumbent = s->has_primal = s->pfeas = true;
  s->objval = objective_of(model, x) * model.lp.objsense;
  s->x.assign(x.begin(), x.begin() + d.ncols);  // without indicator slacks
  s->ax.assign(static_cast<size_t>(d.nrows), 0.0);
  for (int32_t j = 0; j < d.ncols; ++j)
    for (int32_t k = d.matbeg[j]; k < d.matbeg[j] + d.matcnt[j]; ++k) s->ax[d.matind[k]] += d.matval[k] * s->x[j];
  s->slack.resize(static_cast<size_t>(d.nrows));
  for (int32_t i = 0; i < d.nrows; ++i) s->slack[i] = d.rhs[i] - s->ax[i];
  return 0;
}

std::string column_name(const tvllp *lp, int32_t j) {
  if (lp->lp->colnames.present()) return lp->lp->colnames.get(j);
  return "x" + std::to_string(j + 1);
}

// Names of the search's columns for the node log: the reduced model's
// columns under their original names.
struct LogNames {
  const tvllp *lp;
  const MipPresolve *pre;
  static std::string name(const void *owner, int32_t j) {
    const auto *self = static_cast<const LogNames *>(owner);
    return column_name(self->lp, self->pre->original_col(j));
  }
};

}  // namespace

int run_mip(tvlenv *env, tvllp *lp) {
  const PolishPlan polish_wanted = polish_plan(env);
  SavedParams saved(env);
  if (param_int(env, TVL_PARAM_CLOCKTYPE) == 0) {
    const bool one_thread = param_int(env, TVL_PARAM_THREADS) == 1 || thread_limit() == 1;
    saved.set_int(TVL_PARAM_CLOCKTYPE, one_thread ? 1 : 2);
  }
  const bool cpu_clock = param_int(env, TVL_PARAM_CLOCKTYPE) == 1;
  if (param_dbl(env, TVL_PARAM_EPINT) < 1e-10) saved.set_dbl(TVL_PARAM_EPINT, 1e-9);
  if (polish_after_in_use(env) && param_dbl(env, TVL_PARAM_POLISHAFTERTIME) < kNoValue)
    saved.set_dbl(TVL_PARAM_POLISHAFTERTIME, kNoValue);
  std::optional<SearchTimeLimit> search_time(std::in_place, env, polish_wanted);
  std::optional<RunScope> run(std::in_place, env);
  const double start = env_time(env);

  if (int st = solnpool_prepare(env, lp)) return st;
  // Populate phase II searches again from the incumbent of phase I.
  std::vector<double> carried;
  if (const SolnPool *pool = solnpool_of(lp); pool && pool->populate.mode == 2 && lp->soln && lp->soln->incumbent)
    carried = lp->soln->x;
  discard_derived(lp, kDropSolution | kDropMipState);
  auto *record = new MipRecord();
  lp->mipstate = record;
  MipModel model;
  build_mip_model(lp, model);
  record->objsense = model.lp.objsense;
  const int display = param_int(env, TVL_PARAM_MIPDISPLAY);
  if (display >= 1) opening_lines(env);

  NodeLog log(env, model.lp.objsense, start, cpu_clock);
  MipPresolve pre(env, lp);
  LogNames names{lp, &pre};
  log.set_column_names(LogNames::name, &names);
  int status = 0;
  std::vector<double> x;
  if (const int32_t j = crossed_column(model); j >= 0) {
    msg_warning(env, "Warning:  Bound infeasibility column '%s'.\n", column_name(lp, j).c_str());
    status = TVLMIP_INFEASIBLE;
  } else if (const int pst = pre.run(model)) {
    if (pst == TVLERR_OUT_OF_MEMORY) return pst;
    status = presolve_verdict(pst);
  } else if (pre.model().n() == 0) {
    // Presolve fixed every column: its postsolved point is the optimum.
    x = pre.postsolve({});
    status = x.empty() ? TVLMIP_FAIL_INFEAS : TVLMIP_OPTIMAL;
    if (!x.empty()) {
      record->incumbent.value = record->incumbent.cutoff = record->global_bound = objective_of(model, x);
      record->incumbent.node = 0;
      record->incumbent.updates = 1;
    }
  } else {
    SearchSettings settings = search_settings(env, pre.model());
    apply_pool_switches(env, solnpool_of(lp), settings);
    Search search(env, pre.model(), *record, settings, log);
    search.set_to_original([&pre](const std::vector<double> &y) { return pre.postsolve(y); });
    if (solnpool_of(lp))
      search.set_solution_sink([&](const std::vector<double> &reduced, double) {
        const std::vector<double> xo = pre.postsolve(reduced);
        if (xo.empty()) return false;
        const int r = solnpool_offer(lp, xo.data(), objective_of(model, xo));
        return r == kPoolAppended || r == kPoolReplaced;
      });
    // Solutions of the original model enter the reduced one when they fit it.
    auto offer = [&](const std::vector<double> &xo) {
      const std::vector<double> xr = pre.crush(xo);
      if (max_violation(pre.model(), xr) > kAcceptTol) return false;
      search.offer_start(xr);
      return true;
    };
    if (carried.size() == static_cast<size_t>(model.n())) offer(carried);
    install_mip_starts(env, lp, model, search_settings(env, model), offer);
    status = search.run();
    run.reset();
    search_time.reset();
    status = polish(env, search, polish_wanted, status, env_time(env) - start, false);
    if (search.incumbent().present()) x = pre.postsolve(search.incumbent().x());
  }
  if (status == TVLMIP_INFEASIBLE && pre.dual_used()) status = TVLMIP_INForUNBD;
  if (display >= 1) print_cut_summary(env, *record);
  // The incumbent against the problem's data as the user gave them.
  if (!x.empty()) {
    const double viol = max_violation(model, x);
    if (viol > std::max(1e-10, param_dbl(env, TVL_PARAM_EPINT))) {
      msg_warning(env, "Warning: integer solution contains unscaled infeasibilities.\n");
      if (status == TVLMIP_OPTIMAL) status = TVLMIP_OPTIMAL_INFEAS;
    }
    if (status == TVLMIP_INForUNBD) status = TVLMIP_UNBOUNDED;
  }
  return store_incumbent(lp, model, status, x, *record);
}

// Advice after running out of memory once the search has built a tree
// (it processed at least the root node).
static void memory_advice(tvlenv *env, const tvllp *lp) {
  const MipRecord *r = mip_record(lp);
  if (!r || r->nodes == 0) return;
  if (param_int(env, TVL_PARAM_NODEFILEIND) < 2)
    msg_results(env, "\nConsider using TAVLO node files to reduce memory usage.\n");
  else
    msg_results(env, "\nConsider decreasing WorkMem parameter value to reduce memory usage.\n");
}

int mip_entry(tvlenv *env, tvllp *lp, int (*run)(tvlenv *, tvllp *)) {
  int st = check_problem(env, lp);
  if (!st) st = complete(env, lp);
  if (!st && !is_mip_problem(lp)) st = TVLERR_NOT_A_MIXED_INTEGER_PROBLEM;
  if (!st) st = unsupported(lp);
  if (!st) {
    try {
      st = run(env, lp);
    } catch (const std::bad_alloc &) {
      st = TVLERR_OUT_OF_MEMORY;
      memory_advice(env, lp);
    }
  }
  return boundary(env, st);
}

}  // namespace tvl::mip

extern "C" {

int TVLmipopt(TVLENVptr env, TVLLPptr lp) { return tvl::mip::mip_entry(env, lp, tvl::mip::run_mip); }

}  // extern "C"
