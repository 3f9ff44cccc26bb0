// Loads what the LP reader parsed into a problem through the construction
// interface.
#pragma once

#include "files/lpfiledata.h"
#include "tavlo.h"

namespace tvl {

// Replaces the problem's data with the model.  Returns 0 or a negated
// status (already reported by the failing library function).
int lp_load_model(tvlenv *env, tvllp *lp, const LpFileModel &m);

// Optional parts: special ordered sets, quadratic data, indicators, user
// cuts and lazy constraints.
int lp_load_extras(tvlenv *env, tvllp *lp, const LpFileModel &m);

}  // namespace tvl
