// Callback registrations, termination and the limit check.
#include "frame/callback.h"

#include <algorithm>
#include <new>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "runtime/alloc.h"
#include "runtime/clock.h"
#include "runtime/workcount.h"

namespace tvl {

// Hidden parameter holding the deterministic time limit in ticks.

CallbackState *callbacks_of(tvlenv *env) {
  if (!env->callbacks) {
    void *mem = mem_alloc(sizeof(CallbackState));
    if (!mem) return nullptr;
    env->callbacks = new (mem) CallbackState();
  }
  return env->callbacks;
}

int callbacks_clone(const tvlenv *src, tvlenv *dst) {
  if (!src->callbacks) return 0;
  CallbackState *state = callbacks_of(dst);
  if (!state) return TVLERR_OUT_OF_MEMORY;
  *state = *src->callbacks;
  state->run = nullptr;
  return 0;
}

void callbacks_free(tvlenv *env) {
  if (!env->callbacks) return;
  env->callbacks->~CallbackState();
  mem_free(env->callbacks);
}

// ---------------------------------------------------------------- run scope

RunScope::RunScope(tvlenv *env) : env_(env), state_(callbacks_of(env)) {
  clock_.start = env_time(env);
  clock_.last = clock_.start;
  double tilim = param_dbl(env, TVL_PARAM_TILIM);
  if (tilim < kNoValue) clock_.deadline = clock_.start + tilim;
  double ticks = param_dbl(env, kParamDetTimeLimit);
  if (ticks < kNoValue) {
    double units = static_cast<double>(thread_work()) + ticks * kWorkPerTick;
    clock_.work_limit = units >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(units);
  }
  if (!state_) return;  // out of memory: the run goes without limits
  if (RunClock *outer = state_->run) {
    clock_.deadline = std::min(clock_.deadline, outer->deadline);
    clock_.work_limit = std::min(clock_.work_limit, outer->work_limit);
    clock_.outer = outer;
  }
  state_->run = &clock_;
}

RunScope::~RunScope() {
  if (state_ && state_->run == &clock_) state_->run = clock_.outer;
}

double RunScope::elapsed() const { return env_time(env_) - clock_.start; }

void run_remaining(const tvlenv *env, double *seconds, double *ticks) {
  *seconds = kNoValue;
  *ticks = kNoValue;
  const RunClock *rc = env->callbacks ? env->callbacks->run : nullptr;
  if (!rc) return;
  if (rc->deadline < kNoValue) *seconds = std::max(0.0, rc->deadline - env_time(env));
  if (rc->work_limit != UINT64_MAX) {
    const uint64_t used = std::min(thread_work(), rc->work_limit);
    *ticks = static_cast<double>(rc->work_limit - used) / kWorkPerTick;
  }
}

// -------------------------------------------------------------- limit check

namespace {

// Steps 1 and 2 of the check: the deadline (reading the clock only when
// enough time may have passed) and the deterministic work limit.
int check_run_clock(const tvlenv *env, RunClock *rc) {
  if (rc->deadline < kNoValue) {
    // A deadline once seen passed stays passed.  The clock is read on only
    // some checks, and the check that reads it may belong to a caller that
    // merely stops its own step (a dive's LP); every later check must
    // still report the limit, or the run goes on until the next reading.
    if (rc->last > rc->deadline) return 11;
    if (rc->checks >= 2100000000) {
      rc->checks /= 2;
      rc->checks_at_last /= 2;
      rc->start = 0.5 * (rc->start + rc->last);
    } else {
      ++rc->checks;
    }
    bool read = true;
    if (rc->checks >= 100 && rc->checks % 1000 != 0) {
      double per_check = (rc->last - rc->start) / static_cast<double>(rc->checks_at_last + 1);
      read = per_check * static_cast<double>(rc->checks - rc->checks_at_last) > 0.1;
    }
    if (read) {
      double now = env_time(env);
      rc->last = now;
      rc->checks_at_last = rc->checks;
      if (now > rc->deadline) return 11;
    }
  }
  if (rc->work_limit != UINT64_MAX && thread_work() >= rc->work_limit) return 900;
  return 0;
}

int check_env_clock(const tvlenv *env) {
  CallbackState *state = env->callbacks;
  if (!state || !state->run) return 0;
  return check_run_clock(env, state->run);
}

// The parent's deadline as seen from a child environment.  Several workers
// may check the same parent at once, so its clock record is only read,
// never updated.  The child's own latest reading is compared when it has a
// deadline of its own; otherwise the clock is read.  The parent's work
// limit counts the parent thread's work, which a worker cannot see; the
// remaining work is handed to the worker's own parameters instead
// (run_remaining).
int check_parent_clock(const tvlenv *env) {
  const CallbackState *up = env->parent->callbacks;
  if (!up || !up->run || up->run->deadline >= kNoValue) return 0;
  const RunClock *own = env->callbacks ? env->callbacks->run : nullptr;
  // The child's latest reading (it only grows, so a passed deadline stays
  // passed), or the clock when the child has no deadline of its own.
  const double now = own && own->deadline < kNoValue ? own->last : env_time(env);
  return now > up->run->deadline ? 11 : 0;
}

// Step 4 and 5: the termination function, then the termination request.
int check_termination(const tvlenv *env, bool *decided) {
  *decided = false;
  const CallbackState *state = env->callbacks;
  if (!state) return 0;
  if (state->term_func) {
    *decided = true;
    return state->term_func(env);
  }
  // The request may be set from another thread while workers poll it.
  if (state->terminate && __atomic_load_n(state->terminate, __ATOMIC_RELAXED)) {
    *decided = true;
    return 13;
  }
  return 0;
}

}  // namespace

int limit_check(const tvlenv *env) {
  if (int st = check_env_clock(env)) return st;
  bool decided = false;
  int st = check_termination(env, &decided);
  if (decided) return st;
  if (!env->parent) return 0;
  if (int pst = check_parent_clock(env)) return pst;
  for (const tvlenv *up = env->parent; up; up = up->parent) {
    int ust = check_termination(up, &decided);
    if (decided) return ust;
  }
  return 0;
}

// --------------------------------------------------------- LP progress data

namespace {

// Items 1 to 6: the current iterate's values, computed on request.
int answer_iterate(const LpProgress &progress, int which, void *result) {
  LpIterate it;
  if (!progress.describe || !progress.describe(progress.source, it))
    return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  switch (which) {
    case TVL_CALLBACK_INFO_PRIMAL_OBJ: *static_cast<double *>(result) = it.primal_obj; break;
    case TVL_CALLBACK_INFO_DUAL_OBJ: *static_cast<double *>(result) = it.dual_obj; break;
    case TVL_CALLBACK_INFO_PRIMAL_INFMEAS: *static_cast<double *>(result) = it.primal_infeas; break;
    case TVL_CALLBACK_INFO_DUAL_INFMEAS: *static_cast<double *>(result) = it.dual_infeas; break;
    case TVL_CALLBACK_INFO_PRIMAL_FEAS: *static_cast<int *>(result) = it.primal_feas; break;
    default: *static_cast<int *>(result) = it.dual_feas; break;
  }
  return 0;
}

int lp_answer(const CallbackData *data, int /*wherefrom*/, int which, void *result) {
  const auto *progress = static_cast<const LpProgress *>(data->owner);
  switch (which) {
    case TVL_CALLBACK_INFO_PRIMAL_OBJ:
    case TVL_CALLBACK_INFO_DUAL_OBJ:
    case TVL_CALLBACK_INFO_PRIMAL_INFMEAS:
    case TVL_CALLBACK_INFO_DUAL_INFMEAS:
    case TVL_CALLBACK_INFO_PRIMAL_FEAS:
    case TVL_CALLBACK_INFO_DUAL_FEAS:
      return answer_iterate(*progress, which, result);
    case TVL_CALLBACK_INFO_ITCOUNT:
      *static_cast<int *>(result) =
          static_cast<int>(std::min<int64_t>(progress->iterations, 2100000000));
      return 0;
    case TVL_CALLBACK_INFO_ITCOUNT_LONG:
      *static_cast<long long *>(result) = progress->iterations;
      return 0;
    case TVL_CALLBACK_INFO_ENDTIME:
      *static_cast<double *>(result) = progress->deadline;
      return 0;
    case TVL_CALLBACK_INFO_USER_PROBLEM:
      *static_cast<TVLCLPptr *>(result) = progress->lp;
      return 0;
    default:
      return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  }
}

}  // namespace

bool lp_progress_iterate(const void *cbdata, LpIterate &out) {
  const auto *data = static_cast<const CallbackData *>(cbdata);
  if (!data || data->answer != lp_answer) return false;
  const auto *progress = static_cast<const LpProgress *>(data->owner);
  return progress->describe && progress->describe(progress->source, out);
}

void lp_progress_init(LpProgress &progress) {
  progress.data.answer = lp_answer;
  progress.data.owner = &progress;
}

int call_lp_callback(const tvlenv *env, int wherefrom, LpProgress &progress) {
  const CallbackState *state = env->callbacks;
  if (!state || !state->lp.func) return 0;
  return state->lp.func(env, &progress.data, wherefrom, state->lp.handle);
}

int call_mip_callback(const tvlenv *env, CallbackData *data, int wherefrom) {
  const CallbackState *state = env->callbacks;
  if (!state || !state->mip.func) return 0;
  return state->mip.func(env, data, wherefrom, state->mip.handle);
}

int call_info_callback(tvlenv *env, CallbackData *data, int wherefrom) {
  const CallbackState *state = env->callbacks;
  if (!state || !state->info.func) return 0;
  auto *root = const_cast<tvlenv *>(root_env(env));
  const bool was_inside = root->in_info_callback;
  root->in_info_callback = true;
  int result = state->info.func(env, data, wherefrom, state->info.handle);
  root->in_info_callback = was_inside;
  return result;
}

}  // namespace tvl
