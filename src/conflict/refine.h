// The conflict refiner's driver: builds the working form of a problem (or
// of a problem with a MIP start's values fixed), runs the filters and
// stores the outcome as the problem's conflict record.
//
// An LP is refined with LP feasibility tests.  A MIP is first refined on
// its LP relaxation: when the relaxation is infeasible, the LP conflict is
// an infeasible set of the MIP too, and a second pass with MIP tests
// removes what integrality makes unnecessary, so that the result is
// irreducible for the MIP; when the relaxation is feasible, the filters
// run with MIP tests from the start.  Integrality, special ordered sets,
// semi-continuous columns and indicator constraints always stay; the
// candidates are the rows and the finite column bounds.
//
// A MIP start's conflict takes the start's values as the bounds of its
// columns: those fixings are the candidates of its columns (a relaxed
// fixing falls back to the column's own bound, which is then kept), the
// other columns' bounds and the rows as usual.
#pragma once

#include "frame/problem.h"

namespace tvl::conflict {

inline constexpr int kNoMipStart = -2100000000;

// Refines and stores the conflict record of the problem itself (start
// kNoMipStart) or of MIP start `start`.  Returns 0 or a status; the counts are those of the members.
int refine(tvlenv *env, tvllp *lp, int start, int *nrows_p, int *ncols_p);

}  // namespace tvl::conflict
