// The LP optimizer entry points: TVLlpopt resolves the method and calls
// the entry of that method; TVLdualopt and TVLprimopt run the simplex flow
// of lp/simplex_flow.h with the dual or the primal simplex; method 6 goes
// to the concurrent optimizer (lp/concurrent.h).  Network simplex, barrier
// and sifting (methods 3, 4, 5) are not provided and answer 1292.
#pragma once

#include "lpmodel/lpmodel.h"
#include "tavlo.h"

namespace tvl::lp {

// Method TVLlpopt runs for the current parameters and problem: a nonzero
// TVL_PARAM_LPMETHOD as it is; automatic: concurrent with at least two
// threads for an LP and no memory emphasis, else primal when ADVIND is
// nonzero and the stored basis is primal feasible, else dual.
int resolve_lp_method(const tvlenv *env, const tvllp *lp);

// Number of basic variables of the stored basis whose values violate their
// bounds by more than TVL_PARAM_EPRHS.  Returns 0, 1262 (no basis) or 1256.
int basis_primal_infeasibilities(const tvlenv *env, const tvllp *lp, int &infeasible);

// Threads an LP may use: TVL_PARAM_THREADS (0 = all the machine offers).
int lp_threads(const tvlenv *env);

// The simplex settings read from the environment's parameters.
SimplexControl simplex_control(const tvlenv *env);

// Maps a limit-check result (0, 11, 900, other) to the optimizer's status.
LpStatus stop_status(int check);

}  // namespace tvl::lp
