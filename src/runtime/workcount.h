// Deterministic work counter of the calling thread.
//
// Every numerical kernel (factorization and solves, pricing, ratio tests,
// pivot rows, presolve and scaling passes, ...) adds its operation count, a
// small multiple of the entries it touched, to the counter of the thread
// that runs it.  Deterministic time limits and the concurrent optimizer's
// choice of winner read these counters: they advance with the work done,
// not with the clock, so repeated runs on the same input with the same
// parameters stop at the same point whatever the machine load.
//
// Reading.  The counter only grows; its absolute value depends on what the
// thread did before, so a reader takes differences.  The work of a call is
// `thread_work()` after it minus `thread_work()` before it, taken on the
// thread that made the call.  A deterministic limit is a counter value:
// the run scope of a public call (frame/callback.h) sets
// work_limit = thread_work() at its start + ticks * kWorkPerTick and the
// limit check stops the run (status 900) once thread_work() reaches it.
// A periodic reader (a log line every so many work units) keeps the value
// at its last report and compares differences in the same way.  Ticks are
// kWorkPerTick units; convert only for display and parameters.
//
// Threads.  The counter is thread-local and a new thread's starts at zero:
// each worker counts its own work and no add needs an atomic or a lock.  A
// thread never sees another's counter.  A parent that hands work to child
// threads therefore
//   - gives each child its share of any deterministic limit through the
//     child environment's own parameter (run_remaining in frame/callback.h
//     gives what is left of the parent's run),
//   - has each child record its own difference (thread_work() at its end
//     minus at its start) where the parent can read it after joining, and
//   - adds what it wants to account for to its own counter with work_add,
//     on its own thread (the concurrent optimizer adds the work of the run
//     it keeps; a deterministic parallel search would add its workers' work
//     at its synchronisation points, in worker order, so that the sum does
//     not depend on timing).
// Decisions between threads must compare these recorded differences, never
// the clock, to stay deterministic.
//
// Adding.  Kernels accumulate their count in a local integer and add it
// once per call (or per loop), never per entry.  Each counter carries a
// shift: an added count is multiplied by 2^shift.  Shift 0 (the default)
// counts operations as they are; a caller whose work on this thread should
// weigh more (a sub-solve run in extended precision, whose arithmetic costs
// about twice as much) raises it for a scope with WorkShift.
#pragma once

#include <cstdint>

namespace tvl {

// Work units counted by the calling thread since it started.
uint64_t thread_work();

// Adds `ops` operations, scaled by the thread's shift, to its counter.
void work_add(uint64_t ops);

// Current shift of the calling thread's counter.
unsigned work_shift();

// Work units per deterministic tick (the unit of deterministic time limits).
inline constexpr double kWorkPerTick = 1.0e6;

// Sets the calling thread's shift for the lifetime of the object.
class WorkShift {
 public:
  explicit WorkShift(unsigned shift);
  ~WorkShift();
  WorkShift(const WorkShift &) = delete;
  WorkShift &operator=(const WorkShift &) = delete;

 private:
  unsigned saved_;
};

// For kernels that keep a running count of their own (it drives their own
// decisions, such as when to refactorize): adds to the thread's counter,
// when it goes out of scope, what that count grew by since construction,
// multiplied by 2^shift (a kernel whose operations cost more, such as
// extended-precision arithmetic, passes its own shift on top of the
// thread's).  One per public entry point of such a kernel; keep it out of
// functions with hot loops, whose registers a destructor can cost.
class WorkSince {
 public:
  explicit WorkSince(const uint64_t &count, unsigned shift = 0) : count_(count), start_(count), shift_(shift) {}
  ~WorkSince() { work_add((count_ - start_) << shift_); }
  WorkSince(const WorkSince &) = delete;
  WorkSince &operator=(const WorkSince &) = delete;

 private:
  const uint64_t &count_;
  uint64_t start_;
  unsigned shift_;
};

}  // namespace tvl
