#include "mip/mipbb.h"

#include <algorithm>
#include <cmath>

#include "frame/error.h"
#include "frame/param.h"
#include "lp/lpcomp.h"
#include "lpmodel/lpbuild.h"
#include "frame/env.h"
#include "mip/cuts/cut_loop.h"
#include "mip/cuts/tree_cuts.h"
#include "mip/heuristics/one_opt.h"
#include "mip/info_callback.h"
#include "mip/search_team.h"
#include "runtime/clock.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

constexpr double kRcfixMin = 1e-7;  // reduced costs below are not used for fixing
constexpr double kRcfixReach = 1e9;  // reduced-cost bounds beyond this are not applied
// Strong-branching iterations automatic branching may spend beyond half the
// node LPs' iterations, and the same bound in work units: where one
// iteration is costly (tens of thousands of columns), the work bound stops
// strong branching long before the iteration count does.
constexpr int64_t kStrongAllowance = 20000;
constexpr uint64_t kStrongAllowanceWork = static_cast<uint64_t>(3000 * kWorkPerTick);
// Simplex iterations a sub-MIP (RINS, local branching, box search) may
// always spend, however young the search.
constexpr int64_t kSubMipIterations = 10000;
// Simplex iterations per node of a guided sub-MIP (SubMipAim::Guided).
constexpr int64_t kGuidedIterationsPerNode = 50;

}  // namespace

SearchSettings search_settings(const tvlenv *env, const MipModel &model) {
  SearchSettings s;
  s.term = termination_settings(env);
  s.branch.varsel = param_int(env, TVL_PARAM_VARSEL);
  s.branch.brdir = param_int(env, TVL_PARAM_BRDIR);
  s.branch.strong_cand_lim = param_int(env, TVL_PARAM_STRONGCANDLIM);
  s.branch.strong_it_lim = param_int(env, TVL_PARAM_STRONGITLIM);
  s.cutoff.objdif = param_dbl(env, TVL_PARAM_OBJDIF);
  s.cutoff.relobjdif = param_dbl(env, TVL_PARAM_RELOBJDIF);
  s.cutoff.granularity = model.granularity;
  s.cutoff.offset = model.granularity_offset;
  // The user's cutoff: CUTUP for minimisation, CUTLO for maximisation.
  const double cut = model.lp.objsense > 0 ? param_dbl(env, TVL_PARAM_CUTUP) : -param_dbl(env, TVL_PARAM_CUTLO);
  s.cutoff.user_cutoff = cut < kNoValueLimit ? cut : kNoValue;
  s.nodesel = param_int(env, TVL_PARAM_NODESEL);
  s.bbinterval = param_int(env, TVL_PARAM_BBINTERVAL);
  s.bttol = param_dbl(env, TVL_PARAM_BTTOL);
  s.epint = param_dbl(env, TVL_PARAM_EPINT);
  s.feastol = param_dbl(env, TVL_PARAM_EPRHS);
  s.nodefile = param_int(env, TVL_PARAM_NODEFILEIND);
  s.workmem_mb = param_dbl(env, TVL_PARAM_WORKMEM);
  s.workdir = param_str(env, TVL_PARAM_WORKDIR);
  s.heur = heur_settings(env);
  s.threads = search_threads(env);
  s.probe = param_int(env, TVL_PARAM_PROBE);
  s.probetime = param_dbl(env, TVL_PARAM_PROBETIME);
  return s;
}

int search_threads(const tvlenv *env) {
  // 0 (automatic): the machine's cores, but one thread while an
  // informational or MIP callback is installed, so that it is called
  // before every node (parallel rounds report once per round).
  int threads = param_int(env, TVL_PARAM_THREADS);
  if (threads == 0) threads = has_info_callback(env) ? 1 : thread_limit();
  return std::clamp(threads, 1, kMaxSearchThreads);
}

Search::Search(tvlenv *env, const MipModel &model, MipRecord &record, const SearchSettings &settings, NodeLog &log)
    : env_(env),
      model_(model),
      record_(record),
      s_(settings),
      log_(log),
      incumbent_(record.incumbent, settings.cutoff),
      pc_(model.n()),
      rule_(make_branch_rule(settings.branch)) {}

Search::~Search() = default;

int Search::lp_stop_status(lp::LpStatus s) const {
  const bool f = incumbent_.present();
  switch (s) {
    case lp::LpStatus::IterLimit: return f ? TVLMIP_ABORT_IT_LIM_FEAS : TVLMIP_ABORT_IT_LIM_INFEAS;
    case lp::LpStatus::TimeLimit: return f ? TVLMIP_TIME_LIM_FEAS : TVLMIP_TIME_LIM_INFEAS;
    case lp::LpStatus::DetTimeLimit: return f ? TVLMIP_DETTIME_LIM_FEAS : TVLMIP_DETTIME_LIM_INFEAS;
    default: return f ? TVLMIP_ABORT_FEAS : TVLMIP_ABORT_INFEAS;
  }
}

