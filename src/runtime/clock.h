// Clocks and the deterministic work counter.
//
// Wall-clock and processor time in seconds, the clock a clock-type setting
// chooses, and a per-thread counter of work units that the
// numerical kernels advance.  Deterministic time limits are measured in
// that counter, so repeated runs with the same input stop at the same
// point whatever the machine load.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl {

// Seconds since the epoch with microsecond resolution.
double wall_seconds();

// User time of the process in seconds (clock ticks / ticks per second).
double cpu_seconds();

// Larger of 1 and the smaller of 16 and the number of online processors.
int thread_limit();

// Time on the clock of a clock-type setting: processor time for 1,
// wall-clock time for 2, and for 0 processor time when only one thread can
// run (`threads` 1 or a thread limit of 1), wall-clock otherwise.
double clock_seconds(int clocktype, int threads);

// Work units counted by the calling thread since it started.
uint64_t thread_work();
void work_add(uint64_t units);

// Work units per deterministic tick (the unit of deterministic time limits).
inline constexpr double kWorkPerTick = 1.0e6;

}  // namespace tvl
