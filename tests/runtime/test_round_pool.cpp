// Lockstep rounds: every body runs once per round, the caller's on the
// caller's thread and each helper's always on the same thread of its own,
// whose work counter holds that helper's work alone.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "runtime/round_pool.h"
#include "runtime/workcount.h"

TEST(RoundPool, RunsEveryBodyOncePerRoundOnAThreadOfItsOwn) {
  constexpr int kHelpers = 3, kRounds = 50;
  std::vector<int> runs(kHelpers + 1, 0);
  std::vector<std::thread::id> thread_of(kHelpers + 1);
  std::vector<uint64_t> work_seen(kHelpers + 1, 0);
  bool same_thread = true, work_isolated = true;
  int round = 0;
  {
    tvl::RoundPool pool(kHelpers, [&](int k) {
      const size_t i = static_cast<size_t>(k);
      // Each body sees the round the caller started, never an old one.
      if (runs[i] != round) same_thread = false;
      if (runs[i]++ == 0) thread_of[i] = std::this_thread::get_id();
      else if (thread_of[i] != std::this_thread::get_id()) same_thread = false;
      if (k == 0) return;
      // A helper's counter grows by its own additions only.
      const uint64_t before = tvl::thread_work();
      if (before != work_seen[i]) work_isolated = false;
      tvl::work_add(static_cast<uint64_t>(k));
      work_seen[i] = tvl::thread_work();
    });
    EXPECT_EQ(pool.helpers(), kHelpers);
    for (round = 0; round < kRounds; ++round) pool.run_round();
  }
  for (int k = 0; k <= kHelpers; ++k) EXPECT_EQ(runs[static_cast<size_t>(k)], kRounds) << k;
  EXPECT_EQ(thread_of[0], std::this_thread::get_id());
  for (int a = 0; a <= kHelpers; ++a)
    for (int b = a + 1; b <= kHelpers; ++b) EXPECT_NE(thread_of[static_cast<size_t>(a)], thread_of[static_cast<size_t>(b)]);
  EXPECT_TRUE(same_thread);
  EXPECT_TRUE(work_isolated);
  EXPECT_EQ(work_seen[2], 2u * kRounds);
}

TEST(RoundPool, WithoutHelpersARoundIsTheCallersBodyAlone) {
  int runs = 0;
  tvl::RoundPool pool(0, [&](int k) { runs += k == 0 ? 1 : 100; });
  pool.run_round();
  pool.run_round();
  EXPECT_EQ(runs, 2);
}
