// Placeholder parameter store holding only the values the environment core
// needs (screen indicator and the presolve-report switch); replaced by the
// full registry.
#include "frame/param.h"

#include <cstdio>

#include "frame/channel.h"
#include "frame/env.h"
#include "frame/error.h"
#include "runtime/alloc.h"

namespace tvl {

struct ParamBlocks {
  int32_t scrind;
  int32_t report_presolve;
};

ParamBlocks *params_create() {
  auto *b = static_cast<ParamBlocks *>(mem_alloc(sizeof(ParamBlocks)));
  if (b) *b = ParamBlocks{0, 1};
  return b;
}
ParamBlocks *params_clone(const ParamBlocks *src) {
  auto *b = static_cast<ParamBlocks *>(mem_alloc(sizeof(ParamBlocks)));
  if (b) *b = *src;
  return b;
}
void params_free(ParamBlocks *&blocks) { mem_free(blocks); }

int32_t param_int(const tvlenv *env, int num) {
  if (num == TVL_PARAM_SCRIND) return env->params->scrind;
  if (num == 1043) return env->params->report_presolve;
  return 0;
}
double param_dbl(const tvlenv *, int) { return 0.0; }
const char *param_str(const tvlenv *, int) { return ""; }

void apply_screen_indicator(tvlenv *env, int value) {
  tvlchannel *chans[3] = {env->chan_results, env->chan_warning, env->chan_error};
  for (tvlchannel *ch : chans) {
    if (value == 0)
      channel_remove_stream(ch, stdout);
    else if (!channel_has_stream(ch, stdout))
      channel_add_stream(ch, stdout);
  }
}

}  // namespace tvl

extern "C" {
int TVLsetintparam(TVLENVptr env, int whichparam, int newvalue) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  if (whichparam == TVL_PARAM_SCRIND) {
    if (newvalue < 0) return tvl::boundary(env, 1014);
    if (newvalue > 1) return tvl::boundary(env, 1015);
    env->params->scrind = newvalue;
    tvl::apply_screen_indicator(env, newvalue);
  }
  return 0;
}
int TVLsetdefaults(TVLENVptr env) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  env->params->scrind = 0;
  env->params->report_presolve = 1;
  tvl::apply_screen_indicator(env, 0);
  return 0;
}
int TVLreadcopyparam(TVLENVptr env, const char *) { return tvl::boundary(env, 1421); }
}