double Search::best_bound(const Node *current) const {
  double b = queue_->best_bound();
  if (current) b = std::min(b, current->bound);
  if (team_) b = std::min(b, team_->held_bound());
  return b;
}

double Search::open_bound() const {
  double b = std::min(queue_->best_bound(), outside_bound_);
  for (const std::unique_ptr<Node> &n : outbox_) b = std::min(b, n->bound);
  return b;
}

bool Search::open_empty() const { return queue_->empty() && outbox_.empty() && outside_bound_ >= kNoValue; }

void Search::push_open(std::unique_ptr<Node> node) {
  if (worker_) outbox_.push_back(std::move(node));
  else queue_->push(std::move(node), incumbent_.value());
}

void Search::log_record(const LogRecord &rec) {
  const NodeFile *file = queue_->node_file();
  log_.set_tree_bytes(tree_bytes(), file ? file->bytes() : 0.0, file ? file->stored_bytes() : 0.0);
  log_.record(rec);
}

void Search::emit(const LogRecord &rec) {
  if (!worker_) {
    log_.record(rec);
    return;
  }
  WorkerEvent e;
  e.rec = rec;
  events_.push_back(std::move(e));
}

int64_t Search::iterations() const { return lp_->iterations() + extra_iterations_; }

void Search::log_node(const Node &node, int status, double objective, int iinf, bool incumbent, int lp_status,
                      int cut_family, int64_t cut_count) {
  LogRecord rec;
  rec.cut_family = cut_family;
  rec.cut_count = cut_count;
  rec.work = thread_work();
  rec.objective = objective;
  rec.best_integer = incumbent_.value();
  double b = open_bound();
  if (status == 0 && !incumbent) b = std::min(b, node.bound);
  if (b >= kNoValue && incumbent_.present()) b = incumbent_.value();
  rec.best_bound = b;
  rec.node = record_.nodes - 1;
  rec.left = queue_->size() + static_cast<int64_t>(outbox_.size());
  rec.status = status;
  rec.lp_status = lp_status;
  rec.iinf = iinf;
  rec.incumbent = incumbent;
  rec.iterations = iterations();
  rec.id = node.id;
  rec.parent = node.parent;
  rec.depth = node.depth;
  rec.branch_col = node.branch_col;
  rec.dir = node.dir;
  rec.has_branch = node.dir != 'N';
  rec.solutions = incumbent_.has_sink() ? incumbent_.sink_kept() : -1;
  if (worker_) emit(rec);
  else log_record(rec);
}

namespace {

// The bounds of an integer column that an LP bound `gap` below the cutoff
// allows when the column is nonbasic (stat 0 at its lower bound, 2 at its
// upper) with reduced cost dj: moving it by k changes the LP bound by k dj
// at least.  False when nothing tightens.
bool reduced_cost_reach(double lo, double up, double dj, int stat, double gap, double &new_lo, double &new_up) {
  new_lo = lo;
  new_up = up;
  // A reach beyond kRcfixReach would only put a huge finite bound where
  // there was none (a cutoff far out, such as 1e19): no help, and a
  // numerical hazard for the node LPs.
  if (stat == 0 && dj > kRcfixMin && lo > -kInfBound) {
    new_up = lo + std::floor(gap / dj + 1e-9);
    return new_up < up && std::fabs(new_up) < kRcfixReach;
  }
  if (stat == 2 && dj < -kRcfixMin && up < kInfBound) {
    new_lo = up - std::floor(gap / -dj + 1e-9);
    return new_lo > lo && std::fabs(new_lo) < kRcfixReach;
  }
  return false;
}

}  // namespace

double Search::reduced_cost_gap(double objval) const {
  const double cutoff = incumbent_.cutoff();
  if (!s_.cutoff.cutoff_pruning || cutoff >= kNoValueLimit) return -1.0;
  return cutoff - objval + 1e-6 * std::max(1.0, std::fabs(cutoff));
}

std::vector<BoundChange> Search::reduced_cost_fixings(const Node &, const lp::LpResult &r) const {
  std::vector<BoundChange> fix;
  const double gap = reduced_cost_gap(r.objval);
  if (gap < 0.0 || r.dj.empty() || r.basis.colstat.empty()) return fix;
  for (int32_t j : model_.intcols) {
    const double lo = lp_->lower(j), up = lp_->upper(j);
    double new_lo = lo, new_up = up;
    if (lo != up && reduced_cost_reach(lo, up, r.dj[j], r.basis.colstat[j], gap, new_lo, new_up))
      fix.push_back({j, new_lo, new_up});
  }
  return fix;
}

