// The order and frequency of the primal heuristics in the search.
//
// Root (after the root LP): simple rounding, then fractional and
// coefficient diving; then, when still no incumbent exists or
// TVL_PARAM_FPHEUR asks for it, the feasibility pump (feaspump.h).
// Other nodes: simple rounding at every node, and one dive (fractional,
// coefficient, pseudo-cost and, once there is an incumbent, guided in
// turn) at every TVL_PARAM_HEURFREQ-th node; with the
// automatic setting 0 every 10th node while the dive's depth is small
// against the tree (every 20th below depth 20).  TVL_PARAM_HEURFREQ -1
// switches rounding and diving off; the pump follows TVL_PARAM_FPHEUR
// alone.
//
// Box search (box_search.h) runs at the root when the root ends without an
// incumbent and some integer column lacks a bound (not with
// TVL_PARAM_HEURFREQ -1), with four times RINS's node limit.
//
// RINS (rins.h) runs when an incumbent exists: with TVL_PARAM_RINSHEUR 0
// (automatic) at the root and then every 200th node once the incumbent
// has changed since its last run; N > 0 every N-th node; -1 never.
//
// Local branching (local_branching.h) runs only with TVL_PARAM_LBHEUR 1,
// on RINS's automatic schedule: at the root and then every 200th node once
// the incumbent has changed since its last run.
//
// 1-opt (one_opt.h) is applied by the search to every point it accepts,
// unless TVL_PARAM_HEURFREQ is -1 or the search enumerates solutions.
//
// Dives spend LP iterations of their own: at the root up to twice the
// root LP's iterations plus 2000; in the tree the heuristics together stay
// below a tenth of the search's iterations plus 1000 per dive.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "mip/heuristics/box_search.h"
#include "mip/heuristics/diving.h"
#include "mip/heuristics/heuristic.h"
#include "mip/heuristics/local_branching.h"
#include "mip/heuristics/locks.h"
#include "mip/heuristics/rins.h"
#include "mip/heuristics/simple_rounding.h"

namespace tvl::mip {

struct HeurSettings {
  int heurfreq = 0;   // TVL_PARAM_HEURFREQ
  int fpheur = 0;     // TVL_PARAM_FPHEUR
  int rinsheur = 0;   // TVL_PARAM_RINSHEUR
  int lbheur = 0;     // TVL_PARAM_LBHEUR
  int64_t submip_nodes = 500;  // TVL_PARAM_SUBMIPNODELIM
};

HeurSettings heur_settings(const tvlenv *env);

class HeuristicSequence {
 public:
  // `sub_mip` searches a restricted copy of the model (for RINS and the
  // box search).
  HeuristicSequence(const MipModel &model, const HeurSettings &s, SubMipSearch sub_mip);
  ~HeuristicSequence();
  // Whether anything runs at the node-th node processed (0: the root).
  bool due(int64_t node, int depth) const;
  // Runs the heuristics due at this node; the points found.
  Points run(HeurInput &in, int64_t node);
  int64_t lp_iterations() const;
  uint64_t dive_work() const;

 private:
  bool dive_due(int64_t node, int depth) const;
  // The dive rules, in the order they take turns.
  std::array<const Diving *, 4> dives() const;
  // RINS's automatic schedule: at the root, then every 200th node once
  // the cutoff has improved on `last_run`, its value at the last run.
  static bool after_improvement(int64_t node, const HeurInput &in, double last_run);
  bool rins_due(int64_t node, const HeurInput &in) const;
  bool local_branching_due(int64_t node, const HeurInput &in) const;
  // Whether the best point known (the incumbent or one found now) ends the search.
  bool search_ends(const HeurInput &in, const Points &found) const;
  void simple_and_dives(HeurInput &in, int64_t node, Points &found);
  void dive(Diving &d, HeurInput &in, int64_t budget, int64_t work, Points &found);

  HeurSettings s_;
  Locks locks_;
  SimpleRounding rounding_;
  Diving frac_, coef_, pscost_, guided_;
  Rins rins_;
  LocalBranching local_;
  BoxSearch box_;
  bool box_wanted_;
  int64_t dives_ = 0;
  int64_t last_success_ = 0;  // dives_ after the last dive that found a point
  double rins_incumbent_ = 1e75;  // incumbent value at the last RINS run
  double local_incumbent_ = 1e75;  // ... and at the last local branching run
};

}  // namespace tvl::mip
