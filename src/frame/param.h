// Parameter registry and the environment's parameter values.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl {

struct ParamBlocks;

// Creates value blocks holding every parameter at its default.
ParamBlocks *params_create();
ParamBlocks *params_clone(const ParamBlocks *src);
void params_free(ParamBlocks *&blocks);

// Fast typed reads used throughout the library (no checks beyond an assert).
int32_t param_int(const tvlenv *env, int num);
double param_dbl(const tvlenv *env, int num);
const char *param_str(const tvlenv *env, int num);

// Applies the screen-output side effect for the given value of TVL_PARAM_SCRIND.
void apply_screen_indicator(tvlenv *env, int value);

}  // namespace tvl
