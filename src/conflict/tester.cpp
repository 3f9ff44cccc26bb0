#include "conflict/tester.h"

#include <algorithm>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/param.h"
#include "lp/lpcomp.h"
#include "mip/heuristics/box_search.h"
#include "mip/mipbb.h"
#include "mip/presolve/mip_presolve.h"

namespace tvl::conflict {

namespace {

int conflict_stop_status(lp::LpStatus s) {
  switch (s) {
    case lp::LpStatus::IterLimit: return TVL_STAT_CONFLICT_ABORT_IT_LIM;
    case lp::LpStatus::TimeLimit: return TVL_STAT_CONFLICT_ABORT_TIME_LIM;
    case lp::LpStatus::DetTimeLimit: return TVL_STAT_CONFLICT_ABORT_DETTIME_LIM;
    default: return TVL_STAT_CONFLICT_ABORT_USER;
  }
}

// Conflict status of a MIP search that ended without an answer, or 0 when
// it did not end by a limit.
int mip_stop_status(int mipstat) {
  switch (mipstat) {
    case TVLMIP_NODE_LIM_INFEAS: return TVL_STAT_CONFLICT_ABORT_NODE_LIM;
    case TVLMIP_TIME_LIM_INFEAS: return TVL_STAT_CONFLICT_ABORT_TIME_LIM;
    case TVLMIP_DETTIME_LIM_INFEAS: return TVL_STAT_CONFLICT_ABORT_DETTIME_LIM;
    case TVLMIP_ABORT_IT_LIM_INFEAS: return TVL_STAT_CONFLICT_ABORT_IT_LIM;
    case TVLMIP_MEM_LIM_INFEAS: return TVL_STAT_CONFLICT_ABORT_MEM_LIM;
    case TVLMIP_ABORT_INFEAS: return TVL_STAT_CONFLICT_ABORT_USER;
    default: return 0;
  }
}

// Nodes one MIP test may take before it counts as undecided: a search over
// columns whose bounds were relaxed need not end at all (2x + 2y = 1 over
// free integers), and an undecided test only leaves its candidates as
// possible members.  A smaller TVL_PARAM_NODELIM is a limit of the
// refinement and stops it.  The test of a single candidate may take five
// times as many (p0033 with a contradicting row has one that a depth-first
// search settles in 29,000 nodes), and its second test ten times that;
// the test of the whole set has no cap of its own.
constexpr int64_t kTestNodes = 20000;
constexpr int64_t kSingleTestNodes = 100000;
constexpr int64_t kRetryTestNodes = 10 * kSingleTestNodes;

// Nodes each box may take.  Before the unbounded search a test boxes the
// relaxed integer columns around their tight bounds (mip::kBoxWidths, as
// the box search heuristic does around the LP values).  Branch and bound
// over an integer column without a bound can wander off along a ray of
// the relaxation and miss points near the model's own box for ever (p0033
// without some of its bounds: 20,000 depth-first nodes found nothing, a
// box of 10 finds a point in a few).  A point found in a box is a point of
// the test; a box without one proves nothing, and the unbounded search
// follows.
constexpr int64_t kBoxNodes = 2000;

// Factor updates a test may end with and still settle its values without
// refactorizing.
constexpr int kTestUpdatesKept = 50;

}  // namespace

LpTester::LpTester(tvlenv *env, const WorkModel &w, bool confirm)
    : env_(env), w_(w), itlim_(param_int(env, TVL_PARAM_ITLIM)), confirm_(confirm) {
  lp::SimplexControl ctl = lp::simplex_control(env);
  ctl.display = 0;
  ctl.itlim = kNoLimit;
  ctl.objllim = -kNoValue;
  ctl.objulim = kNoValue;
  ctl.limit_check = [this](int64_t iteration, const lp::SimplexProbe &) {
    if (iterations_ + iteration >= itlim_) return lp::LpStatus::IterLimit;
    return lp::stop_status(limit_check(env_));
  };
  // A fresh solve settles its values as a solve of the LP optimizer does:
  // refactorized and refined on the unscaled basis.
  fresh_ctl_ = ctl;
  // Each test is a short warm re-solve that needs only its verdict: the
  // values are settled with the updated factor (as a search's node LPs
  // settle theirs) and not refined on a fresh factorization of the
  // unscaled basis, which had cost several times the test's iterations.
  ctl.updates_kept_at_end = kTestUpdatesKept;
  ctl.refine_values = false;
  opt_ = std::make_unique<lp::DualOptimizer>(w.lp, ctl);
}

// The kept dual solver's run.  Its verify step settles numerical trouble
// itself (the other method, from a slack basis when the repairs ran out).
// An infeasible verdict handed back without a certificate (one whose ray
// failed the check) gets one more dual run from its final basis, which
// usually confirms it in a few iterations with a certificate the filter
// reduces by; without one the filter reduces by tests alone.
lp::LpResult LpTester::run_solvers() {
  lp::LpResult r = opt_->solve();
  if (r.status != lp::LpStatus::Infeasible || !r.ray.empty() || r.basis.empty() || !opt_->set_basis(r.basis)) return r;
  lp::LpResult d = opt_->solve();
  if (d.status != lp::LpStatus::Infeasible || d.ray.empty()) return r;
  d.iterations += r.iterations;
  return d;
}

lp::LpResult LpTester::fresh_solve() const {
  lp::LpResult r = lp::dual_simplex(original_form(w_, opt_->model()), fresh_ctl_, nullptr);
  // The point in the working form: the slacks carry the rows' activities.
  if (!r.x.empty()) r.x.insert(r.x.end(), r.rowact.begin(), r.rowact.begin() + w_.nrows);
  return r;
}

void LpTester::set_bounds(int32_t var, double lo, double up) { opt_->set_col_bounds(var, lo, up); }

Verdict LpTester::solve(Scope) {
  ++tests_;
  ray_.clear();
  point_.clear();
  if (iterations_ >= itlim_) {
    stop_status_ = TVL_STAT_CONFLICT_ABORT_IT_LIM;
    return Verdict::Stopped;
  }
  lp::LpResult r = run_solvers();
  iterations_ += r.iterations;
  if (confirm_ && r.status == lp::LpStatus::Infeasible) {
    lp::LpResult f = fresh_solve();
    iterations_ += f.iterations;
    // The fresh verdict decides; a fresh certificate replaces the warm one.
    if (f.status != lp::LpStatus::Infeasible || !f.ray.empty()) r = std::move(f);
  }
  switch (r.status) {
    case lp::LpStatus::Optimal:
      point_ = std::move(r.x);
      return Verdict::Feasible;
    case lp::LpStatus::Infeasible:
      ray_ = std::move(r.ray);
      return Verdict::Infeasible;
    case lp::LpStatus::IterLimit:
    case lp::LpStatus::TimeLimit:
    case lp::LpStatus::DetTimeLimit:
    case lp::LpStatus::Aborted:
      stop_status_ = conflict_stop_status(r.status);
      return Verdict::Stopped;
    default: return Verdict::Unsure;
  }
}

MipTester::MipTester(tvlenv *env, const tvllp *lp, const WorkModel &w, const mip::MipModel &mip)
    : env_(env), lp_(lp), w_(w), relaxation_(env, w), model_(mip), node_cap_(kTestNodes) {
  model_.lp = w.lp;
  // The problem's own objective guides the search: an objective cut is
  // then refuted as fast as the MIP is solved, and branching has
  // pseudocosts to go by (with a zero objective every choice looks alike).
  std::copy(mip.lp.cost.begin(), mip.lp.cost.end(), model_.lp.cost.begin());
  model_.lp.offset = mip.lp.offset;
  model_.integer.resize(static_cast<size_t>(w.lp.a.n), 0);
  model_.user_cols = mip.user_cols;
  mip::complete_mip_model(model_);
}

void MipTester::set_bounds(int32_t var, double lo, double up) {
  relaxation_.set_bounds(var, lo, up);
  model_.lp.collo[static_cast<size_t>(var)] = lo;
  model_.lp.colup[static_cast<size_t>(var)] = up;
}

std::vector<double> MipTester::elastic_cost() const {
  std::vector<double> cost(model_.lp.cost.size(), 0.0);
  // A linear cost measures the excess only where the variable cannot run
  // off the other way: with its upper side relaxed, +1 needs a finite lower
  // side (a one-sided row's slack has none), and likewise for -1.
  for (size_t k = 0; k < w_.tight_lo.size(); ++k) {
    const bool lo_relaxed = model_.lp.collo[k] < w_.tight_lo[k], up_relaxed = model_.lp.colup[k] > w_.tight_up[k];
    if (lo_relaxed && !up_relaxed && model_.lp.colup[k] < kInfBound) cost[k] = -1.0;
    if (up_relaxed && !lo_relaxed && model_.lp.collo[k] > -kInfBound) cost[k] = 1.0;
  }
  return cost;
}

mip::SearchSettings MipTester::settings(const mip::MipModel &model, bool &user_limit) const {
  mip::SearchSettings s = mip::search_settings(env_, model);
  s.sub_mip = true;
  s.term.intsollim = 1;
  user_limit = s.term.nodelim <= node_cap_;
  if (!user_limit) s.term.nodelim = node_cap_;
  // The search ends at its first integer point, so no incumbent ever
  // prunes by bound: depth first reaches a leaf soonest (best bound would
  // widen the tree level by level when the objective is zero).
  s.nodesel = 0;
  s.heur.fpheur = -1;
  s.heur.rinsheur = -1;
  return s;
}

int MipTester::search(bool &found, bool &user_limit) {
  found = false;
  // Quiet, and only reductions that keep every feasible point: dual ones
  // keep an optimum, and the objective is only a guide here.
  ScopedIntParam quiet(env_, TVL_PARAM_MIPDISPLAY, 0);
  ScopedIntParam primal(env_, TVL_PARAM_REDUCE, 1);
  mip::MipPresolve pre(env_, lp_);
  if (const int pst = pre.run(model_)) return mip::presolve_verdict(pst);
  if (memo_.known_infeasible(pre.model())) return TVLMIP_INFEASIBLE;
  if (pre.model().n() == 0) {
    point_ = pre.postsolve({});
    found = !point_.empty();
    return found ? TVLMIP_OPTIMAL : TVLMIP_FAIL_INFEAS;
  }
  mip::MipRecord record;
  mip::NodeLog log(env_, 1, env_time(env_), false);
  log.silence();
  mip::Search search(env_, pre.model(), record, settings(pre.model(), user_limit), log);
  const int st = search.run();
  found = search.incumbent().present();
  if (st == TVLMIP_INFEASIBLE) memo_.add_infeasible();
  if (found) point_ = pre.postsolve(search.incumbent().x());
  return st;
}

bool MipTester::box(double width) {
  boxed_.clear();
  for (int32_t j : model_.intcols) {
    if (j >= static_cast<int32_t>(w_.tight_lo.size())) continue;
    const size_t k = static_cast<size_t>(j);
    double &lo = model_.lp.collo[k], &up = model_.lp.colup[k];
    const bool free_lo = lo <= -kInfBound && w_.tight_lo[k] > -kInfBound;
    const bool free_up = up >= kInfBound && w_.tight_up[k] < kInfBound;
    if (!free_lo && !free_up) continue;
    boxed_.push_back({j, lo, up});
    if (free_lo) lo = mip::box_lower(w_.tight_lo[k], width);
    if (free_up) up = mip::box_upper(w_.tight_up[k], width);
  }
  return !boxed_.empty();
}

void MipTester::unbox() {
  for (const Saved &b : boxed_) {
    model_.lp.collo[static_cast<size_t>(b.col)] = b.lo;
    model_.lp.colup[static_cast<size_t>(b.col)] = b.up;
  }
  boxed_.clear();
}

int MipTester::attempt(bool &found, bool &user_limit) {
  int st = search(found, user_limit);
  // Without some of its rows or bounds the objective may be unbounded;
  // the search is then led by the relaxed candidates' excess over their
  // bounds (the elastic measure, which keeps it near the problem's own
  // box where a point is likeliest), and by no objective at last.
  for (int round = 0; round < 2 && !found && (st == TVLMIP_UNBOUNDED || st == TVLMIP_INForUNBD); ++round) {
    std::vector<double> cost = round == 0 ? elastic_cost() : std::vector<double>(model_.lp.cost.size(), 0.0);
    std::swap(cost, model_.lp.cost);
    st = search(found, user_limit);
    std::swap(cost, model_.lp.cost);
  }
  return st;
}

Verdict MipTester::solve(Scope scope) {
  ++tests_;
  point_.clear();
  Verdict v = relaxation_.solve(scope);
  iterations_ = relaxation_.iterations();
  ray_ = relaxation_.ray();
  stop_status_ = relaxation_.stop_status();
  if (v != Verdict::Feasible) return v;
  bool found = false, user_limit = false;
  int st = 0;
  for (double width : mip::kBoxWidths) {
    if (!box(width)) break;
    node_cap_ = kBoxNodes;
    st = attempt(found, user_limit);
    unbox();
    node_cap_ = kTestNodes;
    if (found) return Verdict::Feasible;
    // Infeasible in the box: the next, wider box.  Undecided there: a
    // wider box is no easier, so the unbounded search settles it.  A limit
    // of the run stops the test.
    const bool undecided = st == TVLMIP_NODE_LIM_INFEAS && !user_limit;
    if (undecided) break;
    if (mip_stop_status(st) != 0) {
      stop_status_ = mip_stop_status(st);
      return Verdict::Stopped;
    }
  }
  switch (scope) {
    case Scope::Block: node_cap_ = kTestNodes; break;
    case Scope::Single: node_cap_ = kSingleTestNodes; break;
    case Scope::Retry: node_cap_ = kRetryTestNodes; break;
    case Scope::Whole: node_cap_ = kNoLimit; break;
  }
  st = attempt(found, user_limit);
  node_cap_ = kTestNodes;
  if (found) return Verdict::Feasible;
  if (st == TVLMIP_INFEASIBLE) return Verdict::Infeasible;
  if (st == TVLMIP_NODE_LIM_INFEAS && !user_limit) return Verdict::Unsure;
  stop_status_ = mip_stop_status(st);
  return stop_status_ ? Verdict::Stopped : Verdict::Unsure;
}

}  // namespace tvl::conflict