void Search::root_reduced_cost_fixing() {
  if (!root_duals_ || incumbent_.cutoff() >= root_duals_cutoff_) return;
  root_duals_cutoff_ = incumbent_.cutoff();
  const double gap = reduced_cost_gap(root_duals_->objval);
  if (gap < 0.0) return;
  for (int32_t j : model_.intcols) {
    const double lo = lp_->root_lower(j), up = lp_->root_upper(j);
    double new_lo = lo, new_up = up;
    if (lo != up && reduced_cost_reach(lo, up, root_duals_->dj[j], root_duals_->colstat[j], gap, new_lo, new_up))
      lp_->tighten_root(j, new_lo, new_up);
  }
}

bool Search::try_incumbent(const Node &node, const lp::LpResult &r) {
  std::vector<double> x = r.x;
  for (int32_t j : model_.intcols) x[j] = std::round(x[j]);
  double viol = max_violation(model_, x);
  if (viol > kAcceptTol) {
    // Continuous columns that fit the rounded integer values.
    for (int32_t j : model_.intcols) lp_->set_bounds(j, x[j], x[j]);
    lp_->set_basis(r.basis);
    const lp::LpResult fixed = lp_->solve();
    lp_->load(node.changes);
    if (fixed.status == lp::LpStatus::Optimal) {
      x = fixed.x;
      for (int32_t j : model_.intcols) x[j] = std::round(x[j]);
      viol = max_violation(model_, x);
    }
  }
  if (viol > kAcceptTol) {
    // The warm node LP meets the rows only within its tolerance on the
    // scaled model; a fresh solve at a tighter tolerance usually makes
    // the point exact enough.
    std::vector<double> z = solve_continuous_part(model_, x, lp::simplex_control(env_));
    if (!z.empty() && max_violation(model_, z) <= kAcceptTol) {
      x = std::move(z);
      viol = 0.0;
    }
  }
  if (viol > kAcceptTol) {
    lost_solution_ = true;
    lost_value_ = std::min(lost_value_, objective_of(model_, x));
    return false;
  }
  if (!incumbent_.offer(x, objective_of(model_, x), record_.nodes - 1)) return false;
  queue_->prune([this](double b) { return incumbent_.prunes(b); });
  return true;
}

// In enumeration an integral node is branched on further while an integer
// column is free at it, so that the solutions beside this one are met too.
int32_t Search::free_integer_column() const {
  for (int32_t j : model_.intcols)
    if (lp_->lower(j) < lp_->upper(j)) return j;
  return -1;
}

bool Search::offer_found(const std::vector<double> &x, int64_t node) {
  const double v = objective_of(model_, x);
  if (!incumbent_.offer(x, v, node)) return false;
  LogRecord rec;
  rec.work = thread_work();
  rec.best_integer = v;
  rec.new_node = false;
  rec.incumbent = rec.heuristic = true;
  rec.solutions = incumbent_.has_sink() ? incumbent_.sink_kept() : -1;
  if (queue_) {
    rec.node = node;
    rec.left = queue_->size();
    rec.iterations = iterations();
    rec.best_bound = open_empty() ? -kNoValue : open_bound();
    queue_->prune([this](double b) { return incumbent_.prunes(b); });
  }
  emit(rec);
  return true;
}

void Search::run_heuristics(const Node &node, const lp::LpResult &r) {
  const int64_t number = record_.nodes - 1;
  if (!heur_->due(number, node.depth)) return;
  HeurInput in;
  in.env = env_;
  in.model = &model_;
  in.lp = &r;
  in.node_lp = lp_.get();
  in.cutoff = incumbent_.cutoff();
  in.has_incumbent = incumbent_.present();
  in.epint = s_.epint;
  in.depth = node.depth;
  in.search_iterations = lp_->iterations();
  in.search_work = thread_work() - start_work_;
  if (incumbent_.present()) in.incumbent = &incumbent_.x();
  in.pseudocosts = &pc_;
  const double bound = best_bound(&node);
  in.closes_gap = [this, bound](double z) { return gap_closed(s_.term, z, bound); };
  const Points found = heur_->run(in, number);
  if (in.lp_touched) {
    lp_->load(node.changes);
    lp_->set_basis(r.basis);
  }
  for (const std::vector<double> &x : found) {
    offer_found(x, number);
    try_one_opt(x, number);
  }
}

void Search::try_one_opt(const std::vector<double> &x, int64_t node) {
  // In enumeration the pool wants the points as found.
  if (s_.heur.heurfreq < 0 || s_.cutoff.enumerate || !s_.cutoff.cutoff_pruning) return;
  std::vector<double> y = x;
  if (one_opt(model_, y)) offer_found(y, node);
}

