// LP model files: entry points used by the model-file dispatcher
// (TVLreadcopyprob / TVLwriteprob) once it has chosen the LP format.
#pragma once

#include <cstdio>

#include "tavlo.h"

namespace tvl {

// Reads an LP file from `f` and replaces the problem's data with it.  The
// problem is changed only when the whole file was read.  Returns 0, a
// positive status not yet reported, or a negated status already reported.
int lp_read(tvlenv *env, tvllp *lp, FILE *f, const char *filename);

// Writes the problem in LP format to `f` (opened for writing by the
// caller).  Same status convention as lp_read.
int lp_write(const tvlenv *env, const tvllp *lp, FILE *f, const char *filename);

}  // namespace tvl
