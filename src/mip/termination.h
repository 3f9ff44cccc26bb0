// The termination test each search thread makes before it takes the next
// node, and the gap rule it shares with the dive test.  First match wins:
// a stop request (terminate flag, callback, time or deterministic limit as
// the limit check reports it), a closed gap, the solution limit, the
// iteration limit, the node limit, the tree memory limit.  Statuses come in
// pairs: the first when an incumbent exists, the second when not.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl::mip {

struct TerminationSettings {
  double epgap = 1e-4, epagap = 1e-6;
  double polish_epgap = 0.0, polish_epagap = 0.0;
  int64_t intsollim = 2100000000, polish_intsol = 2100000000;
  int64_t nodelim = 2100000000, polish_node = 2100000000;
  int64_t itlim = 2100000000;
  double trelim_mb = 1e75;
  // Populate: pool mode (0 none, 1 phase I, 2 phase II), the number of
  // solutions the call may still store, and the enumeration switch (the
  // gap is then closed only by the pool cutoff, which the incumbent's
  // pruning test reports).
  int pool_mode = 0;
  int64_t populate_limit = 2100000000;
  bool enumerate = false;
  bool pool_gaps_finite = false;
};

TerminationSettings termination_settings(const tvlenv *env);

// What the test looks at.
struct SearchProgress {
  bool feasible = false;
  double incumbent = 1e75;  // internal form
  double bound = -1e75;     // best bound of the open nodes
  bool bound_cut_off = false;  // the bound reaches the incumbent's pruning cutoff
  int64_t updates = 0, nodes = 0, iterations = 0;
  int64_t generated = 0;  // solutions the pool stored in this run
  double tree_mb = 0.0;
};

// Whether the gap between incumbent z and bound b is closed by the
// absolute or relative gap tolerances (internal form).
bool gap_closed(const TerminationSettings &s, double z, double b);

// 0 to go on, else the status to end with (101/102 for a closed gap).
int termination_status(const tvlenv *env, const TerminationSettings &s, const SearchProgress &p);

// Status when the last open node has been processed: 101 (in populate
// phase II 129, or 130 with a finite pool gap) with an incumbent, else 103.
int exhausted_status(const TerminationSettings &s, bool feasible);

// Status of a stop request from the limit check (11 time, 900
// deterministic time, other abort), in the feasible/infeasible pair.
int stop_request_status(int check, bool feasible);

}  // namespace tvl::mip
