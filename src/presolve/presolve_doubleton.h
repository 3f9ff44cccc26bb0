// Doubleton equations, the aggregator's substitution (Andersen & Andersen
// 1995, sec. 3.7; Gondzio 1997, sec. 4).  An equality a x_j + b x_k = r
// gives x_j = (r - b x_k)/a; x_j is substituted into every other row and the
// objective, its bounds become bounds on x_k, and the row and x_j leave.
// Postsolve recomputes x_j and chooses the row's dual so that either x_j is
// basic, or, when x_k ends at a bound that came from x_j, x_k is basic and
// x_j nonbasic at the matching bound.
#pragma once

#include "presolve/presolve_work.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

// One sweep over the equality rows with two entries; substitutions that
// would create more than `maxfill` new entries are skipped.  Returns the
// number of substitutions made.
int32_t reduce_doubleton_equations(Work &w, int32_t maxfill);

void undo_doubleton(const Step &s, const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
