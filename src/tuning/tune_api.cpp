// Entry point of the parameter tuner (tuner.h): checks the handles and the
// caller's fixed parameters, then tunes.
#include <new>

#include "frame/error.h"
#include "frame/problem.h"
#include "tavlo.h"
#include "tuning/tune_settings.h"
#include "tuning/tuner.h"

using tvl::boundary;

extern "C" {

TVLPUBLIC int TVLtuneparam(TVLENVptr env, TVLLPptr lp, int intcnt, const int *intnum, const int *intval,
                           int dblcnt, const int *dblnum, const double *dblval, int strcnt, const int *strnum,
                           char **strval, int *tunestat_p) {
  int st = tvl::check_problem(env, lp);
  if (!st) st = tvl::complete(env, lp);
  tvl::tuning::FixedParams fixed;
  if (!st)
    st = tvl::tuning::read_fixed(env, intcnt, intnum, intval, dblcnt, dblnum, dblval, strcnt, strnum, strval,
                                 fixed);
  int tunestat = 0;
  if (!st) {
    try {
      st = tvl::tuning::tune(env, lp, fixed, &tunestat);
    } catch (const std::bad_alloc &) {
      st = TVLERR_OUT_OF_MEMORY;
    }
  }
  if (!st && tunestat_p) *tunestat_p = tunestat;
  return boundary(env, st);
}

}  // extern "C"
