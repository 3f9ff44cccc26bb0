// Clocks: wall-clock and processor time in seconds, and the clock a
// clock-type setting chooses.  The deterministic work counter, which
// measures deterministic time, is in runtime/workcount.h.
#pragma once

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

}  // namespace tvl
