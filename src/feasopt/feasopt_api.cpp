// Entry point of the feasibility relaxation (feasopt_run.h).
#include "feasopt/feasopt_run.h"
#include "frame/error.h"
#include "frame/problem.h"
#include "tavlo.h"

using tvl::boundary;

extern "C" {

TVLPUBLIC int TVLfeasopt(TVLENVptr env, TVLLPptr lp, const double *rngpref, const double *rhspref,
                         const double *lbpref, const double *ubpref) {
  int st = tvl::check_modifiable(env, lp);
  if (!st) st = tvl::complete(env, lp);
  if (!st) st = tvl::feasopt::run_feasopt(env, lp, tvl::feasopt::Prefs{rngpref, rhspref, lbpref, ubpref});
  return boundary(env, st);
}

}  // extern "C"
