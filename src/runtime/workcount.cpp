// Deterministic work counter of the calling thread.
#include "runtime/workcount.h"

namespace tvl {

namespace {

// Shifts beyond this would overflow the counter on ordinary counts.
constexpr unsigned kMaxShift = 16;

struct WorkCounter {
  uint64_t units = 0;
  unsigned shift = 0;
};

thread_local WorkCounter t_counter;

}  // namespace

uint64_t thread_work() { return t_counter.units; }

void work_add(uint64_t ops) { t_counter.units += ops << t_counter.shift; }

unsigned work_shift() { return t_counter.shift; }

WorkShift::WorkShift(unsigned shift) : saved_(t_counter.shift) {
  t_counter.shift = shift < kMaxShift ? shift : kMaxShift;
}

WorkShift::~WorkShift() { t_counter.shift = saved_; }

}  // namespace tvl