bool Search::dive_ok(const Node &child) const {
  if (incumbent_.prunes(child.bound)) return false;
  if (!incumbent_.present()) return true;
  const double z = incumbent_.value();
  if (gap_closed(s_.term, z, child.bound)) return false;
  if (open_empty()) return true;
  const double best = open_bound();
  return child.bound - best <= s_.bttol * (z - best);
}

std::unique_ptr<Node> Search::branch(Node &node, const lp::LpResult &r, std::vector<Candidate> &cands) {
  BranchContext ctx{model_, *lp_, r, cands, pc_, [this](double b) { return incumbent_.prunes(b); }, s_.epint,
                    node_lp_solves_ > 0 ? node_lp_iterations_ / node_lp_solves_ : 10};
  if (s_.branch.varsel == 0) {
    ctx.strong_budget = std::max<int64_t>(0, node_lp_iterations_ / 2 + kStrongAllowance - strong_iterations_);
    if (strong_work_ >= node_lp_work_ / 2 + kStrongAllowanceWork) ctx.strong_budget = 0;
  }
  // Once the incumbent closes the gap the search ends after this node:
  // its children need no strong branching.
  if (s_.branch.varsel == 0 && incumbent_.present() && gap_closed(s_.term, incumbent_.value(), best_bound(&node)))
    ctx.strong_budget = 0;
  const uint64_t w0 = thread_work();
  const BranchChoice choice = rule_->choose(ctx);
  strong_work_ += thread_work() - w0;
  strong_iterations_ += ctx.strong_iterations;
  const int iinf = static_cast<int>(cands.size());
  if (choice.index < 0) {
    log_node(node, 1, r.objval, iinf, false);
    return nullptr;
  }
  const Candidate cand = cands[static_cast<size_t>(choice.index)];
  std::vector<BoundChange> base = node.changes;
  const std::vector<BoundChange> fixings = reduced_cost_fixings(node, r);
  base.insert(base.end(), fixings.begin(), fixings.end());
  auto basis = std::make_shared<const lp::Basis>(r.basis);
  double estimate = 0.0;
  for (const Candidate &c : cands)
    if (c.col != cand.col) estimate += std::min(pc_.down(c.col) * c.frac, pc_.up(c.col) * (1.0 - c.frac));
  auto make_child = [&](char dir) -> std::unique_ptr<Node> {
    const double known = dir == 'D' ? choice.down_bound : choice.up_bound;
    if (known >= kNoValue) return nullptr;
    auto child = std::make_unique<Node>();
    child->bound = std::max(node.bound, known);
    if (incumbent_.prunes(child->bound)) return nullptr;
    child->parent_obj = r.objval;
    child->depth = node.depth + 1;
    child->iinf = iinf;
    child->id = next_id_++;
    child->parent = node.id;
    child->branch_col = cand.col;
    child->dir = dir;
    child->branch_dist = dir == 'D' ? cand.frac : 1.0 - cand.frac;
    child->estimate = estimate;
    child->changes = base;
    child->fresh = static_cast<int32_t>(node.changes.size());
    const double lo = lp_->lower(cand.col), up = lp_->upper(cand.col);
    if (dir == 'D') child->changes.push_back({cand.col, lo, std::floor(cand.value)});
    else child->changes.push_back({cand.col, std::ceil(cand.value), up});
    child->basis = basis;
    return child;
  };
  const char first = choice.first, second = first == 'U' ? 'D' : 'U';
  std::unique_ptr<Node> dive = make_child(first);
  std::unique_ptr<Node> other = make_child(second);
  if (other) push_open(std::move(other));
  if (dive && !dive_ok(*dive)) push_open(std::move(dive));
  log_node(node, 0, r.objval, iinf, false);
  return dive;
}

std::unique_ptr<Node> Search::branch_special(Node &node, const lp::LpResult &r, const SpecialBranch &sb) {
  auto basis = std::make_shared<const lp::Basis>(r.basis);
  std::unique_ptr<Node> kids[2];
  for (int c = 0; c < 2; ++c) {
    if (!sb.created[c]) continue;
    auto child = std::make_unique<Node>();
    child->bound = node.bound;
    child->parent_obj = r.objval;
    child->depth = node.depth + 1;
    child->id = next_id_++;
    child->parent = node.id;
    child->dir = 'X';
    child->changes = node.changes;
    child->fresh = static_cast<int32_t>(node.changes.size());
    child->changes.insert(child->changes.end(), sb.child[c].begin(), sb.child[c].end());
    child->basis = basis;
    kids[c] = std::move(child);
  }
  if (!kids[0] && !kids[1]) {
    log_node(node, 1, r.objval, 0, false);
    return nullptr;
  }
  std::unique_ptr<Node> dive = kids[0] ? std::move(kids[0]) : std::move(kids[1]);
  if (kids[1]) push_open(std::move(kids[1]));
  if (!dive_ok(*dive)) push_open(std::move(dive));
  log_node(node, 0, r.objval, 0, false);
  return dive;
}

