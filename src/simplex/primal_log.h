// Iteration log of the primal simplex, sent through the environment's log
// channel only.  The run-level lines ("Iteration log . . .", "Elapsed time",
// free text) come from the shared simplex log; this adds the primal forms
// of the summary and detail lines.
#pragma once

#include <cstdint>
#include <string>

#include "simplex/dual_log.h"

namespace tvl::lp {

class PrimalLog {
 public:
  PrimalLog(const tvlenv *env, int display, bool scaled);
  int display() const { return base_.display(); }
  void start() { base_.start(); }
  // Display 1: sum of violations (phase 1) or objective (phase 2).
  void summary(int64_t iter, int phase, double value);
  // Display 2: one line per iteration.
  void detail(int64_t iter, int phase, double value, const std::string &in, const std::string &out);
  void elapsed(int64_t iter) { base_.elapsed(iter); }
  void text(const char *line) { base_.text(line); }
  // Formatted free text (display on only).
  void textf(const char *fmt, double v);
  void textf(const char *fmt, int v);

 private:
  DualLog base_;
  const tvlenv *env_;
  bool scaled_;
  bool header_ = false;
};

}  // namespace tvl::lp
