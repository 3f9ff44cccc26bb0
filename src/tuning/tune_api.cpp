// Entry point of the parameter tuner.  The tuner is being built; until it
// lands the entry validates its handles and answers 1003, so that no caller
// mistakes it for a result.
#include "frame/error.h"
#include "frame/problem.h"
#include "tavlo.h"

using tvl::boundary;

extern "C" {

TVLPUBLIC int TVLtuneparam(TVLENVptr env, TVLLPptr lp, int, const int *, const int *, int, const int *,
                           const double *, int, const int *, char **, int *) {
  int st = tvl::check_problem(env, lp);
  if (st == 0) st = TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  return boundary(env, st);
}

}  // extern "C"