std::unique_ptr<Node> Search::process(std::unique_ptr<Node> node) {
  ++record_.nodes;
  if (incumbent_.prunes(node->bound)) {
    log_node(*node, 2, kNoValue, 0, false);
    return nullptr;
  }
  root_reduced_cost_fixing();
  if (!lp_->load(node->changes)) {
    // A bound of the node lies outside what the root's reduced costs
    // allow below the cutoff.
    log_node(*node, 2, kNoValue, 0, false);
    return nullptr;
  }
  if (!propagate(*node)) {
    log_node(*node, 1, kNoValue, 0, false);
    return nullptr;
  }
  if (node->depth == 0 && !probe_root()) {
    log_node(*node, 1, kNoValue, 0, false);
    return nullptr;
  }
  if (node->basis) lp_->set_basis(*node->basis);
  const int64_t before = lp_->iterations();
  const uint64_t w0 = thread_work();
  lp::LpResult r = lp_->solve();
  ++node_lp_solves_;
  node_lp_work_ += thread_work() - w0;
  node_lp_iterations_ += lp_->iterations() - before;
  if (node->depth == 0 && log_.display() >= 1)
    msg_results(env_, "Root relaxation solution time = %7.2f sec.\n", env_time(env_) - start_);
  if (!node_lp_solved(node, r)) return nullptr;
  if (node->depth == 0) {
    root_cuts(*node, r);
    if (!node_lp_solved(node, r)) return nullptr;
  }
  if (node->branch_col >= 0 && node->parent_obj > -kNoValue)
    pc_.update(node->branch_col, node->dir == 'U', r.objval - node->parent_obj, node->branch_dist);
  if (node->depth == 0) {
    root_iinf_ = 0;
    root_bound_ = r.objval;
    if (!r.dj.empty() && r.basis.colstat.size() >= r.dj.size())
      root_duals_ = std::make_shared<const RootDuals>(RootDuals{r.objval, r.dj, r.basis.colstat});
  }
  if (cut_off(*node, r)) return nullptr;
  std::vector<Candidate> cands = fractional_columns(r);
  if (!cands.empty() && tree_cuts_ && tree_cuts_->due(node->depth, node_lp_iterations_)) {
    const double cutoff = s_.cutoff.cutoff_pruning ? incumbent_.cutoff() : kNoValue;
    if (tree_cuts_->separate(*lp_, r, cutoff, record_) > 0) {
      if (!node_lp_solved(node, r) || cut_off(*node, r)) return nullptr;
      cands = fractional_columns(r);
    }
  }
  if (node->depth == 0) root_iinf_ = static_cast<int>(cands.size());
  if (cands.empty() && model_.has_special()) {
    SpecialBranch sb;
    if (find_special_branch(model_, *lp_, r.x, s_.epint, sb)) return branch_special(*node, r, sb);
  }
  if (!cands.empty()) {
    run_heuristics(*node, r);
    // Points found now tighten the bounds before strong branching.  The
    // node's LP solution stays optimal: only nonbasic columns are fixed,
    // at the bound where they sit.
    root_reduced_cost_fixing();
  }
  if (cands.empty()) {
    const bool found = try_incumbent(*node, r);
    const int32_t j = s_.cutoff.enumerate ? free_integer_column() : -1;
    if (j < 0 || found) log_node(*node, found ? 0 : 2, r.objval, 0, found);
    if (found) try_one_opt(incumbent_.x(), record_.nodes - 1);
    if (j < 0) return nullptr;
    // Split the column's range beside its value: [lo, v] and [v + 1, up],
    // or [lo, v - 1] and [v, up] at the upper bound.
    const double v = std::round(r.x[j]);
    cands.push_back({j, v < lp_->upper(j) ? v + 0.5 : v - 0.5, 0.5});
    return branch(*node, r, cands);
  }
  return branch(*node, r, cands);
}

bool Search::cut_off(Node &node, const lp::LpResult &r) {
  node.bound = std::max(node.bound, r.objval);
  if (!incumbent_.prunes(node.bound)) return false;
  log_node(node, 2, r.objval, 0, false);
  return true;
}

