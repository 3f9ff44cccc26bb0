// Crash basis: a starting basis with structural columns in place of the
// slacks that a slack basis would hold, triangular so that its factor is
// exact and cheap.
//
// Follows R. E. Bixby, "Implementing the simplex method: the initial basis"
// (ORSA Journal on Computing 4(3), 1992).  Columns are taken in order of
// preference (free columns first, then columns with one finite bound, then
// boxed ones; fixed columns never), each accepted when it can pivot in a
// row that no accepted column touches yet, at an entry close to its
// largest one (or when its entries in the rows pivoted so far are small
// against those pivots), so that the accepted columns form a triangular
// block; the rows they do not pivot keep their slacks.  Only the slacks of
// equality rows give way: a fixed slack is the worst basic variable there
// is, while an inequality row's slack is a good one (on the Netlib LPs,
// replacing those as well cost the primal simplex iterations: standata
// 278 instead of 51).
//
// The orientation (TVL_PARAM_CRAIND) sets the order within each class:
//   1  the column order of the model (the default);
//  -1  the columns of smallest cost first (c_j / max |c|), which suits
//      a minimisation whose cheap columns are the basic ones at the
//      optimum, and was slower on the Netlib LPs (pilot87 16,635
//      iterations instead of 10,939);
//   0  no crash: the slack basis.
//
// The primal simplex starts from this basis when it is given none.  The
// dual simplex does not: a crash basis is seldom dual feasible, and on the
// Netlib LPs the dual's start from the slack basis with implied-bound
// boxes (dual_simplex.h) was as fast overall and far faster on cycle
// (715 iterations against 1,391).
#pragma once

#include <cstdint>
#include <vector>

#include "simplex/simplex_lp.h"

namespace tvl::lp {

// For each row of `lp`, the structural column that a crash basis for
// `orientation` makes basic in place of the row's slack, or -1 where the
// slack stays; an empty vector when no column could replace a slack (the
// slack basis is then the crash basis).
std::vector<int32_t> crash_columns(const SimplexLp &lp, int orientation);

// Turns the statuses of a slack basis (`status`, one per variable of an LP
// with `n` structural columns) into the crash basis of `columns`: each
// column basic, the slack of its row nonbasic.  The other columns keep the
// bounds the caller gave them.
void apply_crash(const std::vector<int32_t> &columns, int32_t n, std::vector<int8_t> &status);

}  // namespace tvl::lp
