// Entry points of the conflict refiner.  The refiner itself is being built;
// until it lands these entries validate their handles and answer that no
// conflict is available (1719), which is also what TVLgetconflict answers
// before any refinement.
#include "frame/error.h"
#include "frame/problem.h"
#include "tavlo.h"

using tvl::boundary;

extern "C" {

TVLPUBLIC int TVLrefineconflict(TVLENVptr env, TVLLPptr lp, int *, int *) {
  int st = tvl::check_problem(env, lp);
  if (st == 0) st = TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  return boundary(env, st);
}

TVLPUBLIC int TVLrefinemipstartconflict(TVLENVptr env, TVLLPptr lp, int, int *, int *) {
  int st = tvl::check_problem(env, lp);
  if (st == 0) st = TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  return boundary(env, st);
}

TVLPUBLIC int TVLgetconflict(TVLCENVptr env, TVLCLPptr lp, int *, int *, int *, int *, int *, int *, int *) {
  int st = tvl::check_problem(env, lp);
  if (st == 0) st = TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  return boundary(env, st);
}

}  // extern "C"
