// TVLpopulate: fills the solution pool in two phases.
//
// Phase I is an ordinary MIP optimization (pool mode 1).  Phase II (pool
// mode 2) searches again with the enumeration switches: nodes are no
// longer cut off against the incumbent but only against the pool cutoff
// of TVL_PARAM_SOLNPOOLGAP / TVL_PARAM_SOLNPOOLAGAP, integral nodes are
// branched on further while an integer column is still free, and every
// integer-feasible solution met is offered to the pool.  The search keeps
// no tree between optimizations, so phase II starts a new tree, seeded
// with the incumbent phase I found (or the one a previous optimization
// left with status 101 or 102, in which case phase I is skipped).
//
// Limits: the time limit counts over the whole call (one run clock around
// both phases); the node and iteration limits and TVL_PARAM_POPULATELIM
// are charged with what phase I used, and phase II gets the rest.  Phase
// II ends with 128 when TVL_PARAM_POPULATELIM solutions were stored in
// the call, with 129 (both pool gaps infinite) or 130 when its tree is
// exhausted, or with the status of a limit.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>
#include <vector>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "frame/solution.h"
#include "mip/mip_driver.h"
#include "mip/mip_state.h"
#include "mip/solnpool.h"

namespace tvl::mip {
namespace {

// Parameters populate changes for its phases, put back on every exit path.
class PopulateParams {
 public:
  explicit PopulateParams(tvlenv *env) : blocks_(env->params) {
    for (int num : kInts) ints_.push_back(param_int(env, num));
    bttol_ = param_dbl(env, TVL_PARAM_BTTOL);
  }
  ~PopulateParams() {
    for (size_t k = 0; k < std::size(kInts); ++k) set_int(kInts[k], ints_[k]);
    set_dbl(TVL_PARAM_BTTOL, bttol_);
  }
  PopulateParams(const PopulateParams &) = delete;
  PopulateParams &operator=(const PopulateParams &) = delete;
  void set_int(int num, int value) { param_int_ref(blocks_, param_slot(num)) = value; }
  void set_dbl(int num, double value) { param_dbl_ref(blocks_, param_slot(num)) = value; }

  static constexpr int kCutParams[] = {TVL_PARAM_CLIQUES,   TVL_PARAM_COVERS,     TVL_PARAM_FLOWCOVERS,
                                       TVL_PARAM_IMPLBD,    TVL_PARAM_GUBCOVERS,  TVL_PARAM_FRACCUTS,
                                       TVL_PARAM_FLOWPATHS, TVL_PARAM_MIRCUTS,    TVL_PARAM_DISJCUTS,
                                       TVL_PARAM_ZEROHALFCUTS, TVL_PARAM_MCFCUTS};

