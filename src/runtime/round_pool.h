// Helper threads that work in lockstep rounds.
//
// A round runs body(0) on the calling thread and body(k), k = 1..helpers,
// each on its own helper thread, and returns when all of them are done.
// Helper k is always the same thread, so what it counts on its thread's
// work counter (runtime/workcount.h) is the work of its bodies alone: a
// caller that records each body's work difference and adds them in a
// fixed order gets the same totals on every run.
//
// The threads start with the pool and stop with it; between rounds they
// wait on a condition variable.  Bodies must not throw.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tvl {

class RoundPool {
 public:
  RoundPool(int helpers, std::function<void(int)> body);
  ~RoundPool();
  RoundPool(const RoundPool &) = delete;
  RoundPool &operator=(const RoundPool &) = delete;
  // Runs one round on the caller's thread and every helper.
  void run_round();
  int helpers() const { return static_cast<int>(threads_.size()); }

 private:
  void helper_main(int k);

  std::function<void(int)> body_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_, done_;
  uint64_t round_ = 0;  // rounds started
  int pending_ = 0;     // helpers still running the current round
  bool quit_ = false;
};

}  // namespace tvl
