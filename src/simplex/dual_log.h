// Iteration log of the dual simplex, sent through the environment's log
// channel only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct tvlenv;

namespace tvl::lp {

class DualLog {
 public:
  DualLog(const tvlenv *env, int display, bool scaled);
  int display() const { return display_; }
  // "Iteration log . . ." once per run, before the first iteration line.
  void start();
  // Display 1: one line with the dual infeasibility (phase 1) or the dual
  // objective (phase 2).
  void summary(int64_t iter, int phase, double value);
  // Display 2: one line per iteration; names may be empty.
  void detail(int64_t iter, int phase, double value, const std::string &in, const std::string &out);
  // "Elapsed time" line at most every 10 seconds and 1000 iterations.
  void elapsed(int64_t iter);
  void text(const char *line);
  double seconds() const;

 private:
  const tvlenv *env_;
  int display_;
  bool scaled_;
  bool started_ = false, header_ = false;
  int64_t last_elapsed_iter_ = 0;
  double last_elapsed_time_ = 0.0;
  std::chrono::steady_clock::time_point t0_;
};

}  // namespace tvl::lp
