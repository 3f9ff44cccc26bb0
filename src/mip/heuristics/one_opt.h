// 1-opt: improves a feasible point by shifting single integer columns,
// after the "Oneopt" heuristic of
//   T. Berthold, "Primal Heuristics for Mixed Integer Programs", Diploma
//   thesis, TU Berlin, 2006, section 3.4.
//
// Each integer column with a cost, the largest |cost| first (ties by
// index), moves in the direction that lowers the objective by the largest
// whole number of steps that keeps every row within its sides and the
// column within its bounds, given the moves made before it.  Models with
// special structures are left alone.
#pragma once

#include <vector>

#include "mip/mip_model.h"

namespace tvl::mip {

// Shifts columns of x (a point satisfying the model within kAcceptTol);
// true when the objective went down.
bool one_opt(const MipModel &model, std::vector<double> &x);

}  // namespace tvl::mip
