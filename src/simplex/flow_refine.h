// Accuracy of the solution the simplex flow hands back.
//
// The simplex computes basic values and duals in the scaled space with one
// solve each; unscaled, on an ill-conditioned basis, the row activities can
// then miss the bound of a nonbasic row by more than the tolerances (the
// reduced costs of such a row look dual infeasible).  refine_basic_solution
// recomputes x and pi of the final basis on the unscaled problem with
// iterative refinement (J. H. Wilkinson, "Rounding Errors in Algebraic
// Processes", 1963): residual of the basic system, one solve with the basis
// factor, correction; repeated while the residual drops.
#pragma once

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

// Refines x, pi and the derived row activities, reduced costs and objective
// of an optimal result for its basis.  Leaves `res` unchanged (and returns
// false) when the basis is not a regular basis of `model` or refinement
// does not reduce the residuals.
bool refine_basic_solution(const LpModel &model, LpResult &res);

}  // namespace tvl::lp
