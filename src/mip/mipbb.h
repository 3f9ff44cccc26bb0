// The branch-and-bound search (one thread).
//
// The root LP is solved first; then each pass makes the termination test,
// takes a node (the child chosen by the last branching while the dive
// test lets it, otherwise the next node of the queue), solves its LP from
// the parent's basis, prunes it when infeasible or cut off, offers an
// integral solution as incumbent, or branches on a column chosen by the
// branching rule.  At a node whose LP solution is not integral, integer
// columns whose reduced cost shows that moving them off their bound would
// exceed the cutoff are fixed in both children.
//
// An integral LP solution is offered with its integer columns rounded; if
// the rounded point violates a row by more than 1e-9 (relative to the
// row's size), the LP is solved again with the integer columns fixed at
// the rounded values and that solution is offered instead, so that every
// incumbent satisfies the model to the feasibility tolerance; when it
// still does not, the continuous columns are solved once more on a fresh
// LP at a tolerance of 1e-9.  A point that fails even then is dropped with
// its node, and a search that dropped one better than its final incumbent
// does not claim optimality (status 109, error with a solution).
//
// An integral LP solution that violates a special ordered set, a
// semi-continuous column or an indicator constraint is branched on that
// structure (mip/structures/structures.h) instead of being offered.
//
// Before the root LP, probing on the binaries (mip/probing.h) fixes and
// tightens root bounds; the implications it finds feed the implied bound
// cuts.  At the root the cut loop (mip/cuts/cut_loop.h) adds cuts as rows of
// the node LP before the first branching; they stay in every node LP.
//
// At a node whose LP solution is fractional the primal heuristics due
// there run (mip/heuristics/heur_sequence.h); what they find is offered as
// incumbent and logged with the heuristic mark.
//
// Before each node the search reports its progress to the informational
// callback, when one is installed (mip/info_callback.h).
//
// With TVL_PARAM_THREADS at 2 or more the tree below the root is searched
// by that many workers in lockstep rounds (mip/search_team.h), once the
// cuts of the tree (mip/cuts/tree_cuts.h) are done: their rows must be the
// same in every worker's copy of the node LP, so the search goes on with
// one thread while they are separated, at most kTreeCutNodes nodes (rout's
// are done after 10 nodes, mod011's after 63).  Each round
// deals every worker eight nodes (its own dive child and the best nodes of
// the shared queue, in turns) and all work at once, each on its own copy
// of the node LP and of the state it reads (incumbent, pseudo costs); a
// worker dives from its nodes in turn until its work in the round reaches
// twenty times the average work of a tree node so far (work counts, not
// time, so that the rounds end the same way on every run) or 64 nodes.
// Nodes it did not reach go back to the queue.  Their results (new nodes, solutions, pseudo-cost observations,
// node-log records) are then merged in worker order.  Nothing depends on
// which thread finished first, so the search is deterministic for a given
// thread count: the same nodes, log and answer on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mip/branching.h"
#include "mip/cuts/tree_cuts.h"
#include "mip/heuristics/heur_sequence.h"
#include "mip/incumbent.h"
#include "mip/mip_model.h"
#include "mip/mip_state.h"
#include "mip/mipnodelog.h"
#include "mip/node_queue.h"
#include "mip/probing.h"
#include "mip/propagation.h"
#include "mip/structures/structures.h"
#include "mip/termination.h"

namespace tvl::mip {

// Nodes a search of several threads may take with one thread while the
// cuts of the tree are separated (mip/cuts/tree_cuts.h).
inline constexpr int64_t kTreeCutNodes = 1000;

struct SearchSettings {
  TerminationSettings term;
  BranchSettings branch;
  CutoffSettings cutoff;
  int nodesel = 1;
  int bbinterval = 7;
  double bttol = 0.9999;
  double epint = 1e-5;
  double feastol = 1e-6;
  int nodefile = 1;            // where open nodes beyond the memory budget go (mip/node_file.h)
  double workmem_mb = 128.0;   // memory budget of the open nodes
  std::string workdir = ".";   // directory of a node file on disk
  HeurSettings heur;
  bool sub_mip = false;  // a search inside a heuristic: no information callback
  // Search workers: TVL_PARAM_THREADS when 1 or more (at most 16); the
  // automatic setting 0 takes the machine's cores, or one thread while an
  // informational callback is installed (search_threads).
  int threads = 1;
  int probe = 0;               // TVL_PARAM_PROBE: -1 off, 0 automatic, 1 to 3 more work
  double probetime = 1e75;     // TVL_PARAM_PROBETIME: seconds of root probing at most
};

SearchSettings search_settings(const tvlenv *env, const MipModel &model);

// Threads of the search under TVL_PARAM_THREADS (SearchSettings::threads).
int search_threads(const tvlenv *env);

class Search {
 public:
  Search(tvlenv *env, const MipModel &model, MipRecord &record, const SearchSettings &settings, NodeLog &log);
  ~Search();
  Search(const Search &) = delete;
  Search &operator=(const Search &) = delete;
  // Runs the search to its end; returns the MIP status.
  int run();
  // Continues a search that ended by a limit or stop from the open nodes
  // it left, under new termination settings (the polishing phase).
  int resume(const TerminationSettings &term);
  const Incumbent &incumbent() const { return incumbent_; }
  // Every integer-feasible solution found goes to `sink` too.
  void set_solution_sink(SolutionSink sink) { incumbent_.set_sink(std::move(sink)); }
  // A solution found outside the tree (a MIP start), offered before run():
  // true when it became the incumbent, which the node log marks.
  bool offer_start(const std::vector<double> &x) { return offer_found(x, 0); }
  const MipRecord &record() const { return record_; }
  double root_bound() const { return root_bound_; }
  // How a point of the searched model maps to the caller's columns (the
  // incumbent handed to the informational callback); identity when unset.
  void set_to_original(std::function<std::vector<double>(const std::vector<double> &)> f) {
    to_original_ = std::move(f);
  }

