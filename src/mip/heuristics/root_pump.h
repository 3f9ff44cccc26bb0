// The feasibility pump at the root (feaspump.h) and the completion of its
// point into a solution of the whole model.
//
// Phase 1 runs on the 0-1 columns from the root LP solution.  A point of
// zero infeasibility on them is completed by fixing the 0-1 columns at its
// values and solving the LP over the rest (mipstart_install.h's
// solve_with_fixed).  When general integer columns are fractional there,
// phase 2 runs on every integer column from the phase-1 point, and its
// integral point is completed by fixing every integer column.  A model
// without 0-1 columns goes to phase 2 at once.
//
// TVL_PARAM_FPHEUR: -1 never; 0 (automatic) only when the root has no
// incumbent yet, with the objective weight alpha starting at 1; 1 always,
// pure feasibility (alpha 0); 2 always, objective and feasibility
// (alpha 1).  The pump gets a tenth of the run's time limit when
// automatic, a quarter when asked for, at most 30 seconds, over both
// phases; the random state starts from a fixed seed
// so that runs repeat.
#pragma once

#include "mip/heuristics/heuristic.h"

namespace tvl::mip {

// Whether the pump runs at the root under this TVL_PARAM_FPHEUR setting.
bool pump_wanted(int fpheur, bool has_incumbent);

// Runs the pump at the root and appends the completed point, if any.
void run_root_pump(HeurInput &in, int fpheur, Points &found);

}  // namespace tvl::mip
