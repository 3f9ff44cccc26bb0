// The MIP as the search sees it: the LP relaxation in the optimizers'
// minimisation form, which columns must take integer values, and the
// checks of a candidate solution against the model.
#pragma once

#include <cstdint>
#include <vector>

#include "frame/problem.h"
#include "lpmodel/lpmodel.h"

namespace tvl::mip {

struct MipModel {
  lp::LpModel lp;                 // relaxation: cost and offset already times the sense
  std::vector<char> integer;      // per column: must take an integer value
  std::vector<int32_t> intcols;   // the integer columns, ascending
  // Objective granularity: every feasible objective value (internal form)
  // is offset + granularity * k for an integer k; 0 when none was found.
  double granularity = 0.0;
  double granularity_offset = 0.0;
  int32_t n() const { return lp.a.n; }
  int32_t m() const { return lp.a.m; }
};

// Builds the model of the problem ('B' and 'I' columns are integer; a 'B'
// column's bounds are clipped to [0, 1]).  Throws std::bad_alloc.
void build_mip_model(const tvllp *lp, MipModel &model);

// Distance of v to the nearest integer.
double fractionality(double v);

// Largest violation of bounds, row ranges and integrality by x (the row
// activities are recomputed from x).
double max_violation(const MipModel &model, const std::vector<double> &x);

// Objective of x in internal form (offset included).
double objective_of(const MipModel &model, const std::vector<double> &x);

}  // namespace tvl::mip
