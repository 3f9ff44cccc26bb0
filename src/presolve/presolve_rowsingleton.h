// Singleton rows (Andersen & Andersen 1995, sec. 3.3): a row with one entry
// a x_j in [lo, up] is a bound on x_j.  The row leaves the problem and the
// column's bounds are tightened; postsolve hands the bound back to the row
// when the column ends nonbasic at a bound that the row supplied.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

void reduce_singleton_rows(Work &w);
// Turns row i (one entry) into bounds of its column and removes it.
void reduce_singleton_row(Work &w, int32_t i);
// Tightens the bounds of column j to [lo, up] (each only when tighter),
// reporting infeasibility.  Returns bit 0 / bit 1 when lower / upper changed.
int tighten_col_bounds(Work &w, int32_t j, double lo, double up);

void undo_singleton_row(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
