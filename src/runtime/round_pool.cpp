#include "runtime/round_pool.h"

namespace tvl {

RoundPool::RoundPool(int helpers, std::function<void(int)> body) : body_(std::move(body)) {
  threads_.reserve(static_cast<size_t>(helpers));
  for (int k = 1; k <= helpers; ++k) threads_.emplace_back([this, k] { helper_main(k); });
}

RoundPool::~RoundPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  start_.notify_all();
  for (std::thread &t : threads_) t.join();
}

void RoundPool::run_round() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++round_;
    pending_ = helpers();
  }
  start_.notify_all();
  body_(0);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
}

void RoundPool::helper_main(int k) {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return quit_ || round_ != seen; });
      if (quit_) return;
      seen = round_;
    }
    body_(k);
    std::lock_guard<std::mutex> lock(mutex_);
    if (--pending_ == 0) done_.notify_one();
  }
}

}  // namespace tvl
