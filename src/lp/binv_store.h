// The basis factor kept with a problem for the basis-solve functions
// (TVLftran, TVLbtran, TVLgetbhead, TVLbinvrow, TVLbinvcol, TVLbinvarow,
// TVLbinvacol).
//
// Life cycle.  An optimizer run that ends with a factored basis marks its
// solution record (SolutionRecord::has_factor) and stores the final basis.
// The factor itself is rebuilt from that basis on the first basis-solve
// call and then kept in the problem (tvllp::factor) for later calls.  It is
// dropped together with the solution record: whenever the problem data
// change, a new basis or start is copied in, or the next optimizer run
// replaces the record (the kDropFactor/kDropSolution hooks of
// frame/derived.h).  Without a current factor the functions fail with 1258.
//
// Layout.  The header lists the basic variables in increasing variable
// order: basic structural columns first, then the basic slacks (variable
// n+i for row i).  The slack of row i is the variable s_i of
// A_i x + s_i = rhs_i (the value TVLgetslack reports), so its column in B
// is the unit vector e_i.
//
// Scaling.  The factor is computed on the scaled problem A' = R A C that
// the simplex codes solve (TVL_PARAM_SCAIND in force at the first call).
// The scaled basis is B' = R B D with D_k = C_j for a basic structural j
// and D_k = 1/R_i for the slack of row i, hence
//   B^-1 x   = D B'^-1 (R x)      (ftran: input times R, output times D)
//   B^-T y   = R B'^-T (D y)      (btran: input times D, output times R),
// so every answer is in the caller's unscaled terms.  The factor's
// precision follows the precision policy (parameter 1093): extended when
// it is positive, double otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "frame/problem.h"
#include "factor/factor.h"
#include "lpmodel/lpmodel.h"

namespace tvl {

struct BasisData;

struct FactorData : DerivedState {
  int32_t m = 0, n = 0;
  std::vector<int32_t> head;       // basic variable of each position
  std::vector<double> rowscale;    // R per row (empty when unscaled)
  std::vector<double> posscale;    // D per position (empty when unscaled)
  std::unique_ptr<lp::BasisFactor> factor;  // none when m == 0
  lp::HVector work;                // scratch of the solves
};

// The basic variables of a stored basis in increasing variable order
// (structurals j, then slacks n+i); false when the basis does not have
// exactly m basic entries.
bool basic_header(const BasisData &basis, int32_t n, int32_t m, std::vector<int32_t> &head);

// The factor kept with `lp`, or null.
inline FactorData *kept_factor(const tvllp *lp) { return static_cast<FactorData *>(lp->factor); }

namespace lp {

// The current factor of `lp` (the problem that holds the solution, e.g.
// the inner model of a fixed type), built on first use.  Returns 0, 1258
// when no optimizer run left a factored basis, 1256 when the stored basis
// turns out singular, or 1001.
int binv_factor(const tvlenv *env, const tvllp *lp, FactorData **out);

// Factorizes the basis listed in `fd.head` (variables j < n: columns of
// `model`, n+i: slack of row i) on `model` scaled by the scaling choice
// `scaind` (TVL_PARAM_SCAIND); `model` is scaled in place.  Fills fd.m,
// fd.n and the scale factors so that binv_solve answers in the unscaled
// terms.  Returns 0, 1256 for a singular basis, or 1001.
int factor_model_basis(LpModel &model, int scaind, int precision, const FactorSettings &settings, FactorData &fd);

// v := B^-1 v (v indexed by rows on input, by positions on output), or
// with `transpose` v := B^-T v (positions in, rows out).
void binv_solve(FactorData &fd, double *v, bool transpose);

}  // namespace lp
}  // namespace tvl
