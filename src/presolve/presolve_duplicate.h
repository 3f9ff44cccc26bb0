// Duplicate (parallel) rows and columns (Andersen & Andersen 1995, sec. 3.8;
// Tomlin & Welch's hashing of row patterns as used there).  Rows are grouped
// by a hash of their pattern and normalised values, so detection costs one
// sort, not a pairwise comparison.
//  - A row k = lambda * row i is merged into row i: row i keeps the
//    intersection of both ranges; postsolve moves the dual to row k when
//    row i ends at a bound that row k supplied.
//  - A column k = lambda * column j with c_k = lambda c_j is merged into
//    x_j' = x_j + lambda x_k; postsolve splits x_j' within both columns'
//    bounds, keeping one of them basic when x_j' is.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

void reduce_duplicate_rows(Work &w);
void reduce_duplicate_cols(Work &w);

void undo_duplicate_row(const Step &s, const PostsolveStack &stack, PostState &st);
void undo_duplicate_col(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
