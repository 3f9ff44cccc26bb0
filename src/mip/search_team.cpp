// The parallel rounds of the branch-and-bound search (mip/mipbb.h) and
// their team of workers (mip/search_team.h).
#include "mip/search_team.h"

#include <algorithm>

#include "frame/env.h"
#include "lp/lpcomp.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

// Nodes one worker may process in a round (and so the node numbers it may
// hand out to children: two per node).
constexpr int64_t kRoundNodes = 64;
// A worker's round ends once its work passes this many times the average
// work of a tree node.
constexpr uint64_t kRoundNodeWork = 20;
// Nodes dealt to each worker for a round, its dive child counting as one:
// enough that a worker whose dives end early (most nodes of many models
// are pruned at once) rarely runs out before its work budget.
constexpr size_t kDealt = 8;

}  // namespace

Search::Team::~Team() {
  pool.reset();
  workers.clear();
  for (tvlenv *&e : envs)
    if (e) TVLfreeparenv(parent, &e);
}

double Search::Team::held_bound() const {
  double b = kNoValue;
  for (const std::unique_ptr<Search> &w : workers) {
    if (w->current_) b = std::min(b, w->current_->bound);
    for (const std::unique_ptr<Node> &n : w->batch_) b = std::min(b, n->bound);
  }
  return b;
}

void Search::Team::run_worker(int k) {
  const size_t i = static_cast<size_t>(k);
  if (!active[i]) return;
  Search &w = *workers[i];
  const uint64_t before = thread_work();
  try {
    w.work_round();
  } catch (...) {
    failures[i] = std::current_exception();
  }
  w.round_work_ = thread_work() - before;
}

void Search::work_round() {
  const uint64_t start = thread_work();
  size_t next = 0;
  while (!stop_) {
    if (!current_) {
      if (next == batch_.size()) break;
      current_ = std::move(batch_[next++]);
    }
    current_ = process(std::move(current_));
    if (record_.nodes - round_base_ >= round_cap_ || thread_work() - start >= round_budget_) break;
  }
  batch_.erase(batch_.begin(), batch_.begin() + static_cast<std::ptrdiff_t>(next));
}

int64_t Search::held_nodes() const {
  if (!team_) return 0;
  int64_t n = 0;
  for (const std::unique_ptr<Search> &w : team_->workers)
    n += (w->current_ ? 1 : 0) + static_cast<int64_t>(w->batch_.size());
  return n;
}

bool Search::start_team() {
  auto team = std::make_unique<Team>(env_);
  const int threads = s_.threads;
  for (int k = 0; k < threads; ++k) {
    tvlenv *wenv = env_;
    if (k > 0) {
      // Worker threads check limits and termination through a child
      // environment (it sees the parent's deadline and requests).
      int st = 0;
      wenv = TVLparenv(env_, &st);
      if (!wenv) return false;
    }
    team->envs.push_back(k > 0 ? wenv : nullptr);
    team->records.push_back(std::make_unique<MipRecord>());
    auto w = std::make_unique<Search>(wenv, model_, *team->records.back(), s_, log_);
    Search *self = w.get();
    w->worker_ = true;
    w->lp_ = lp_->replica(lp::simplex_control(wenv));
    w->queue_ = std::make_unique<NodeQueue>(s_.nodesel, s_.bbinterval, root_iinf_);
    w->propagator_ = std::make_unique<NodePropagator>(model_, s_.feastol);
    w->heur_ = w->make_heuristics();
    w->start_ = start_;
    // A helper thread's work counter starts at zero with the thread.
    w->start_work_ = k == 0 ? start_work_ : 0;
    w->node_lp_solves_ = node_lp_solves_;
    w->node_lp_iterations_ = node_lp_iterations_;
    w->strong_iterations_ = strong_iterations_;
    w->node_lp_work_ = node_lp_work_;
    w->strong_work_ = strong_work_;
    w->root_duals_ = root_duals_;
    w->root_iinf_ = root_iinf_;
    w->root_bound_ = root_bound_;
    w->incumbent_.set_sink([self](const std::vector<double> &x, double v) {
      WorkerEvent e;
      e.offer = true;
      e.x = x;
      e.value = v;
      e.node = self->record_.nodes - 1;
      self->events_.push_back(std::move(e));
      return false;
    });
    team->workers.push_back(std::move(w));
  }
  team->active.assign(static_cast<size_t>(threads), 0);
  team->failures.assign(static_cast<size_t>(threads), nullptr);
  Team *t = team.get();
  team->pool = std::make_unique<RoundPool>(threads - 1, [t](int k) { t->run_worker(k); });
  // The first worker goes on with the root's dive.
  team->workers[0]->current_ = std::move(current_);
  team_ = std::move(team);
  tree_work_ = thread_work();
  tree_nodes_ = record_.nodes;
  return true;
}

bool Search::assign_nodes(std::vector<int> &active) {
  active.clear();
  const int64_t remaining = s_.term.nodelim - record_.nodes;
  // Every worker gets kDealt nodes to start from, its dive child counting
  // as one: the queue's best nodes are dealt in turns, first to the
  // workers that have none.
  for (size_t pass = 0; pass < kDealt; ++pass) {
    for (const std::unique_ptr<Search> &w : team_->workers) {
      const size_t have = (w->current_ ? 1 : 0) + w->batch_.size();
      if (have > pass || queue_->empty()) continue;
      std::unique_ptr<Node> n = queue_->pop();
      if (!n) return false;
      w->batch_.push_back(std::move(n));
    }
  }
  for (size_t k = 0; k < team_->workers.size(); ++k) {
    const Search &w = *team_->workers[k];
    team_->active[k] = (w.current_ || !w.batch_.empty()) && static_cast<int64_t>(active.size()) < remaining;
    if (team_->active[k]) active.push_back(static_cast<int>(k));
  }
  return true;
}

