// Redundant and forcing rows from activity bounds (Brearley, Mitra &
// Williams 1975; Andersen & Andersen 1995, sec. 3.4).  The column bounds give
// each row an activity range [amin, amax].  A row whose range lies within its
// bounds is dropped; a bound outside the range is relaxed to infinity; a row
// whose range touches its bounds only at one end forces every column to the
// bound producing that end; a range disjoint from the bounds is infeasible.
// Postsolve gives a forcing row the dual value that restores dual
// feasibility of the forced columns and makes the limiting column basic.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

// Drops redundant rows and relaxes redundant row bounds.
void reduce_redundant_rows(Work &w);
// Detects forcing rows (and infeasible ones) and fixes their columns.
void reduce_forcing_rows(Work &w);

void undo_forcing_row(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
