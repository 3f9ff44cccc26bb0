// Placeholder: releases a problem record; replaced by the problem module.
#include "frame/problem.h"

#include "frame/env.h"
#include "frame/error.h"
#include "runtime/alloc.h"

extern "C" int TVLfreeprob(TVLENVptr env, TVLLPptr *lp_p) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  if (!lp_p) return tvl::boundary(env, 1004);
  if (!*lp_p) return 0;
  tvl::resource_remove(env, *lp_p);
  tvl::mem_free(*lp_p);
  return 0;
}
