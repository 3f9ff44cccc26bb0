// The per-thread deterministic work counter.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "runtime/workcount.h"

namespace {

TEST(WorkCounter, CountsPerThreadWithTheThreadsShift) {
  const uint64_t start = tvl::thread_work();
  tvl::work_add(5);
  EXPECT_EQ(tvl::thread_work(), start + 5);
  {
    // Shifted counts weigh 2^shift; the shift is restored on leaving.
    const tvl::WorkShift shift(2);
    EXPECT_EQ(tvl::work_shift(), 2u);
    tvl::work_add(3);
    {
      const tvl::WorkShift inner(0);
      tvl::work_add(1);
    }
    EXPECT_EQ(tvl::work_shift(), 2u);
  }
  EXPECT_EQ(tvl::work_shift(), 0u);
  EXPECT_EQ(tvl::thread_work(), start + 5 + 12 + 1);

  // Another thread starts from zero, counts on its own and leaves this
  // thread's counter alone.
  uint64_t other_start = 1, other_end = 0;
  std::thread worker([&] {
    other_start = tvl::thread_work();
    tvl::work_add(100);
    other_end = tvl::thread_work();
  });
  worker.join();
  EXPECT_EQ(other_start, 0u);
  EXPECT_EQ(other_end, 100u);
  EXPECT_EQ(tvl::thread_work(), start + 18);
}

TEST(WorkCounter, WorkSinceAddsWhatAKernelsOwnCountGrewBy) {
  uint64_t own = 1000;  // counted before: not the thread's concern here
  const uint64_t start = tvl::thread_work();
  {
    const tvl::WorkSince counted(own);
    own += 7;
    own += 3;
    EXPECT_EQ(tvl::thread_work(), start);  // added once, on leaving
  }
  EXPECT_EQ(tvl::thread_work(), start + 10);
  {
    // A kernel's own shift comes on top of the thread's.
    const tvl::WorkShift thread_shift(1);
    const tvl::WorkSince counted(own, 2);
    own += 3;
  }
  EXPECT_EQ(tvl::thread_work(), start + 10 + (3u << 3));
}

}  // namespace