bool Search::node_lp_solved(std::unique_ptr<Node> &node, const lp::LpResult &r) {
  switch (r.status) {
    case lp::LpStatus::Optimal:
      return true;
    case lp::LpStatus::Infeasible:
      log_node(*node, 1, kNoValue, 0, false);
      return false;
    case lp::LpStatus::IterLimit: case lp::LpStatus::TimeLimit:
    case lp::LpStatus::DetTimeLimit: case lp::LpStatus::Aborted:
      stop_ = lp_stop_status(r.status);
      --record_.nodes;
      push_open(std::move(node));
      return false;
    case lp::LpStatus::Unbounded: case lp::LpStatus::InfOrUnbd:
      if (node->depth == 0) {
        stop_ = TVLMIP_INForUNBD;
        return false;
      }
      [[fallthrough]];
    default:
      record_.substat = lp::status_code(r.status);
      record_.submethod = TVL_ALG_DUAL;
      stop_ = incumbent_.present() ? TVLMIP_FAIL_FEAS : TVLMIP_FAIL_INFEAS;
      --record_.nodes;
      push_open(std::move(node));
      return false;
  }
}

bool Search::propagate(Node &node) {
  std::vector<int32_t> seeds;
  if (node.depth == 0 && node.changes.empty()) {
    // The root walks every row once: a model that did not go through
    // presolve (a sub-MIP, a conflict test) gets its implied bounds here.
    for (int32_t j = 0; j < model_.lp.a.n; ++j) seeds.push_back(j);
  }
  if (seeds.empty() && static_cast<size_t>(node.fresh) >= node.changes.size()) return true;
  for (size_t k = static_cast<size_t>(node.fresh); k < node.changes.size(); ++k) seeds.push_back(node.changes[k].col);
  const bool feasible = propagator_->run(*lp_, seeds, node.changes);
  compact_changes(node.changes);
  node.fresh = static_cast<int32_t>(node.changes.size());
  return feasible;
}

void Search::compact_changes(std::vector<BoundChange> &changes) {
  // More entries than columns means some column appears twice; only its
  // last entry counts.  Keeping the list within the column count bounds a
  // deep node's memory (a walk along an unbounded integer column would
  // otherwise add an entry per level).
  const size_t n = static_cast<size_t>(model_.lp.a.n);
  if (changes.size() <= n) return;
  seen_.assign(n, 0);
  size_t keep = changes.size();
  for (size_t k = changes.size(); k-- > 0;) {
    const size_t j = static_cast<size_t>(changes[k].col);
    if (seen_[j]) continue;
    seen_[j] = 1;
    changes[--keep] = changes[k];
  }
  changes.erase(changes.begin(), changes.begin() + static_cast<std::ptrdiff_t>(keep));
}

std::vector<Candidate> Search::fractional_columns(const lp::LpResult &r) const {
  std::vector<Candidate> cands;
  for (int32_t j : model_.intcols) {
    // A value outside the node's bounds by less than the feasibility
    // tolerance counts as the bound: with an integrality tolerance below
    // the feasibility tolerance, 1 - 1e-8 under a lower bound of 1 would
    // otherwise be branched on for ever (its up branch is the node itself).
    const double v = std::clamp(r.x[j], lp_->lower(j), lp_->upper(j)), f = v - std::floor(v);
    if (f > s_.epint && f < 1.0 - s_.epint) cands.push_back({j, v, f});
  }
  return cands;
}

int Search::fractional_count(const lp::LpResult &r) const { return static_cast<int>(fractional_columns(r).size()); }

bool Search::probe_root() {
  if (s_.probe < 0 || s_.sub_mip || model_.intcols.empty()) return true;
  const int32_t n = model_.n();
  std::vector<double> lo(static_cast<size_t>(n)), up(static_cast<size_t>(n));
  for (int32_t j = 0; j < n; ++j) {
    lo[static_cast<size_t>(j)] = lp_->lower(j);
    up[static_cast<size_t>(j)] = lp_->upper(j);
  }
  // Row entries walked at most: thirty passes over the matrix (plus a
  // constant) automatically, four and sixteen times that at levels 2, 3.
  const int64_t nz = static_cast<int64_t>(model_.lp.a.index.size());
  const int64_t budget = (30 * nz + 2000000) << (s_.probe >= 2 ? 2 * (s_.probe - 1) : 0);
  const double start = env_time(env_);
  Prober prober(model_, s_.feastol);
  ProbingResult res = prober.run(lo, up, {}, budget, [&] {
    return env_time(env_) - start > s_.probetime || limit_check(env_) != 0;
  });
  if (res.infeasible) return false;
  int tightened = 0;
  for (int32_t j : res.changed) {
    // Continuous columns keep their bounds in the LP, as in presolve.
    if (!model_.integer[static_cast<size_t>(j)]) continue;
    lp_->tighten_root(j, res.lo[static_cast<size_t>(j)], res.up[static_cast<size_t>(j)]);
    ++tightened;
  }
  if (log_.display() >= 1 && res.probed > 0)
    msg_results(env_, "Probing fixed %d binaries, tightened %d bounds, found %zu implications (%.2f sec.)\n",
                res.fixed, tightened - res.fixed, res.implications.size(), env_time(env_) - start);
  implications_ = std::make_shared<const std::vector<Implication>>(std::move(res.implications));
  return true;
}

