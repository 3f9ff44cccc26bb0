// Scaling of the constraint matrix before the simplex runs.
//
// Geometric-mean scaling passes (Fourer 1982, "Solving staircase linear
// programs by the simplex method"; Curtis & Reid 1972 for the log-space
// view) alternate over rows and columns until the spread of magnitudes stops
// shrinking; an equilibration pass then brings the largest entry of every
// column to about 1.  All factors are rounded to powers of two so that
// scaling and unscaling introduce no rounding error.
//
// The scaled problem is  A' = R A C,  x' = x / C,  c' = C c,  column bounds
// divided by C and row bounds multiplied by R.
#pragma once

#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

struct Scaling {
  std::vector<double> row;  // R, one factor per row (empty when not scaled)
  std::vector<double> col;  // C, one factor per column
  bool active() const { return !row.empty(); }
};

// mode: -1 no scaling, 0 standard (geometric passes plus equilibration),
// 1 aggressive (more geometric passes).
Scaling compute_scaling(const CscMatrix &a, int mode);

// Scales matrix, costs and bounds of `model` in place.
void apply_scaling(const Scaling &s, LpModel &model);

}  // namespace tvl::lp