 private:
  struct Team;
  // What a worker of a parallel search hands back, in the order it
  // happened: a solution offered to its incumbent, or a node-log record.
  struct WorkerEvent {
    bool offer = false;
    std::vector<double> x;  // offer: the point, its objective and node
    double value = 0.0;
    int64_t node = 0;
    LogRecord rec;          // otherwise
  };
  // Processes a node; returns the child to dive into (or nullptr).
  std::unique_ptr<Node> process(std::unique_ptr<Node> node);
  // Propagates the node's new bounds through the rows (false: infeasible);
  // at the root, every row.
  bool propagate(Node &node);
  // True when the node LP ended optimal; otherwise settles the node (pruned
  // when infeasible, back to the queue when a limit or failure stops the
  // search) and returns false.
  bool node_lp_solved(std::unique_ptr<Node> &node, const lp::LpResult &r);
  // Raises the node's bound to its LP objective; true (the node logged as
  // pruned) when the incumbent cuts it off.
  bool cut_off(Node &node, const lp::LpResult &r);
  // Keeps only the last entry per column once the list outgrows the
  // column count.
  void compact_changes(std::vector<BoundChange> &changes);
  std::unique_ptr<Node> branch(Node &node, const lp::LpResult &r, std::vector<Candidate> &cands);
  // Branches on a violated SOS, semi-continuous column or indicator.
  std::unique_ptr<Node> branch_special(Node &node, const lp::LpResult &r, const SpecialBranch &sb);
  // The LP bound may rise by this much before reaching the cutoff;
  // negative when there is no cutoff to fix against.
  double reduced_cost_gap(double objval) const;
  std::vector<BoundChange> reduced_cost_fixings(const Node &node, const lp::LpResult &r) const;
  // Once the cutoff has improved since the last call, tightens the root
  // bounds of every column the root LP's reduced costs allow: every node
  // loaded afterwards starts from them.
  void root_reduced_cost_fixing();
  bool try_incumbent(const Node &node, const lp::LpResult &r);
  // Offers a solution found outside the node LPs (a MIP start, a
  // heuristic) at node number `node`; logged with the heuristic mark.
  bool offer_found(const std::vector<double> &x, int64_t node);
  // Offers the 1-opt neighbour of a point just offered when it is better
  // (heuristics/one_opt.h), unless heuristics are off or the search
  // enumerates.
  void try_one_opt(const std::vector<double> &x, int64_t node);
  // Runs the primal heuristics due at this node (heuristics/heur_sequence.h).
  void run_heuristics(const Node &node, const lp::LpResult &r);
  int32_t free_integer_column() const;
  bool dive_ok(const Node &child) const;
  void log_node(const Node &node, int status, double objective, int iinf, bool incumbent, int lp_status = 0,
                int cut_family = -2, int64_t cut_count = 0);
  // The root cut loop (mip/cuts/cut_loop.h) on the optimal root LP `r`,
  // with a node line for the root LP and for every round.
  void root_cuts(Node &node, lp::LpResult &r);
  // Probing on the binaries before the root LP (mip/probing.h): fixes and
  // tightens root bounds and keeps the implications for the cut loop.
  // False when it proves the MIP infeasible.
  bool probe_root();
  // Integer columns whose LP value is off an integer by more than EPINT.
  std::vector<Candidate> fractional_columns(const lp::LpResult &r) const;
  int fractional_count(const lp::LpResult &r) const;
  double best_bound(const Node *current) const;
  int lp_stop_status(lp::LpStatus s) const;
  void finish(const Node *current);
  int search_loop();
  // The checks made before each node (stop request, exhausted tree,
  // termination test, information callback); 0 to go on.
  int pass_status();
  int end_search(int status);
  // Parallel search (mip/search_team.cpp).
  bool start_team();
  bool team_due() const;
  int parallel_loop();
  // Hands out this round's nodes; false when the node file failed.
  bool assign_nodes(std::vector<int> &active);
  void sync_worker(Search &w, int ordinal, int active);
  // A worker's round: its nodes until its work budget or node cap.
  void work_round();
  void merge_worker(Search &w, bool own_thread);
  void merge_record(LogRecord rec, bool offer_kept);
  void return_held_nodes();
  // Nodes held by the workers between rounds (dive children, nodes dealt
  // to them but not processed).
  int64_t held_nodes() const;
  // A new open node: into the queue, or for a worker into its outbox.
  void push_open(std::unique_ptr<Node> node);
  // Best bound and emptiness of the open nodes this search sees.
  double open_bound() const;
  bool open_empty() const;
  // A node-log record: to the log, or for a worker into its events.
  void emit(const LogRecord &rec);
  // A node record of the coordinator to the log, with the tree's size.
  void log_record(const LogRecord &rec);
  int64_t iterations() const;
  std::unique_ptr<HeuristicSequence> make_heuristics();
  // Hands the search's progress to the informational callback; the abort
  // status when it asks to stop, else 0.
  int report_progress(const SearchProgress &p, const Node *current);
  // Bytes of the open nodes in memory and in the node file.
  double tree_bytes() const;
  // Status that ends the search when the node file fails.
  int node_file_failure() const;
  std::function<std::vector<double>(const std::vector<double> &)> to_original_;
  std::vector<double> original_x_;  // the incumbent in the caller's columns
  std::vector<char> seen_;          // compact_changes' column marks
  int64_t original_updates_ = -1;   // incumbent updates original_x_ reflects

