// The presolve step of the simplex flow: which presolved copy (if any) the
// flow solves, built from the environment's presolve parameters, with the
// "Presolve time" line and the fallback after an out-of-memory presolve.
#pragma once

#include <functional>
#include <string>

#include "frame/problem.h"
#include "lpmodel/lpmodel.h"
#include "presolve/presolve_store.h"

namespace tvl::lp {

// Decides on presolve for this call and runs it when needed.  `data` is
// the copy to solve (owned by lp->presolve) or nullptr to solve the
// original LP.  `advanced_start` tells whether the problem holds a basis or
// starting point; `dual` that the dual simplex will solve the copy.  Returns
// 0 or the presolve status that ends the call.
int prepare_presolve(tvlenv *env, tvllp *lp, const LpModel &model, bool advanced_start, bool dual,
                     PresolveData *&data);

// Presolve settings from the environment's parameters, with the problem's
// row and column names for the messages; `dual` that the dual simplex will
// solve the reduced copy.
PresolveSettings presolve_settings(const tvlenv *env, const tvllp *lp, bool dual);

// Names of the variables of a model the flow solves, as the caller's problem
// names them (its own names, else "x1" for columns and "c1" for rows):
// variable j < n is a column, n+i the slack of row i.  With `pre` null the
// model is the LP itself, otherwise presolve's reduced copy, whose columns
// and rows map back to the LP's.
std::function<std::string(int32_t)> caller_var_names(const LpData *d, const PresolvedLp *pre);

}  // namespace tvl::lp
