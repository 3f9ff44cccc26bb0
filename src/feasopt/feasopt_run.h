// The feasibility relaxation of a problem: phase 1 finds a relaxation of
// minimal measure on the auxiliary model (aux_model.h), phase 2 (modes 1,
// 3 and 5 of TVL_PARAM_FEASOPTMODE) optimises the problem's own objective
// among the relaxations whose measure stays within
//     bound = minimum * (1 + TVL_PARAM_EPRELAX) + TVL_PARAM_EPRELAX,
// and the outcome is stored as the problem's solution (method
// TVL_ALG_FEASOPT); the problem's data are not changed.
//
// Stored status (continuous problems 14-19, MIP problems 120-125):
//   - "optimal relaxed ..." (15, 17, 19 / 121, 123, 125): modes 0, 2, 4,
//     the measure proved minimal (for a MIP within its gap tolerances);
//   - "feasible relaxed ..." (14, 16, 18 / 120, 122, 124): modes 1, 3, 5
//     after phase 2, or a limit stopped the work after a relaxation was
//     found (the best point known is stored);
//   - 126 "feasopt aborted": a limit or an abort came before any
//     relaxation was found;
//   - 3 / 103 (infeasible): no relaxation the preferences allow is
//     feasible.
// Objective value stored: the measure of the point in modes 0, 2 and 4,
// the problem's own objective at the point (offset included) in modes 1,
// 3 and 5.  x are the problem's columns; slacks are rhs - A x against the
// unrelaxed right-hand sides, so the violations of the relaxation are
// what TVLgetrowinfeas and TVLgetcolinfeas report.
#pragma once

#include "feasopt/relax_items.h"
#include "tavlo.h"

namespace tvl::feasopt {

// Runs the relaxation of a validated, complete problem; returns 0 (the
// outcome is stored) or a status for boundary().
int run_feasopt(TVLENVptr env, tvllp *lp, const Prefs &prefs);

}  // namespace tvl::feasopt
