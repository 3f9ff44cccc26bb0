// Parameter files (reading and writing follow with the compressed-file layer).
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"

int TVLwriteparam(TVLENVptr env, const char *) { return tvl::boundary(env, 1421); }
int TVLreadcopyparam(TVLENVptr env, const char *) { return tvl::boundary(env, 1421); }
