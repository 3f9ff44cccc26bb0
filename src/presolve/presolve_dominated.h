// Dual fixing and dominated columns (Andersen & Andersen 1995, sec. 3.6,
// "dominated columns"; Gondzio 1997, sec. 3.2).  Bounds on the row duals
// follow from the row bounds (a row without lower bound has pi <= 0, one
// without upper bound pi >= 0) and from column singletons with a one-sided
// bound.  They bound every reduced cost dj = c_j - a_j'pi; a column whose dj
// is provably positive (negative) sits at its lower (upper) bound in every
// optimal solution and is fixed there; if that bound is infinite the problem
// is unbounded or infeasible.
#pragma once

#include "presolve/presolve_work.h"

namespace tvl::lp::pre {

void reduce_dominated_cols(Work &w);

}  // namespace tvl::lp::pre
