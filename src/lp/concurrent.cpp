// The concurrent LP method: the dual and the primal simplex race on copies
// of the problem in worker threads; the first decisive result is kept.
//
// Log: the dual simplex's log is streamed while the race runs (the
// caller's thread forwards it at every wake-up of its wait, at most
// kCallbackInterval apart); the primal simplex runs quietly, and its log
// is shown after the race only when its result is the one kept.
//
// Determinism (parallel modes 0 and 1): the winner is the decisive run
// with the least deterministic work, and the loser stops at its first
// progress callback past the winner's work.  Which run wins does not
// depend on thread timing: a run is only ever stopped once its work
// exceeds that of a completed decisive run, which it then could not beat.
// What the streamed log shows must not depend on it either: every logged
// message carries the work its run had done when it was sent, and the
// dual's messages are passed on only up to the primal's published work
// (below it they are shown in every outcome), up to the winner's work
// when the primal wins, and in full when the dual wins.  So the runs never
// wait for each other.
#include "lp/concurrent.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "frame/basis.h"
#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "frame/solution.h"
#include "lp/lpcomp.h"
#include "runtime/clock.h"
#include "runtime/workcount.h"
#include "simplex/worker_log.h"

namespace tvl::lp {

namespace {

// Interval at which the caller's thread calls the LP progress callback.
constexpr std::chrono::milliseconds kCallbackInterval{100};

struct Race;

// One racing optimizer: its child environment, its copy of the problem,
// its buffered log and its outcome.
struct Worker {
  int method = TVL_ALG_DUAL;
  int index = 0;                          // its place in the race
  TVLENVptr env = nullptr;
  TVLLPptr lp = nullptr;
  WorkerLog log;
  volatile int stop = 0;                  // the child's termination request
  std::atomic<int64_t> iterations{0};     // last count its progress callback saw
  // The current iterate for the caller's callback: the caller's thread asks
  // for it, the worker's next progress callback fills it in.
  std::atomic<bool> iterate_wanted{false};
  mutable std::mutex iterate_mutex;
  LpIterate iterate;
  bool has_iterate = false;
  std::atomic<uint64_t> progress{0};      // its work at its last progress callback
  std::atomic<bool> ended{false};         // its run has returned
  Worker *other = nullptr;
  int status = 0;                         // what the entry point returned
  uint64_t work = 0;                      // deterministic work it did
  uint64_t work0 = 0;                     // thread work counter at its start
  Race *race = nullptr;
  std::thread thread;
};

// Decision state shared by the workers and the caller's thread.
struct Race {
  std::mutex mutex;
  std::condition_variable done;
  int finished = 0;
  int winner = -1;
  // Deterministic mode: the winner is the decisive run with the least
  // deterministic work (ties to the lower worker index), and a run gives up
  // once its work exceeds that of the best decisive run completed so far.
  bool deterministic = false;
  std::atomic<uint64_t> bound{std::numeric_limits<uint64_t>::max()};
};

// Solution statuses after which the other workers are still given the
// chance to do better: a result with unscaled infeasibilities or the best
// point of a numerical failure.
bool decisive(int solstat) {
  return solstat != TVL_STAT_OPTIMAL_INFEAS && solstat != TVL_STAT_NUM_BEST;
}

// Sets the worker's termination request.
void request_stop(Worker &w) { __atomic_store_n(&w.stop, 1, __ATOMIC_RELAXED); }

// Progress callback installed in every worker's environment: records the
// iteration count for the caller's thread.  In deterministic mode it stops
// a run whose work already exceeds that of a completed decisive run (such a
// run can no longer win); otherwise the limit check does the stopping.
int track_iterations(TVLCENVptr env, void *cbdata, int wherefrom, void *handle) {
  Worker &w = *static_cast<Worker *>(handle);
  long long its = 0;
  if (TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_ITCOUNT_LONG, &its) == 0) {
    w.iterations.store(its, std::memory_order_relaxed);
  }
  LpIterate it;
  if (w.iterate_wanted.exchange(false, std::memory_order_relaxed) && lp_progress_iterate(cbdata, it)) {
    std::lock_guard<std::mutex> guard(w.iterate_mutex);
    w.iterate = it;
    w.has_iterate = true;
  }
  if (!w.race->deterministic) return 0;
  const uint64_t mine = thread_work() - w.work0;
  w.progress.store(mine);
  return mine > w.race->bound.load();
}

// Child environment and problem copy of a worker, made on the caller's
// thread (both touch the caller's resource list).
int prepare(TVLENVptr env, TVLLPptr lp, Worker &w) {
  int st = 0;
  w.env = TVLparenv(env, &st);
  if (!w.env) return -st;
  if ((st = w.log.attach(w.env)) != 0) return st;
  double seconds = kNoValue, ticks = kNoValue;
  run_remaining(env, &seconds, &ticks);
  if (seconds < param_dbl(env, TVL_PARAM_TILIM)) TVLsetdblparam(w.env, TVL_PARAM_TILIM, seconds);
  if (ticks < param_dbl(env, kParamDetTimeLimit)) TVLsetdblparam(w.env, kParamDetTimeLimit, ticks);
  TVLsetterminate(w.env, &w.stop);
  TVLsetlpcallbackfunc(w.env, track_iterations, &w);
  w.lp = TVLcloneprob(w.env, lp, &st);
  if (!w.lp) return -st;
  if (lp->basis && !(w.lp->basis = basis_clone(lp->basis))) return TVLERR_OUT_OF_MEMORY;
  return 0;
}

void release(TVLENVptr env, Worker &w) {
  if (w.lp) TVLfreeprob(w.env, &w.lp);
  if (w.env) TVLfreeparenv(env, &w.env);
}

// Body of a worker thread: runs its entry point, then takes part in the
// decision.  The first worker that completes with a decisive status wins
// and stops the others.
// Deterministic mode: whether a decisive run with `work` beats the current
// winner (less work, ties to the lower index).  A run that stopped itself
// because it exceeded the bound has more work than the winner, so it never
// beats it.
bool beats(const Worker *workers, int self, uint64_t work, int winner) {
  if (winner < 0) return true;
  const uint64_t best = workers[winner].work;
  return work < best || (work == best && self < winner);
}

void run_worker(Worker *workers, int count, int self, Race *race) {
  Worker &w = workers[self];
  w.work0 = thread_work();
  w.log.start_stamps();
  const int st = w.method == TVL_ALG_PRIMAL ? TVLprimopt(w.env, w.lp) : TVLdualopt(w.env, w.lp);
  const bool wins = st == 0 && decisive(TVLgetstat(w.env, w.lp));
  std::lock_guard<std::mutex> lock(race->mutex);
  w.status = st;
  w.work = thread_work() - w.work0;
  w.ended.store(true);
  ++race->finished;
  if (race->deterministic) {
    if (wins && beats(workers, self, w.work, race->winner)) {
      race->winner = self;
      race->bound.store(w.work, std::memory_order_relaxed);
    }
  } else if (wins && race->winner < 0) {
    race->winner = self;
    for (int k = 0; k < count; ++k)
      if (k != self) request_stop(workers[k]);
  }
  race->done.notify_all();
}

// Work up to which the streamed worker's messages are shown in every
// outcome (see the file comment): while the other run goes on, its
// published work (it may still win, with at least that much work); once
// it has ended, its work if it is the winner so far, else everything.
// Called with the race's mutex held, so that an ended worker's work and
// the winner are read together.
uint64_t stream_limit(const Race &race, const Worker &streamed) {
  if (!race.deterministic) return UINT64_MAX;
  const Worker &o = *streamed.other;
  if (!o.ended.load()) return o.progress.load();
  return race.winner == o.index ? o.work : UINT64_MAX;
}

// Sends what the streamed worker logged since the last call, up to work
// `limit`, to the caller's channels and pushes it through buffered streams.
void stream_log(TVLENVptr env, Worker &streamed, uint64_t limit) {
  if (streamed.log.forward(env, limit) == 0) return;
  TVLCHANNELptr results = nullptr, log = nullptr;
  TVLgetchannels(env, &results, nullptr, nullptr, &log);
  TVLflushchannel(env, log);
  TVLflushchannel(env, results);
}

// Waits for the decision on the caller's thread, streaming the first
// worker's log and calling the caller's LP progress callback at
// intervals; a nonzero answer stops every worker.
void await_decision(TVLENVptr env, TVLLPptr lp, Worker *workers, int count, Race &race) {
  LpProgress progress;
  lp_progress_init(progress);
  progress.lp = lp;
  // The dual worker's iterate as its last progress callback recorded it
  // (at most one callback interval old).
  progress.source = &workers[0];
  progress.describe = [](const void *source, LpIterate &out) {
    const Worker &w = *static_cast<const Worker *>(source);
    std::lock_guard<std::mutex> guard(w.iterate_mutex);
    out = w.iterate;
    return w.has_iterate;
  };
  std::unique_lock<std::mutex> lock(race.mutex);
  bool stopped = false;
  workers[0].iterate_wanted.store(true, std::memory_order_relaxed);
  while ((race.deterministic || race.winner < 0) && race.finished < count) {
    const bool woken = race.done.wait_for(lock, kCallbackInterval) == std::cv_status::no_timeout;
    const uint64_t limit = stream_limit(race, workers[0]);
    lock.unlock();
    stream_log(env, workers[0], limit);
    lock.lock();
    if (woken || stopped) continue;
    workers[0].iterate_wanted.store(true, std::memory_order_relaxed);
    progress.iterations = workers[0].iterations.load(std::memory_order_relaxed);
    lock.unlock();
    const int answer = call_lp_callback(env, TVL_CALLBACK_DUAL, progress);
    lock.lock();
    if (answer != 0) {
      stopped = true;
      for (int k = 0; k < count; ++k) request_stop(workers[k]);
    }
  }
}

// The worker whose result is kept: the winner, else the first (in worker
// order) that completed its run, else the first.
int pick_result(const Worker *workers, int count, int winner) {
  if (winner >= 0) return winner;
  for (int k = 0; k < count; ++k)
    if (workers[k].status == 0) return k;
  return 0;
}

const char *method_name(int method) {
  return method == TVL_ALG_PRIMAL ? "primal simplex" : "dual simplex";
}

// Moves the kept worker's solution record and basis (if any) into the
// caller's problem; the log of a quiet worker is shown now, after a line
// naming it.  Returns the worker's status, negated when its message has
// already been printed (it is part of the forwarded log).
int adopt(TVLENVptr env, TVLLPptr lp, Worker &w, bool streamed) {
  const bool display = param_int(env, TVL_PARAM_SIMDISPLAY) != 0;
  if (!streamed) {
    if (display) msg_log(env, "\nConcurrent optimizer: log of the %s, which is kept:\n", method_name(w.method));
    w.log.forward(env);
  }
  work_add(w.work);
  // A failed run may still have stored a status (a presolve verdict).
  discard_derived(lp, kDropSolution | kDropBasis | kDropFactor);
  lp->soln = std::exchange(w.lp->soln, nullptr);
  lp->basis = std::exchange(w.lp->basis, nullptr);
  if (w.status != 0) return -w.status;
  if (display) msg_log(env, "Concurrent optimizer: %s finished first.\n", method_name(w.method));
  return 0;
}

int race(TVLENVptr env, TVLLPptr lp) {
  constexpr int kCount = 2;
  Worker workers[kCount];
  workers[0].method = TVL_ALG_DUAL;
  workers[1].method = TVL_ALG_PRIMAL;
  workers[0].other = &workers[1];
  workers[1].other = &workers[0];
  workers[1].index = 1;
  int st = 0;
  for (int k = 0; k < kCount && st == 0; ++k) st = prepare(env, lp, workers[k]);
  Race state;
  // Parallel mode -1 is opportunistic (the first decisive run wins);
  // automatic (0) and deterministic (1) pick the winner by work.
  state.deterministic = param_int(env, TVL_PARAM_PARALLELMODE) != -1;
  for (Worker &w : workers) w.race = &state;
  if (st == 0 && param_int(env, TVL_PARAM_SIMDISPLAY) != 0) {
    msg_log(env, "Concurrent optimizer: %s and %s in parallel; the log below is the %s's.\n",
            method_name(workers[0].method), method_name(workers[1].method), method_name(workers[0].method));
  }
  int started = 0;
  for (; st == 0 && started < kCount; ++started) {
    try {
      workers[started].thread = std::thread(run_worker, workers, kCount, started, &state);
    } catch (...) {  // no thread (std::system_error) or no memory for it
      st = TVLERR_FAILED_TO_CREATE_PARALLEL_THREAD;
    }
  }
  if (st != 0) {
    // The workers already running are stopped and their results dropped.
    for (int k = 0; k < started; ++k) request_stop(workers[k]);
  } else {
    await_decision(env, lp, workers, kCount, state);
    for (Worker &w : workers) request_stop(w);
  }
  for (int k = 0; k < started; ++k) workers[k].thread.join();
  if (st == 0) {
    stream_log(env, workers[0], stream_limit(state, workers[0]));
    const int kept = pick_result(workers, kCount, state.winner);
    st = adopt(env, lp, workers[kept], kept == 0);
  }
  for (Worker &w : workers) release(env, w);
  return st;
}

// Whether this call can race: enough threads, and a caller that may create
// two more child environments.
bool can_race(const tvlenv *env) {
  return lp_threads(env) >= 2 && !env->parent && env->nchildren + 2 <= env->maxchildren;
}

}  // namespace

int concurrent_opt(tvlenv *env, tvllp *lp) {
  if (!can_race(env)) return -TVLdualopt(env, lp);
  try {
    return race(env, lp);
  } catch (const std::bad_alloc &) {
    return TVLERR_OUT_OF_MEMORY;
  }
}

}  // namespace tvl::lp