void Search::root_cuts(Node &node, lp::LpResult &r) {
  CutLoopSettings cs = cut_loop_settings(env_);
  cs.implications = implications_;
  RootCutLoop loop(model_, cs);
  const int iinf = fractional_count(r);
  if (!loop.enabled() || iinf == 0) return;
  node.bound = std::max(node.bound, r.objval);
  log_node(node, 0, r.objval, iinf, false);
  const double cutoff = s_.cutoff.cutoff_pruning ? incumbent_.cutoff() : kNoValue;
  loop.run(*lp_, r, cutoff, record_, [&](const lp::LpResult &res, int family, int64_t count) {
    node.bound = std::max(node.bound, res.objval);
    log_node(node, 0, res.objval, fractional_count(res), false, 0, family, count);
  });
}

int Search::report_progress(const SearchProgress &p, const Node *current) {
  SearchInfo info;
  info.objsense = model_.lp.objsense;
  info.feasible = p.feasible;
  info.incumbent = p.incumbent;
  info.bound = p.bound;
  info.cutoff = incumbent_.cutoff();
  info.nodes = p.nodes;
  info.nodes_left = queue_->size() + (current ? 1 : 0) + held_nodes();
  info.iterations = p.iterations;
  if (p.feasible && original_updates_ != p.updates) {
    original_x_ = to_original_ ? to_original_(incumbent_.x()) : incumbent_.x();
    original_updates_ = p.updates;
  }
  info.x = &original_x_;
  if (call_search_info(env_, info) == 0) return 0;
  return p.feasible ? TVLMIP_ABORT_FEAS : TVLMIP_ABORT_INFEAS;
}

void Search::finish(const Node *current) {
  record_.nodes_left = queue_->size() + (current ? 1 : 0) + held_nodes();
  record_.best_bound = best_bound(current);
  if (record_.best_bound >= kNoValue && incumbent_.present()) record_.best_bound = incumbent_.value();
  record_.iterations = lp_ ? iterations() : 0;
}

double Search::tree_bytes() const {
  const NodeFile *file = queue_->node_file();
  return queue_->memory_bytes() + (file ? file->bytes() : 0.0);
}

int Search::node_file_failure() const {
  return incumbent_.present() ? TVLMIP_FAIL_FEAS_NO_TREE : TVLMIP_FAIL_INFEAS_NO_TREE;
}

std::unique_ptr<HeuristicSequence> Search::make_heuristics() {
  HeurSettings hs = s_.heur;
  // Only better solutions count in RINS and local branching.
  if (s_.cutoff.enumerate || !s_.cutoff.cutoff_pruning) hs.rinsheur = -1, hs.lbheur = 0;
  return std::make_unique<HeuristicSequence>(model_, hs, [this](const MipModel &sub, int64_t nodes, double cutoff,
                                                                      SubMipAim aim) {
    SearchSettings sub_settings = s_;
    // A search for any point of a model with a flat or absent objective
    // goes by estimate: best bound ties on every node and widens the tree
    // level by level without reaching a leaf (a box around free integer
    // columns: 500 nodes found nothing where the estimate's order finds a
    // point at the first dive).
    if (aim == SubMipAim::AnyPoint && sub_settings.nodesel == kBestBound) sub_settings.nodesel = kBestEstimate;
    sub_settings.term.nodelim = nodes;
    // A sub-MIP may spend as many simplex iterations as the search has so
    // far (at least kSubMipIterations): on a large model its node limit
    // alone lets one call outlast the whole search.
    const int64_t own = aim == SubMipAim::Guided ? kGuidedIterationsPerNode * nodes : 0;
    sub_settings.term.itlim = std::min(s_.term.itlim, std::max({kSubMipIterations, iterations(), own}));
    sub_settings.cutoff.user_cutoff = cutoff;
    // The sub-MIP's own objective may differ (a guided one).
    sub_settings.cutoff.granularity = sub.granularity;
    sub_settings.cutoff.offset = sub.granularity_offset;
    return run_sub_mip(env_, sub, sub_settings);
  });
}

