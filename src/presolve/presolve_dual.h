// Dual formation for the presolved LP: builds the Lagrangian dual of
//
//   min c'x + offset   s.t.  rowlo <= A x <= rowup,  collo <= x <= colup
//
// as an LpModel that the other simplex solves, and maps the dual's result
// back to x, row duals, reduced costs and a basis of the primal LP.
// The construction follows the textbook LP duality of Dantzig, "Linear
// Programming and Extensions" (1963), ch. 6, for bounded variables:
//
//   max  rowlo'y+ - rowup'y- + collo'z+ - colup'z-
//   s.t. A'(y+ - y-) + (z+ - z-) = c,   y+, y-, z+, z- >= 0,
//
// with one multiplier per finite bound (an equal pair of bounds gets one
// free multiplier instead of two), stated as a minimisation by negating the
// objective.  Dual row j belongs to primal column j; its row dual is -x_j.
//
// The basis maps by complementarity: a primal row or column is nonbasic
// (at the bound whose multiplier is basic) exactly when one of its
// multipliers is basic in the dual.  A dual row whose slack stays basic
// (a degenerate equation) leaves its primal column nonbasic at a bound.
// The two bases are then both regular: each is regular exactly when the
// submatrix A[nonbasic rows, basic columns] is.
//
// The automatic setting (TVL_PARAM_PREDUAL = 0) never forms the dual: the
// simplex codes here gain nothing from it on the LPs seen so far, so only
// an explicit request (1) forms it.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

// Whether presolve hands the dual to the optimizer: `predual` is
// TVL_PARAM_PREDUAL.  An empty reduced LP is never dualized.
bool should_form_dual(int predual, const LpModel &reduced);

// The dual of a primal LP with the bookkeeping needed to map back.
struct DualLp {
  LpModel model;                  // n rows (one per primal column), one column per multiplier
  // What dual column k multiplies: a primal row (owner >= 0, owner < m) or
  // primal column (owner - m), with sign +1 (lower bound or equation) or
  // -1 (upper bound).
  std::vector<int32_t> owner;
  std::vector<int8_t> sign;
  int32_t primal_rows = 0;
};

// Builds the dual of `primal` into `out`.
void form_dual(const LpModel &primal, DualLp &out);

// Maps the dual's result to a result of `primal`: status, x, row
// activities, row duals, reduced costs, objective and basis.
LpResult map_dual_result(const LpModel &primal, const DualLp &dual, const LpResult &dres);

}  // namespace tvl::lp
