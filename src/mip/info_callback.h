// Progress of the branch-and-bound search handed to the MIP progress
// callback (TVLsetmipcallbackfunc) and the informational callback
// (TVLsetinfocallbackfunc), in that order.  The search calls them before each node
// it takes; the callback may read the items below with TVLgetcallbackinfo
// (context TVL_CALLBACK_MIP) and the incumbent's columns with
// TVLgetcallbackincumbent, and asks the search to stop by returning
// nonzero (the run then ends as aborted, 113 or 114).
//
// Items: 101 best integer value, 102 best remaining bound, 106 the
// incumbent's pruning cutoff and 125 relative gap (doubles, in the
// caller's objective sense; without an incumbent 101 and 106 are +-1e75
// and the gap 1e75); 103 nodes processed,
// 104 nodes left, 105 simplex iterations, 109 whether an incumbent exists
// (ints).
#pragma once

#include <cstdint>
#include <vector>

#include "frame/env.h"

namespace tvl::mip {

struct SearchInfo {
  int objsense = 1;
  bool feasible = false;
  double incumbent = 0.0, bound = 0.0, cutoff = 0.0;  // internal (minimisation) form
  int64_t nodes = 0, nodes_left = 0, iterations = 0;
  const std::vector<double> *x = nullptr;  // the incumbent's columns
};

// Whether a MIP progress or informational callback is installed on `env`.
bool has_info_callback(const tvlenv *env);

// Runs the progress callback, then the informational one, with `info`;
// the first nonzero result (0: go on).
int call_search_info(tvlenv *env, const SearchInfo &info);

}  // namespace tvl::mip
