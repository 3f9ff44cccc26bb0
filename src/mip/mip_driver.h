// The MIP driver as TVLmipopt and TVLpopulate share it (mip/mipopt.cpp).
#pragma once

#include "frame/problem.h"

namespace tvl::mip {

// A public MIP optimization: validation (environment and problem, pending
// changes applied, a MIP type or 3003, no model part the search cannot
// handle yet), then `run`, with 1001 for an allocation failure; returns
// what boundary() makes of the status.
int mip_entry(tvlenv *env, tvllp *lp, int (*run)(tvlenv *, tvllp *));

// One run of the driver on a validated problem: pool prepared, starts
// tried, search, results stored on the problem.  Returns 0 or an error
// status; the MIP status is in the problem's solution record.
int run_mip(tvlenv *env, tvllp *lp);

}  // namespace tvl::mip
