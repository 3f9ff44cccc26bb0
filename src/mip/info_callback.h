// Progress of the branch-and-bound search handed to the informational
// callback (TVLsetinfocallbackfunc).  The search calls it before each node
// it takes; the callback may read the items below with TVLgetcallbackinfo
// (context TVL_CALLBACK_MIP) and the incumbent's columns with
// TVLgetcallbackincumbent, and asks the search to stop by returning
// nonzero (the run then ends as aborted, 113 or 114).
//
// Items: 101 best integer value, 102 best remaining bound, 106 cutoff and
// 125 relative gap (doubles, in the caller's objective sense; without an
// incumbent 101 and 106 are +-1e75 and the gap 1); 103 nodes processed,
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
  double incumbent = 0.0, bound = 0.0;  // internal (minimisation) form
  int64_t nodes = 0, nodes_left = 0, iterations = 0;
  const std::vector<double> *x = nullptr;  // the incumbent's columns
};

// Whether an informational callback is installed on `env`.
bool has_info_callback(const tvlenv *env);

// Runs the informational callback with `info`; its result (0: go on).
int call_search_info(tvlenv *env, const SearchInfo &info);

}  // namespace tvl::mip
