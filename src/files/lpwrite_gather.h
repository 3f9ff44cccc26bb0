// Reads a problem through the query interface into an LpFileModel.
#pragma once

#include "files/lpfiledata.h"
#include "tavlo.h"

namespace tvl {

// Returns 0 or a status (negated when already reported).
int lp_gather_model(tvlenv *env, tvllp *lp, LpFileModel &m);

// Optional parts (special ordered sets, quadratic data, indicators, user
// cuts, lazy constraints).
int lp_gather_extras(tvlenv *env, tvllp *lp, LpFileModel &m);

}  // namespace tvl
