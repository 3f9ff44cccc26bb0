#include "mip/info_callback.h"

#include <algorithm>

#include "frame/callback.h"
#include "frame/infinity.h"
#include "mip/mip_state.h"

namespace tvl::mip {

namespace {

int as_int(int64_t v) { return static_cast<int>(std::min<int64_t>(v, kNoLimit)); }

int answer(const CallbackData *data, int /*wherefrom*/, int which, void *result) {
  const SearchInfo &s = *static_cast<const SearchInfo *>(data->owner);
  auto put_double = [result](double v) {
    *static_cast<double *>(result) = v;
    return 0;
  };
  auto put_int = [result](int v) {
    *static_cast<int *>(result) = v;
    return 0;
  };
  switch (which) {
    case TVL_CALLBACK_INFO_BEST_INTEGER:
      return put_double(s.incumbent * s.objsense);
    case TVL_CALLBACK_INFO_CUTOFF:
      return put_double(s.cutoff * s.objsense);
    case TVL_CALLBACK_INFO_BEST_REMAINING:
      return put_double(s.bound * s.objsense);
    case TVL_CALLBACK_INFO_MIP_REL_GAP:
      return put_double(s.feasible ? relative_gap(s.objsense, s.incumbent * s.objsense, s.bound * s.objsense) : kNoValue);
    case TVL_CALLBACK_INFO_NODE_COUNT: return put_int(as_int(s.nodes));
    case TVL_CALLBACK_INFO_NODES_LEFT: return put_int(as_int(s.nodes_left));
    case TVL_CALLBACK_INFO_MIP_ITERATIONS: return put_int(as_int(s.iterations));
    case TVL_CALLBACK_INFO_MIP_FEAS: return put_int(s.feasible ? 1 : 0);
    default: return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  }
}

int incumbent(const CallbackData *data, double *x, int begin, int end) {
  const SearchInfo &s = *static_cast<const SearchInfo *>(data->owner);
  if (!s.feasible || !s.x) return TVLERR_NO_SOLUTION_EXISTS;
  if (begin < 0) return TVLERR_BEGIN_VALUE_IS_LESS_THAN;
  if (end >= static_cast<int>(s.x->size())) return TVLERR_END_VALUE_IS_GREATER_THAN;
  std::copy(s.x->begin() + begin, s.x->begin() + end + 1, x);
  return 0;
}

}  // namespace

bool has_info_callback(const tvlenv *env) {
  return env->callbacks && (env->callbacks->info.func || env->callbacks->mip.func);
}

int call_search_info(tvlenv *env, const SearchInfo &info) {
  CallbackData data;
  data.answer = answer;
  data.incumbent = incumbent;
  data.owner = &info;
  if (const int stop = call_mip_callback(env, &data, TVL_CALLBACK_MIP)) return stop;
  return call_info_callback(env, &data, TVL_CALLBACK_MIP);
}

}  // namespace tvl::mip
