// Linearly dependent equality rows (Andersen & Andersen 1995, sec. 3.1;
// Andersen 1995, "Finding all linearly dependent rows in large-scale linear
// programming").  The equality rows are reduced one by one to echelon form
// by sparse Gaussian elimination with partial pivoting: a row that reduces
// to zero is a combination of earlier rows.  With a consistent right-hand
// side it is redundant and dropped (its dual is 0 and its slack basic in
// postsolve); otherwise the problem is infeasible.
#pragma once

#include "presolve/presolve_work.h"

namespace tvl::lp::pre {

// Drops dependent consistent equality rows; fails with 1101 and the
// "dependent and infeasible" message on an inconsistent one.  Stops early
// (keeping what it found) when the elimination's work exceeds a multiple of
// the matrix size.  Returns the number of rows dropped.
int32_t reduce_dependent_rows(Work &w);

}  // namespace tvl::lp::pre
