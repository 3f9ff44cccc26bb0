// The parallel rounds of the branch-and-bound search (mip/mipbb.h) and
// their team of workers (mip/search_team.h).
#include "mip/search_team.h"

#include <algorithm>

#include "frame/env.h"
#include "lp/lpcomp.h"
#include "runtime/workcount.h"

namespace tvl::mip {

Search::Team::~Team() {
  pool.reset();
  workers.clear();
  for (tvlenv *&e : envs)
    if (e) TVLfreeparenv(parent, &e);
}

double Search::Team::held_bound() const {
  double b = kNoValue;
  for (const std::unique_ptr<Search> &w : workers)
    if (w->current_) b = std::min(b, w->current_->bound);
  return b;
}

void Search::Team::run_worker(int k) {
  const size_t i = static_cast<size_t>(k);
  if (!active[i]) return;
  Search &w = *workers[i];
  const uint64_t before = thread_work();
  try {
    w.current_ = w.process(std::move(w.current_));
  } catch (...) {
    failures[i] = std::current_exception();
  }
  w.round_work_ = thread_work() - before;
}

int64_t Search::held_nodes() const {
  if (!team_) return 0;
  int64_t n = 0;
  for (const std::unique_ptr<Search> &w : team_->workers) n += w->current_ ? 1 : 0;
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
  return true;
}

bool Search::assign_nodes(std::vector<int> &active) {
  active.clear();
  int64_t budget = s_.term.nodelim - record_.nodes;
  for (size_t k = 0; k < team_->workers.size(); ++k) {
    Search &w = *team_->workers[k];
    team_->active[k] = 0;
    if (budget <= 0) continue;
    if (!w.current_ && !queue_->empty() && !(w.current_ = queue_->pop())) return false;
    if (!w.current_) continue;
    team_->active[k] = 1;
    active.push_back(static_cast<int>(k));
    --budget;
  }
  return true;
}

void Search::sync_worker(Search &w, int ordinal) {
  w.incumbent_.adopt(incumbent_);
  w.pc_ = pc_;
  w.pc_.set_journal(&w.journal_);
  w.journal_.clear();
  w.events_.clear();
  w.record_.nodes = record_.nodes + ordinal;
  w.round_base_ = w.record_.nodes;
  // A node makes at most two children.
  w.next_id_ = next_id_ + 2 * ordinal;
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
  const NodeFile *file = queue_->node_file();
  log_.set_tree_bytes(tree_bytes(), file ? file->bytes() : 0.0, file ? file->stored_bytes() : 0.0);
  log_.record(rec);
}

void Search::merge_worker(Search &w, bool own_thread) {
  // The work of a helper thread joins the coordinator's counter here, in
  // worker order, so that the log's pacing and deterministic limits see
  // the same totals on every run.
  if (own_thread) work_add(w.round_work_);
  record_.nodes += w.record_.nodes - w.round_base_;
  extra_iterations_ += w.lp_->iterations() - w.merged_iterations_;
  w.merged_iterations_ = w.lp_->iterations();
  for (std::unique_ptr<Node> &n : w.outbox_)
    if (!incumbent_.prunes(n->bound)) queue_->push(std::move(n), incumbent_.value());
  w.outbox_.clear();
  bool kept = false;
  for (WorkerEvent &e : w.events_) {
    if (!e.offer) {
      merge_record(std::move(e.rec), kept);
      continue;
    }
    kept = incumbent_.offer(e.x, e.value, e.node);
    if (kept) queue_->prune([this](double b) { return incumbent_.prunes(b); });
  }
  w.events_.clear();
  for (const PcObservation &o : w.journal_) pc_.update(o.col, o.up, o.gain, o.dist);
  w.journal_.clear();
  if (w.stop_ && !stop_) stop_ = w.stop_;
  if (w.lost_solution_) lost_solution_ = true;
  if (w.record_.substat) {
    record_.substat = w.record_.substat;
    record_.submethod = w.record_.submethod;
  }
}

void Search::return_held_nodes() {
  for (const std::unique_ptr<Search> &w : team_->workers)
    if (w->current_) queue_->push(std::move(w->current_), incumbent_.value());
}

int Search::parallel_loop() {
  int status = 0;
  std::vector<int> active;
  while ((status = pass_status()) == 0) {
    if (!assign_nodes(active)) {
      status = node_file_failure();
      break;
    }
    for (size_t k = 0; k < active.size(); ++k) sync_worker(*team_->workers[static_cast<size_t>(active[k])], static_cast<int>(k));
    next_id_ += 2 * static_cast<int64_t>(active.size());
    team_->pool->run_round();
    for (int k : active)
      if (team_->failures[static_cast<size_t>(k)]) std::rethrow_exception(team_->failures[static_cast<size_t>(k)]);
    for (int k : active) merge_worker(*team_->workers[static_cast<size_t>(k)], k > 0);
  }
  return_held_nodes();
  return end_search(status);
}

}  // namespace tvl::mip
