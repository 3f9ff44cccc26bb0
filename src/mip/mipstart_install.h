// MIP starts tried before the search.  Every pending start of the problem
// (frame/mipstarts.h) is turned, in index order, into a candidate solution
// by its effort level, and a candidate is offered to the search as a
// solution found outside the tree (incumbent rules, pool, the node log's
// '+' mark).  Effort levels:
//   1 check feasibility  the values as given; every column needs a value
//                        and bounds, rows and integrality must hold;
//   2 solve fixed        integer columns fixed at their rounded values, the
//                        continuous ones from the LP over the rest; every
//                        integer column needs a value;
//   3 solve sub-MIP      integer columns that have a value are fixed, the
//                        others found by a search of at most kSubMipNodes
//                        nodes: this completes a partial start;
//   4 repair             as 2 (as 3 for a partial start); when that finds
//                        nothing, a search of at most kSubMipNodes nodes
//                        for the solution nearest the start's values of
//                        0-1 and bounded integer columns at a bound;
//   5 no check           the values as given when every column has one
//                        (otherwise as level 0), without any test;
//   0 automatic          2 when every integer column has a value, else 3.
// With TVL_PARAM_MIPDISPLAY >= 1 one line per start says what came of it.
#pragma once

#include <functional>
#include <vector>

#include "frame/problem.h"
#include "mip/mip_model.h"
#include "mip/mipbb.h"

namespace tvl::mip {

inline constexpr int64_t kSubMipNodes = 500;

// The LP of the model with the columns `fixed` fixed at their values in v
// rounded to integers: its solution (unrounded, unchecked), or nothing
// when a rounded value lies outside its column's bounds or the LP ends
// other than optimal.  Completes a MIP start or a heuristic's point.
std::vector<double> solve_with_fixed(const tvlenv *env, const MipModel &model, const std::vector<double> &v,
                                     const std::vector<int32_t> &fixed);

// Tries the pending starts of lp on `model` (the problem's own) and hands
// each solution to `offer`, which answers whether the search took it (a
// start that presolve's reductions exclude is not taken); marks the starts
// installed.  Returns the number of starts that gave a solution.
int install_mip_starts(tvlenv *env, tvllp *lp, const MipModel &model, const SearchSettings &settings,
                       const std::function<bool(const std::vector<double> &)> &offer);

}  // namespace tvl::mip
