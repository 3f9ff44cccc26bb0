// Callback registrations, the termination request and the limit check.
//
// Each environment carries one CallbackState (env->callbacks): the callback
// functions with their caller handles, the caller's termination integer and
// termination function, and the clock record of the run in progress.  The
// optimizers push a RunScope around each run and call limit_check() in
// their loops; it answers 0 to go on or the solution status to stop with
// (11 time limit, 900 deterministic time limit, 13 user abort, or the
// termination function's result).
#pragma once

#include <cstdint>

#include "frame/infinity.h"
#include "tavlo.h"

namespace tvl {

struct CallbackSlot {
  TVLcallbackfunc func = nullptr;
  void *handle = nullptr;
};

// Clock record of a run.  Records nest: a run started inside another run
// refers to the enclosing record and never outlives it.
struct RunClock {
  double deadline = kNoValue;           // clock time at which the run must stop
  double start = 0.0;               // clock time at the start of the run
  double last = 0.0;                // time of the last clock reading
  int64_t checks = 0;               // limit checks made
  int64_t checks_at_last = 0;       // checks made at the last reading
  uint64_t work_limit = UINT64_MAX; // thread work counter value at which to stop
  RunClock *outer = nullptr;
};

struct CallbackState {
  CallbackSlot lp, prof, tuning, mip, info, net;
  volatile int *terminate = nullptr;     // caller's termination request
  TVLterminatefunc term_func = nullptr;  // caller's termination function
  RunClock *run = nullptr;               // innermost run in progress
};

// The environment's state, created on first use; nullptr when out of memory.
CallbackState *callbacks_of(tvlenv *env);
// Registrations copied into a child environment (the run records are not).
int callbacks_clone(const tvlenv *src, tvlenv *dst);
// Frees the environment's state (called when the environment is closed).
void callbacks_free(tvlenv *env);

// Pushes a clock record for the lifetime of the object: the deadline and
// work limit are the smaller of the environment's own (TVL_PARAM_TILIM,
// deterministic limit) and what remains of an enclosing run.
class RunScope {
 public:
  explicit RunScope(tvlenv *env);
  ~RunScope();
  RunScope(const RunScope &) = delete;
  RunScope &operator=(const RunScope &) = delete;
  double start() const { return clock_.start; }
  // Clock time at which the run must stop (kNoValue: no time limit).
  double deadline() const { return clock_.deadline; }
  double elapsed() const;

 private:
  tvlenv *env_;
  CallbackState *state_;
  RunClock clock_;
};

// What remains of the innermost run in progress on `env`: seconds on the
// environment's clock and deterministic ticks; kNoValue for each that has no
// limit (or when no run is in progress).
void run_remaining(const tvlenv *env, double *seconds, double *ticks);

// The limit and termination check polled by every optimizer loop.
int limit_check(const tvlenv *env);

// Context handed to callbacks as their callback data: the optimizer that
// calls answers TVLgetcallbackinfo through `answer`.
struct CallbackData {
  // Returns 0 and stores the item, 1003 when the context lacks it.
  int (*answer)(const CallbackData *data, int wherefrom, int which, void *result) = nullptr;
  // Copies columns begin..end of the optimizer's incumbent into x
  // (TVLgetcallbackincumbent); null where the context has no incumbent.
  int (*incumbent)(const CallbackData *data, double *x, int begin, int end) = nullptr;
  const void *owner = nullptr;
};

// The current iterate of a continuous optimizer as the information items 1
// to 6 of the LP callback report it: objectives in the caller's sense,
// infeasibility sums, and whether each lies within the run's tolerances.
struct LpIterate {
  double primal_obj = 0.0, dual_obj = 0.0;
  double primal_infeas = 0.0, dual_infeas = 0.0;
  int primal_feas = 0, dual_feas = 0;
};

// Progress of a continuous optimizer, answered to the LP callback.  The
// iterate's values cost a pass over the variables, so the optimizer hands
// over a way to compute them (`describe` applied to `source`) rather than
// the values; without it (presolve), or when it answers false, the items 1
// to 6 are not provided.
struct LpProgress {
  CallbackData data;
  int64_t iterations = 0;
  double start_time = 0.0;
  double deadline = kNoValue;
  TVLCLPptr lp = nullptr;
  const void *source = nullptr;
  bool (*describe)(const void *source, LpIterate &out) = nullptr;  // false: none yet
};

// The current iterate of the optimizer whose callback data `cbdata` is (as
// handed to an LP callback); false when it provides none.
bool lp_progress_iterate(const void *cbdata, LpIterate &out);
void lp_progress_init(LpProgress &progress);

// Calls the LP progress callback, if any, from context `wherefrom`;
// returns its result (nonzero asks the optimizer to stop).
int call_lp_callback(const tvlenv *env, int wherefrom, LpProgress &progress);

// Calls the MIP progress callback, if any, from context `wherefrom`;
// returns its result (nonzero asks the optimizer to stop).
int call_mip_callback(const tvlenv *env, CallbackData *data, int wherefrom);

// Runs the informational callback, if any, with the environment marked as
// inside it (library calls other than the permitted queries answer 1804).
int call_info_callback(tvlenv *env, CallbackData *data, int wherefrom);

}  // namespace tvl
