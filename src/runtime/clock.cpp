// Clocks.
#include "runtime/clock.h"

#include <sys/time.h>
#include <sys/times.h>
#include <unistd.h>

#include <algorithm>

namespace tvl {

namespace {

long ticks_per_second() {
  static const long ticks = [] {
    long t = sysconf(_SC_CLK_TCK);
    return t > 0 ? t : 100L;
  }();
  return ticks;
}

}  // namespace

double wall_seconds() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return static_cast<double>(tv.tv_sec) + 1e-6 * static_cast<double>(tv.tv_usec);
}

double cpu_seconds() {
  struct tms t;
  times(&t);
  return static_cast<double>(t.tms_utime) / static_cast<double>(ticks_per_second());
}

int thread_limit() {
  static const int limit = [] {
    long procs = sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<int>(std::max(1L, std::min(16L, procs)));
  }();
  return limit;
}

double clock_seconds(int clocktype, int threads) {
  if (clocktype == 0) clocktype = thread_limit() == 1 || threads == 1 ? 1 : 2;
  return clocktype == 1 ? cpu_seconds() : wall_seconds();
}

}  // namespace tvl
