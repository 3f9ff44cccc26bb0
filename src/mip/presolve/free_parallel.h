// Columns parallel to a free column: when column k's coefficients and cost
// are lambda times those of a column j without bounds (a_k = lambda a_j,
// c_k = lambda c_j), any point can move lambda (x_k - v) from x_k into
// x_j without changing a row activity or the objective; so x_k is fixed
// at a value v of its domain (its finite bound nearest zero, or 0).  When
// x_j is integer this needs x_k integer and lambda an integer, so that
// x_j stays integral.  Fixing keeps a point of every objective value the
// model attains (not every point), and needs no postsolve.
//
// Without it a search over such a pair follows a ray of the relaxation:
// x_j and x_k trade along lambda a_j = a_k for ever.  This is what the
// conflict refiner's tests meet once column bounds are dropped (p0033's
// pairs with ratios 1 and 2 next to a column left free).
//
// The merging of parallel columns of Andersen and Andersen, "Presolving
// in linear programming", Mathematical Programming 71 (1995), in the
// integral form of Gamrath, Koch, Martin, Miltenberger and Weninger,
// "Progress in presolving for mixed integer programming", Mathematical
// Programming Computation 7 (2015), restricted to a free partner.
#pragma once

#include "mip/presolve/mip_reduction.h"

namespace tvl::mip {

class FreeParallelColumns : public MipReduction {
 public:
  ReductionOutcome apply(MipModel &model) override;
  int fixed() const { return fixed_; }

 private:
  int fixed_ = 0;
};

}  // namespace tvl::mip
