// Solution polishing: a phase after the regular search that spends more
// time on improving the incumbent.
//
// It runs when a polishing time is set (TVL_PARAM_POLISHTIME > 0) or a
// polish-after condition is in force (a polish-after gap, node count,
// solution count or time), and the search ended with a status that leaves
// room for a better solution (a limit, a stop, a gap within tolerance, an
// error).  A polish-after condition ends the regular search early: the
// gap, node and solution conditions through the termination test, the
// time condition by lowering the search's time limit to it.
//
// What the phase does is this system's choice: the search continues from
// the open nodes where it stopped, with the node and solution limits
// lifted and both gaps 0, for the polishing time (TVL_PARAM_POLISHTIME,
// or, under a polish-after condition, what remains of TVL_PARAM_TILIM).
// There are no polishing-specific heuristics yet, so polishing is more
// search, which still improves the incumbent and the bound.  The status
// of the run stays the one that ended the regular search unless the
// polishing phase proves optimality or is stopped by the user.
#pragma once

#include "frame/env.h"

namespace tvl::mip {

class Search;

struct PolishPlan {
  double polish_time = 0.0;      // TVL_PARAM_POLISHTIME
  double after_time = 1e75;      // TVL_PARAM_POLISHAFTERTIME as the user set it
  double time_limit = 1e75;      // TVL_PARAM_TILIM
  bool after_in_force = false;   // a polish-after condition is in force
  bool requested() const { return polish_time > 0.0 || after_in_force; }
};

// Reads the plan; call it before the run overrides the polish-after time.
PolishPlan polish_plan(const tvlenv *env);

// Lowers TVL_PARAM_TILIM for the regular search to the polish-after time
// while it lives, so that the search's run clock stops there.
class SearchTimeLimit {
 public:
  SearchTimeLimit(tvlenv *env, const PolishPlan &plan);
  ~SearchTimeLimit();
  SearchTimeLimit(const SearchTimeLimit &) = delete;
  SearchTimeLimit &operator=(const SearchTimeLimit &) = delete;

 private:
  tvlenv *env_;
  double saved_;
};

// Polishes after the regular search ended with `status`, `elapsed` seconds
// after the start; `has_mip_start` says whether the problem holds a MIP
// start.  Returns the status of the run.  Call it outside the search's
// run clock: the phase has its own.
int polish(tvlenv *env, Search &search, const PolishPlan &plan, int status, double elapsed, bool has_mip_start);

}  // namespace tvl::mip
