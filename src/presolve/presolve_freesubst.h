// Substitution of implied-free columns out of equality rows, the general
// step of the aggregator (Andersen & Andersen 1995, sec. 3.5 on implied free
// columns; Gondzio 1997, sec. 4 on the aggregator and its fill control).
// When row i is an equality sum a_ik x_k = b and the bounds of x_j follow
// from it, x_j = (b - sum_{k != j} a_ik x_k)/a_ij is substituted into every
// other row holding x_j and into the objective; row i and x_j leave.  A
// substitution is made only when its worst-case fill (len_i - 1)(len_j - 1)
// stays within the aggregator fill limit and |a_ij| is not small within its
// row.  Postsolve recovers x_j from row i, makes it basic, and gives row i the
// dual that zeroes x_j's reduced cost.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

// One sweep over the equality rows with at least three entries; returns the
// number of substitutions made.
int32_t reduce_free_substitutions(Work &w, int32_t maxfill);

void undo_free_substitution(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