  tvlenv *env_;
  const MipModel &model_;
  MipRecord &record_;
  SearchSettings s_;
  NodeLog &log_;
  Incumbent incumbent_;
  Pseudocosts pc_;
  std::unique_ptr<BranchRule> rule_;
  std::unique_ptr<NodeLp> lp_;
  std::unique_ptr<NodePropagator> propagator_;
  std::unique_ptr<NodeQueue> queue_;
  std::unique_ptr<HeuristicSequence> heur_;
  std::unique_ptr<TreeCuts> tree_cuts_;  // separation at tree nodes (before the team starts)
  std::unique_ptr<Node> current_;  // the node to process next, outside the queue
  int64_t next_id_ = 1;
  int64_t node_lp_solves_ = 0, node_lp_iterations_ = 0;
  uint64_t start_work_ = 0;  // thread_work() when the search began
  int64_t strong_iterations_ = 0;  // spent in strong branching so far
  uint64_t strong_work_ = 0, node_lp_work_ = 0;  // work units of both (thread_work differences)
  int root_iinf_ = 0;
  std::shared_ptr<const std::vector<Implication>> implications_;  // from root probing
  int stop_ = 0;   // status a node LP stop asked for
  bool lost_solution_ = false;  // an integral LP solution failed the acceptance check
  double lost_value_ = kNoValue;  // the best objective of such a solution
  double start_ = 0.0, root_bound_ = -kNoValue;
  // The root LP's final objective, reduced costs and column statuses (with
  // its cuts), for reduced-cost fixing of the root bounds.
  struct RootDuals {
    double objval;
    std::vector<double> dj;
    std::vector<int8_t> colstat;
  };
  std::shared_ptr<const RootDuals> root_duals_;
  double root_duals_cutoff_ = kNoValue;  // cutoff at the last root fixing

  // Parallel search: the team of the coordinating search, and a worker's
  // round state.
  std::unique_ptr<Team> team_;
  bool worker_ = false;
  std::vector<std::unique_ptr<Node>> outbox_;  // a worker's new open nodes
  double outside_bound_ = kNoValue;            // the shared queue's bound
  std::vector<WorkerEvent> events_;
  std::vector<PcObservation> journal_;         // pseudo-cost observations
  std::vector<std::unique_ptr<Node>> batch_;   // a worker's nodes of the round
  int64_t round_base_ = 0;                     // node number of the round
  int64_t round_cap_ = 1;                      // nodes a worker may process in it
  uint64_t round_budget_ = 0;                  // work after which it stops
  uint64_t round_work_ = 0;                    // work of the last round
  uint64_t tree_work_ = 0;                     // coordinator: work when the team started
  int64_t tree_nodes_ = 0;                     // and nodes then
  int64_t merged_iterations_ = 0;              // a worker's, merged so far
  int64_t extra_iterations_ = 0;               // the workers' iterations
};

// A quiet search of `sub` (a variant of a model: fixed columns, another
// objective) under `settings`, without node log, information callback,
// feasibility pump or RINS: its incumbent, or nothing.  Serves MIP starts
// and heuristics that solve a sub-MIP.
std::vector<double> run_sub_mip(tvlenv *env, const MipModel &sub, SearchSettings settings);

}  // namespace tvl::mip
