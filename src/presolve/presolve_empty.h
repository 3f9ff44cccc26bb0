// Empty rows, empty columns and fixed columns: the simplest reductions of
// Brearley, Mitra & Williams (1975) and Andersen & Andersen (1995, sec. 3).
// A fixed column leaves the problem with its value moved into the row bounds
// and the objective offset; an empty column goes to the bound its cost
// prefers; an empty row is dropped after its bounds are checked against 0.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

// Checks every live column's bounds (crossing bounds are infeasible), removes
// fixed columns and empty columns.
void reduce_fixed_and_empty_cols(Work &w);
// Handles one column if it is fixed or empty; returns true when removed.
bool reduce_fixed_or_empty_col(Work &w, int32_t j);
// Removes rows without entries (infeasible when their bounds exclude 0).
void remove_empty_rows(Work &w);
// Records a row whose removal leaves the solution unchanged and removes it.
void drop_free_row(Work &w, int32_t i);

void undo_free_row(const Step &s, const PostsolveStack &stack, PostState &st);
void undo_fixed_col(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
