// Bounds on the variables of the working form implied by the rows and the
// other variables' bounds (the activity argument of Brearley,
// Mitra & Williams 1975, "Analysis of mathematical programming problems
// prior to applying the simplex algorithm", Math. Programming 8).
//
// Row i reads a_i x + s_i = 0 with s_i in [lower[n+i], upper[n+i]], so its
// activity a_i x lies in [-upper[n+i], -lower[n+i]].  With the least and the
// greatest activity of the other entries of the row, every feasible point
// satisfies the bound derived for x_j.  Derived bounds feed the next pass
// (a few passes, while some bound still tightens), so a chain of rows
// bounds its last column too; each result still holds for every feasible
// point of the LP.  Bounds beyond 1e9 in magnitude are not derived (they
// carry more rounding than information).
#pragma once

#include <vector>

#include "simplex/simplex_lp.h"

namespace tvl::lp {

// Fills lo/up (size n) with the tightest bound the rows imply for each
// structural, or -inf/+inf where none implies a finite one.  A bound is
// derived only from a row whose other entries are bounded on the needed
// side; it may be weaker than the variable's own.
void implied_bounds(const SimplexLp &lp, std::vector<double> &lo, std::vector<double> &up);

}  // namespace tvl::lp
