// The LP optimizer entry points: TVLlpopt resolves the method and calls
// the entry of that method; TVLdualopt runs the simplex flow (checks,
// saved parameters, run clock, model build, warm start, solve, result
// stored in the problem).
#pragma once

#include "lp/lpmodel.h"
#include "tavlo.h"

namespace tvl::lp {

// Method TVLlpopt runs for the current parameters and problem.
int resolve_lp_method(const tvlenv *env, const tvllp *lp);

// The simplex settings read from the environment's parameters.
SimplexControl simplex_control(const tvlenv *env);

// Maps a limit-check result (0, 11, 900, other) to the optimizer's status.
LpStatus stop_status(int check);

}  // namespace tvl::lp