 private:
  static constexpr int kInts[] = {TVL_PARAM_CLIQUES,     TVL_PARAM_COVERS,       TVL_PARAM_FLOWCOVERS,
                                  TVL_PARAM_IMPLBD,      TVL_PARAM_GUBCOVERS,    TVL_PARAM_FRACCUTS,
                                  TVL_PARAM_FLOWPATHS,   TVL_PARAM_MIRCUTS,      TVL_PARAM_DISJCUTS,
                                  TVL_PARAM_ZEROHALFCUTS, TVL_PARAM_MCFCUTS,     TVL_PARAM_SOLNPOOLINTENSITY,
                                  TVL_PARAM_POPULATELIM, TVL_PARAM_INTSOLLIM,    TVL_PARAM_NODELIM,
                                  TVL_PARAM_NODESEL,     TVL_PARAM_RINSHEUR,     TVL_PARAM_REPEATPRESOLVE,
                                  TVL_PARAM_CUTPASS,     TVL_PARAM_ITLIM};
  ParamBlocks *blocks_;
  std::vector<int> ints_;
  double bttol_;
};

bool ends_populate(int status) {
  switch (status) {
    case TVLMIP_INFEASIBLE: case TVLMIP_FAIL_INFEAS: case TVLMIP_MEM_LIM_INFEAS: case TVLMIP_FAIL_INFEAS_NO_TREE:
    case TVLMIP_UNBOUNDED: case TVLMIP_INForUNBD:
      return true;
    default:
      return false;
  }
}

int current_status(const tvllp *lp) { return lp->soln ? lp->soln->status : 0; }

void set_status(tvllp *lp, int status) {
  if (lp->soln) lp->soln->status = status;
}

// Charges phase I against the limits; returns the status that ends
// populate (or 0), and leaves the remaining amounts as the limits of
// phase II.  `stored` is the number of solutions phase I stored.
int charge_phase_one(tvlenv *env, tvllp *lp, PopulateParams &params, int64_t stored) {
  const MipRecord *rec = mip_record(lp);
  const bool feasible = rec && rec->incumbent.present();
  double seconds = kNoValue, ticks = kNoValue;
  run_remaining(env, &seconds, &ticks);
  if (seconds <= 0.0) return feasible ? TVLMIP_TIME_LIM_FEAS : TVLMIP_TIME_LIM_INFEAS;
  if (ticks <= 0.0) return feasible ? TVLMIP_DETTIME_LIM_FEAS : TVLMIP_DETTIME_LIM_INFEAS;
  const int64_t nodes = param_int(env, TVL_PARAM_NODELIM) - (rec ? rec->nodes : 0);
  if (nodes < 1) return feasible ? TVLMIP_NODE_LIM_FEAS : TVLMIP_NODE_LIM_INFEAS;
  const int64_t its = param_int(env, TVL_PARAM_ITLIM) - (rec ? rec->iterations : 0);
  if (its <= 0) return feasible ? TVLMIP_ABORT_IT_LIM_FEAS : TVLMIP_ABORT_IT_LIM_INFEAS;
  const int64_t left = param_int(env, TVL_PARAM_POPULATELIM) - stored;
  if (left < 1) return current_status(lp);
  params.set_int(TVL_PARAM_NODELIM, static_cast<int>(nodes));
  params.set_int(TVL_PARAM_ITLIM, static_cast<int>(its));
  params.set_int(TVL_PARAM_POPULATELIM, static_cast<int>(left));
  return 0;
}

// Settings of phase II: no cuts, no repeated presolve, the dive test of
// TVL_PARAM_BTTOL 0.1 instead of its default.
void phase_two_settings(tvlenv *env, PopulateParams &params, int intensity) {
  for (int num : PopulateParams::kCutParams) params.set_int(num, -1);
  params.set_int(TVL_PARAM_REPEATPRESOLVE, 0);
  if (param_dbl(env, TVL_PARAM_BTTOL) == 0.9999) params.set_dbl(TVL_PARAM_BTTOL, 0.1);
  if (intensity == 1) params.set_int(TVL_PARAM_RINSHEUR, 1);
}

int exhausted_status(const tvlenv *env) {
  const bool gaps = param_dbl(env, TVL_PARAM_SOLNPOOLGAP) < kNoValue || param_dbl(env, TVL_PARAM_SOLNPOOLAGAP) < kNoValue;
  return gaps ? TVLMIP_OPTIMAL_POPULATED_TOL : TVLMIP_OPTIMAL_POPULATED;
}

int run_populate(tvlenv *env, tvllp *lp) {
  if (param_int(env, TVL_PARAM_SOLNPOOLCAPACITY) <= 0) {
    msg_warning(env, "Warning: the solution pool needs a positive capacity in order to be populated.\n");
    return 0;
  }
  PopulateParams params(env);
  RunScope run(env);
  if (int st = solnpool_create(env, lp)) return st;
  SolnPool &pool = *solnpool_of(lp);
  int intensity = param_int(env, TVL_PARAM_SOLNPOOLINTENSITY);
  if (intensity == 0) intensity = pool.populate.last_intensity == 1 && !pool.populate.tree_left ? 1 : 2;
  params.set_int(TVL_PARAM_SOLNPOOLINTENSITY, intensity);
  pool.populate.last_intensity = intensity;
  const bool display = param_int(env, TVL_PARAM_MIPDISPLAY) != 0;
  struct ModeReset {
    SolnPool &p;
    ~ModeReset() { p.populate.mode = 0; }
  } reset{pool};

  int status = mip_record(lp) ? current_status(lp) : 0;
  if (status && ends_populate(status)) return 0;
  if (status != TVLMIP_OPTIMAL && status != TVLMIP_OPTIMAL_TOL) {
    if (display) msg_results(env, "\nPopulate: phase I \n");
    pool.populate.mode = 1;
    const int32_t before = pool.count();
    if (int st = run_mip(env, lp)) return st;
    status = current_status(lp);
    if (ends_populate(status) || status == TVLMIP_ABORT_IT_LIM_INFEAS) return 0;
    if (int end = charge_phase_one(env, lp, params, pool.count() - before)) {
      set_status(lp, end);
      return 0;
    }
  }
  if (status == TVLMIP_OPTIMAL || status == TVLMIP_OPTIMAL_TOL) pool.populate.proved = true;
  if (display) msg_results(env, "\nPopulate: phase II \n");
  pool.populate.mode = 2;
  const MipRecord *rec = mip_record(lp);
  pool.populate.tree_left = rec && (rec->nodes_left > 0 || rec->incumbent.present());
  if (!pool.populate.tree_left && intensity != 1) {
    set_status(lp, exhausted_status(env));
    return 0;
  }
  // Phase II searches a new tree; the bound phase I proved on the same
  // model stays valid and is kept when the new tree ends below it.
  const double proved_bound = rec ? record_bound(*rec) : -kNoValue;
  phase_two_settings(env, params, intensity);
  if (int st = run_mip(env, lp)) return st;
  if (MipRecord *next = mip_record(lp); next && next->global_bound < proved_bound) {
    const double z = next->incumbent.present() ? next->incumbent.value : kNoValue;
    next->global_bound = std::min(proved_bound, z);
  }
  rec = mip_record(lp);
  if (rec && rec->incumbent.present()) {
    const double z = rec->incumbent.value, b = record_bound(*rec);
    const double d = std::fabs(z - b);
    if (d <= param_dbl(env, TVL_PARAM_EPAGAP) * 1.0000000000001 ||
        d <= (std::fabs(z) + 1e-10) * param_dbl(env, TVL_PARAM_EPGAP))
      pool.populate.proved = true;
  }
  return 0;
}

}  // namespace
}  // namespace tvl::mip

extern "C" {

int TVLpopulate(TVLENVptr env, TVLLPptr lp) { return tvl::mip::mip_entry(env, lp, tvl::mip::run_populate); }

}  // extern "C"
