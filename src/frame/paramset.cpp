// Setting parameters: validation (limits and compatibility), storing, the
// side effects of screen output and of hidden parameter 1124, the echo of
// hidden parameter 1075, and the reset to defaults.
#include <cstdio>
#include <cstring>

#include "frame/channel.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "frame/param.h"

namespace tvl {
namespace {

constexpr int32_t kNoIntLimit = 2100000000;

// Refusals that keep a polishing time and a polish-after condition from
// being set together.
int int_compatibility(const tvlenv *env, int num, int value) {
  bool polish_after = num == TVL_PARAM_POLISHAFTERNODE || num == TVL_PARAM_POLISHAFTERINTSOL;
  if (polish_after && value < kNoIntLimit && param_dbl(env, TVL_PARAM_POLISHTIME) > 0.0) return 1807;
  return 0;
}

int dbl_compatibility(const tvlenv *env, int num, double value) {
  if (num == TVL_PARAM_POLISHTIME && value > 0.0 && polish_after_in_use(env)) return 1807;
  if (param_dbl(env, TVL_PARAM_POLISHTIME) > 0.0) {
    bool gap = num == TVL_PARAM_POLISHAFTEREPAGAP || num == TVL_PARAM_POLISHAFTEREPGAP;
    if (gap && value > 0.0) return 1807;
    if (num == TVL_PARAM_POLISHAFTERTIME && value < kNoValue) return 1807;
  }
  return 0;
}

const ParamRecord *record_of_kind(int num, int kind) {
  const ParamRecord *r = param_find(num);
  return r != nullptr && r->kind == kind ? r : nullptr;
}

bool echo_on(const tvlenv *env) { return param_int(env, kParamEcho) == 1; }

}  // namespace

bool polish_after_in_use(const tvlenv *env) {
  return param_dbl(env, TVL_PARAM_POLISHAFTEREPAGAP) != 0.0 || param_dbl(env, TVL_PARAM_POLISHAFTEREPGAP) != 0.0 ||
         param_int(env, TVL_PARAM_POLISHAFTERNODE) < 210000000 ||
         param_int(env, TVL_PARAM_POLISHAFTERINTSOL) < 210000000 ||
         has_value(param_dbl(env, TVL_PARAM_POLISHAFTERTIME));
}

int param_check_int(const tvlenv *env, int num, int value) {
  const ParamRecord *r = record_of_kind(num, kParamInt);
  if (r == nullptr) return 1013;
  if (value < r->imin) return 1014;
  if (value > param_imax(env->params, *r)) return 1015;
  return int_compatibility(env, num, value);
}

int param_check_dbl(const tvlenv *env, int num, double value) {
  const ParamRecord *r = record_of_kind(num, kParamDbl);
  if (r == nullptr) return 1013;
  int range = 0;
  if (r->dmin != r->dmax) {
    if (value < r->dmin)
      range = 1014;
    else if (value > r->dmax)
      range = 1015;
  }
  int compat = dbl_compatibility(env, num, value);
  return compat != 0 ? compat : range;
}

int param_check_str(const tvlenv *, int num, const char *value) {
  if (record_of_kind(num, kParamStr) == nullptr) return 1013;
  if (value == nullptr) return 1004;
  // The storage holds 511 characters; a longer text is refused rather than cut.
  if (std::strlen(value) > static_cast<size_t>(kParamStrMax)) return 1026;
  return 0;
}

int param_apply_int(tvlenv *env, int num, int value) {
  int status = param_check_int(env, num, value);
  if (status != 0) return status;
  param_int_ref(env->params, param_slot(num)) = value;
  if (num == TVL_PARAM_SCRIND) apply_screen_indicator(env, value);
  if (num == kParamTwinField) propagate_1124(env);
  if (echo_on(env)) msg_results(env, "Parameter %d set to %d.\n", num, value);
  return 0;
}

int param_apply_dbl(tvlenv *env, int num, double value) {
  int status = param_check_dbl(env, num, value);
  if (status != 0) return status;
  param_dbl_ref(env->params, param_slot(num)) = value;
  if (echo_on(env)) msg_results(env, "Parameter %d set to %g.\n", num, value);
  return 0;
}

int param_apply_str(tvlenv *env, int num, const char *value) {
  int status = param_check_str(env, num, value);
  if (status != 0) return status;
  char *slot = param_str_ref(env->params, param_find(num)->strslot);
  std::memmove(slot, value, std::strlen(value) + 1);
  if (echo_on(env)) msg_results(env, "Parameter %d set to \"%s\".\n", num, slot);
  return 0;
}

void propagate_1124(tvlenv *env) {
  int32_t v = param_int(env, kParamTwinField);
  env->field1124a = v;
  env->field1124b = v;
}

void apply_screen_indicator(tvlenv *env, int value) {
  tvlchannel *channels[3] = {env->chan_results, env->chan_warning, env->chan_error};
  for (tvlchannel *ch : channels) {
    if (ch == nullptr) continue;
    if (value == 0)
      channel_remove_stream(ch, stdout);
    else if (!channel_has_stream(ch, stdout))
      channel_add_stream(ch, stdout);
  }
}

void params_reset(tvlenv *env) {
  param_blocks_reset(env->params);
  apply_screen_indicator(env, param_find(TVL_PARAM_SCRIND)->idef);
  propagate_1124(env);
}

}  // namespace tvl

using namespace tvl;

int TVLsetintparam(TVLENVptr env, int whichparam, int newvalue) {
  int status = check_env(env);
  if (status == 0) status = param_apply_int(env, whichparam, newvalue);
  return boundary(env, status);
}

int TVLsetdblparam(TVLENVptr env, int whichparam, double newvalue) {
  int status = check_env(env);
  if (status == 0) status = param_apply_dbl(env, whichparam, newvalue);
  return boundary(env, status);
}

int TVLsetstrparam(TVLENVptr env, int whichparam, const char *newvalue_str) {
  int status = check_env(env);
  if (status == 0) status = param_apply_str(env, whichparam, newvalue_str);
  return boundary(env, status);
}

int TVLsetdefaults(TVLENVptr env) {
  int status = check_env(env);
  if (status == 0) params_reset(env);
  return boundary(env, status);
}
