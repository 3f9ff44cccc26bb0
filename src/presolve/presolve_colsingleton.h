// Column singletons (Andersen & Andersen 1995, sec. 3.5 and 3.6; Gondzio
// 1997, sec. 3).  A column x_j with one entry a in row i:
//  - row i an equality (slack column): x_j = (b - rest)/a leaves the problem;
//    its cost moves onto the row's other columns and its bounds turn the row
//    into the range b - a*[lo_j, up_j];
//  - row i an inequality and x_j implied free (its bounds follow from the row
//    and the other columns' bounds): with zero cost the row can always be met
//    by x_j, so row and column go; with nonzero cost the row's dual is c_j/a,
//    so the row is active at the side that sign names (a dual reduction) and
//    becomes an equality handled as above.
// Postsolve recovers x_j from the row, the row's dual from the reduced one
// plus c_j/a, and makes x_j basic unless the row was nonbasic.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

void reduce_col_singletons(Work &w);

void undo_slack_col(const Step &s, const PostsolveStack &stack, PostState &st);
void undo_col_substitution(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
