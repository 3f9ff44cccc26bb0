// Pivot row alpha_r = rho' [A I] over the nonbasic variables of the working
// form, from rho = B^-T e_r.  Shared by the dual simplex (every iteration)
// and the primal simplex (pricing-weight updates).  `row` is a sparse vector
// over the n + m variables and `mark` flags its nonzero positions; both are
// cleared here before the new row is built, so nothing is allocated.  Each
// function adds the entries it touched to the thread's work counter.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/factor.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

// Empties `row` and its marks.
void pivot_row_clear(HVector &row, std::vector<int8_t> &mark);

// Row-wise product: walks the rows that rho touches (cheap when rho is sparse).
void pivot_row_rowwise(const SimplexLp &lp, const HVector &rho, HVector &row, std::vector<int8_t> &mark);

// Column-wise product: one dot product per nonbasic column (dense rho).
void pivot_row_colwise(const SimplexLp &lp, const HVector &rho, const std::vector<int8_t> &status, HVector &row,
                       std::vector<int8_t> &mark);

}  // namespace tvl::lp