int Search::run() {
  lp_ = std::make_unique<NodeLp>(model_, lp::simplex_control(env_));
  queue_ = std::make_unique<NodeQueue>(s_.nodesel, s_.bbinterval, 1);
  queue_->set_pool_gaps(s_.cutoff.pool_relgap, s_.cutoff.pool_absgap);
  // The main search looks for a first point by estimate; a heuristic's
  // sub-MIP keeps the order it was given (on pk1 the estimate's order in
  // RINS led the tree to 317,000 nodes instead of 188,000).
  queue_->set_estimate_first(!s_.sub_mip);
  propagator_ = std::make_unique<NodePropagator>(model_, s_.feastol);
  if (s_.nodefile > 0)
    queue_->set_node_file(std::make_unique<NodeFile>(s_.nodefile, s_.workdir), s_.workmem_mb * 1048576.0);
  heur_ = make_heuristics();
  start_ = env_time(env_);
  start_work_ = thread_work();
  auto root = std::make_unique<Node>();
  root->id = 0;
  current_ = process(std::move(root));
  if (!s_.sub_mip) {
    // After the root, which found the implications of probing.
    CutLoopSettings cs = cut_loop_settings(env_);
    cs.implications = implications_;
    tree_cuts_ = std::make_unique<TreeCuts>(model_, cs, record_.cuts[static_cast<size_t>(kCutMir)]);
    if (!tree_cuts_->enabled()) tree_cuts_.reset();
  }
  queue_->set_root_iinf(root_iinf_);
  return search_loop();
}

int Search::resume(const TerminationSettings &term) {
  if (!lp_) return run();
  if (s_.workdir != param_str(env_, TVL_PARAM_WORKDIR)) {
    // The open nodes may already sit in a file there.
    msg_warning(env_, "Warning:  Cannot change node file directory during solution.\n");
    msg_warning(env_, "Using original directory\n");
  }
  s_.term = term;
  stop_ = 0;
  if (team_)
    for (const std::unique_ptr<Search> &w : team_->workers) w->s_.term = term;  // their dive test reads the gaps
  return search_loop();
}

int Search::pass_status() {
  if (stop_) return stop_;
  if (!current_ && !held_nodes() && queue_->empty()) {
    // Every node was processed: the bound meets the incumbent.
    if (incumbent_.present()) {
      // A dropped point better than the incumbent leaves optimality unproved.
      if (lost_value_ < incumbent_.value() - 1e-6 * std::max(1.0, std::fabs(incumbent_.value()))) {
        record_.global_bound = lost_value_;
        return TVLMIP_FAIL_FEAS;
      }
      record_.global_bound = incumbent_.value();
      return exhausted_status(s_.term, true);
    }
    return lost_solution_ ? TVLMIP_FAIL_INFEAS : exhausted_status(s_.term, false);
  }
  SearchProgress p;
  p.feasible = incumbent_.present();
  p.incumbent = incumbent_.value();
  p.bound = best_bound(current_.get());
  p.bound_cut_off = incumbent_.prunes(p.bound);
  p.updates = incumbent_.record().updates;
  p.nodes = record_.nodes;
  p.iterations = iterations();
  p.generated = incumbent_.sink_kept();
  p.tree_mb = tree_bytes() * 9.5367431640625e-7;
  int status = termination_status(env_, s_.term, p);
  if (!status && !s_.sub_mip && has_info_callback(env_)) status = report_progress(p, current_.get());
  return status;
}

// Whether a search of several threads starts its team now: once the tree
// cuts are done (or were never due), at the latest after kTreeCutNodes
// nodes.
bool Search::team_due() const {
  if (s_.threads <= 1 || s_.sub_mip || team_ || stop_ || (!current_ && queue_->empty())) return false;
  return !tree_cuts_ || tree_cuts_->finished(node_lp_iterations_) || record_.nodes >= kTreeCutNodes;
}

int Search::search_loop() {
  if (team_) return parallel_loop();
  int status = 0;
  while ((status = pass_status()) == 0) {
    if (team_due()) {
      tree_cuts_.reset();  // the team's copies of the node LP keep the rows they have now
      if (start_team()) return parallel_loop();
      s_.threads = 1;  // no child environment: the search stays on one thread
    }
    if (!current_ && !(current_ = queue_->pop())) {
      status = node_file_failure();
      break;
    }
    current_ = process(std::move(current_));
  }
  return end_search(status);
}

int Search::end_search(int status) {
  finish(current_.get());
  if (status == TVLMIP_OPTIMAL_TOL && record_.best_bound == incumbent_.value()) status = TVLMIP_OPTIMAL;
  return status;
}

std::vector<double> run_sub_mip(tvlenv *env, const MipModel &sub, SearchSettings settings) {
  settings.sub_mip = true;
  settings.heur.fpheur = -1;
  settings.heur.rinsheur = -1;
  settings.heur.lbheur = 0;
  MipRecord record;
  NodeLog log(env, sub.lp.objsense, env_time(env), false);
  log.silence();
  Search search(env, sub, record, settings, log);
  search.run();
  if (!search.incumbent().present()) return {};
  return search.incumbent().x();
}

}  // namespace tvl::mip
