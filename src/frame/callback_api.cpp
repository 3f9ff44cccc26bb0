// Public callback, termination and clock functions.
#include "frame/callback.h"
#include "frame/env.h"
#include "frame/error.h"

namespace {

using tvl::CallbackSlot;
using tvl::CallbackState;

int set_slot(TVLENVptr env, CallbackSlot CallbackState::*slot, TVLcallbackfunc func,
             void *handle) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  CallbackState *state = tvl::callbacks_of(env);
  if (!state) return tvl::boundary(env, TVLERR_OUT_OF_MEMORY);
  (state->*slot).func = func;
  (state->*slot).handle = handle;
  return 0;
}

int get_slot(TVLCENVptr env, CallbackSlot CallbackState::*slot, TVLcallbackfunc *func_p,
             void **handle_p) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  const CallbackState *state = env->callbacks;
  if (func_p) *func_p = state ? (state->*slot).func : nullptr;
  if (handle_p) *handle_p = state ? (state->*slot).handle : nullptr;
  return 0;
}

// Informational callbacks may ask only these contexts and items.
bool info_allowed(int wherefrom, int which) {
  const bool context = wherefrom == 101 || (wherefrom >= 107 && wherefrom <= 111);
  if (!context) return false;
  if (which == 19 || (which >= 101 && which <= 106) || which == 109) return true;
  switch (which) {
    case 113: case 114: case 116: case 118: case 121: case 123: case 125:
      return true;
    default:
      return which >= 127 && which <= 132;
  }
}

}  // namespace

extern "C" {

int TVLsetlpcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::lp, callback, cbhandle);
}
int TVLgetlpcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p) {
  return get_slot(env, &CallbackState::lp, callback_p, cbhandle_p);
}
int TVLsetprofcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::prof, callback, cbhandle);
}
int TVLsettuningcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::tuning, callback, cbhandle);
}
int TVLgettuningcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p) {
  return get_slot(env, &CallbackState::tuning, callback_p, cbhandle_p);
}
int TVLsetmipcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::mip, callback, cbhandle);
}
int TVLgetmipcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p) {
  return get_slot(env, &CallbackState::mip, callback_p, cbhandle_p);
}
int TVLsetinfocallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::info, callback, cbhandle);
}
int TVLgetinfocallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p) {
  return get_slot(env, &CallbackState::info, callback_p, cbhandle_p);
}
int TVLsetnetcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle) {
  return set_slot(env, &CallbackState::net, callback, cbhandle);
}
int TVLgetnetcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p) {
  return get_slot(env, &CallbackState::net, callback_p, cbhandle_p);
}

int TVLsetterminate(TVLENVptr env, volatile int *terminate_p) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  CallbackState *state = tvl::callbacks_of(env);
  if (!state) return tvl::boundary(env, TVLERR_OUT_OF_MEMORY);
  state->terminate = terminate_p;
  return 0;
}

int TVLEsetterminatefunc(TVLENVptr env, TVLterminatefunc terminatefunc) {
  int st = tvl::check_env(env);
  if (st) return tvl::boundary(env, st);
  CallbackState *state = tvl::callbacks_of(env);
  if (!state) return tvl::boundary(env, TVLERR_OUT_OF_MEMORY);
  state->term_func = terminatefunc;
  return 0;
}

int TVLgettime(TVLCENVptr env, double *timestamp) {
  int st = tvl::check_env(env);
  if (st == TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK) st = 0;
  if (!st && !timestamp) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (st) return tvl::boundary(env, st);
  *timestamp = tvl::env_time(env);
  return 0;
}

int TVLgetcallbackinfo(TVLCENVptr env, void *cbdata, int wherefrom, int whichinfo,
                       void *result_p) {
  int st = tvl::check_env(env);
  if (st == TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK) st = 0;
  if (st) return tvl::boundary(env, st);
  if (tvl::root_env(env)->in_info_callback && !info_allowed(wherefrom, whichinfo)) {
    return tvl::boundary(env, TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK);
  }
  if (!result_p) return tvl::boundary(env, TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  const bool known = (wherefrom >= 1 && wherefrom <= 19) || (wherefrom >= 101 && wherefrom <= 132);
  if (!known) return tvl::boundary(env, TVLERR_ERROR_DURING_CALLBACK);
  const auto *data = static_cast<const tvl::CallbackData *>(cbdata);
  if (!data || !data->answer) {
    return tvl::boundary(env, TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  }
  return tvl::boundary(env, data->answer(data, wherefrom, whichinfo, result_p));
}

int TVLgetcallbackincumbent(TVLCENVptr env, void *cbdata, int wherefrom, double *x, int begin,
                            int end) {
  int st = tvl::check_env(env);
  if (st == TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK) st = 0;
  if (st) return tvl::boundary(env, st);
  if (!x) return tvl::boundary(env, TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  const auto *data = static_cast<const tvl::CallbackData *>(cbdata);
  if (wherefrom != TVL_CALLBACK_MIP || !data || !data->incumbent)
    return tvl::boundary(env, TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  if (begin > end) return 0;
  return tvl::boundary(env, data->incumbent(data, x, begin, end));
}

}  // extern "C"