void Search::sync_worker(Search &w, int ordinal, int active) {
  w.incumbent_.adopt(incumbent_);
  w.pc_ = pc_;
  w.pc_.set_journal(&w.journal_);
  w.journal_.clear();
  w.events_.clear();
  // Every worker numbers its nodes from the shared count; the merge
  // renumbers them in worker order.
  w.record_.nodes = record_.nodes;
  w.round_base_ = record_.nodes;
  w.round_cap_ = std::clamp<int64_t>((s_.term.nodelim - record_.nodes) / active, 1, kRoundNodes);
  const int64_t tree_nodes = record_.nodes - tree_nodes_;
  w.round_budget_ = tree_nodes > 0 ? kRoundNodeWork * (thread_work() - tree_work_) / static_cast<uint64_t>(tree_nodes) : 0;
  // A node makes at most two children.
  w.next_id_ = next_id_ + 2 * kRoundNodes * ordinal;
  w.outside_bound_ = queue_->best_bound();
  w.stop_ = 0;
}

void Search::merge_record(LogRecord rec, bool offer_kept) {
  if (rec.incumbent && !offer_kept) {
    // Another worker's solution, merged first, was at least as good.
    if (rec.heuristic) return;
    rec.incumbent = false;
    rec.status = 2;
  }
  rec.work = thread_work();
  rec.best_integer = incumbent_.value();
  double b = std::min({rec.best_bound, queue_->best_bound(), team_->held_bound()});
  if (b >= kNoValue && incumbent_.present()) b = incumbent_.value();
  rec.best_bound = b;
  rec.left = queue_->size() + held_nodes();
  rec.iterations = iterations();
  rec.solutions = incumbent_.has_sink() ? incumbent_.sink_kept() : -1;
  log_record(rec);
}

void Search::merge_worker(Search &w, bool own_thread) {
  const int64_t base = record_.nodes;
  // The work of a helper thread joins the coordinator's counter here, in
  // worker order, so that the log's pacing and deterministic limits see
  // the same totals on every run.
  if (own_thread) work_add(w.round_work_);
  record_.nodes += w.record_.nodes - w.round_base_;
  extra_iterations_ += w.lp_->iterations() - w.merged_iterations_;
  w.merged_iterations_ = w.lp_->iterations();
  for (std::vector<std::unique_ptr<Node>> *nodes : {&w.outbox_, &w.batch_}) {
    for (std::unique_ptr<Node> &n : *nodes)
      if (!incumbent_.prunes(n->bound)) queue_->push(std::move(n), incumbent_.value());
    nodes->clear();
  }
  bool kept = false;
  for (WorkerEvent &e : w.events_) {
    if (!e.offer) {
      e.rec.node += base - w.round_base_;
      merge_record(std::move(e.rec), kept);
      continue;
    }
    // Populate ends once its limit is reached: the search would have
    // stopped there, so what the round found beyond it is dropped.
    if (s_.term.pool_mode != 0 && incumbent_.sink_kept() >= s_.term.populate_limit) {
      kept = false;
      continue;
    }
    kept = incumbent_.offer(e.x, e.value, e.node + base - w.round_base_);
    if (kept) queue_->prune([this](double b) { return incumbent_.prunes(b); });
  }
  w.events_.clear();
  for (const PcObservation &o : w.journal_) pc_.update(o.col, o.up, o.gain, o.dist);
  w.journal_.clear();
  if (w.stop_ && !stop_) stop_ = w.stop_;
  if (w.lost_solution_) lost_solution_ = true;
  lost_value_ = std::min(lost_value_, w.lost_value_);
  if (w.record_.substat) {
    record_.substat = w.record_.substat;
    record_.submethod = w.record_.submethod;
  }
}

void Search::return_held_nodes() {
  for (const std::unique_ptr<Search> &w : team_->workers) {
    if (w->current_) queue_->push(std::move(w->current_), incumbent_.value());
    for (std::unique_ptr<Node> &n : w->batch_) queue_->push(std::move(n), incumbent_.value());
    w->batch_.clear();
  }
}

int Search::parallel_loop() {
  int status = 0;
  std::vector<int> active;
  while ((status = pass_status()) == 0) {
    if (!assign_nodes(active)) {
      status = node_file_failure();
      break;
    }
    const int n = static_cast<int>(active.size());
    for (int k = 0; k < n; ++k) sync_worker(*team_->workers[static_cast<size_t>(active[static_cast<size_t>(k)])], k, n);
    next_id_ += 2 * kRoundNodes * n;
    team_->pool->run_round();
    for (int k : active)
      if (team_->failures[static_cast<size_t>(k)]) std::rethrow_exception(team_->failures[static_cast<size_t>(k)]);
    for (int k : active) merge_worker(*team_->workers[static_cast<size_t>(k)], k > 0);
  }
  return_held_nodes();
  return end_search(status);
}

}  // namespace tvl::mip
