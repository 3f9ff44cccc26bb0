#include "simplex/dual_log.h"

#include <cmath>

#include "frame/error.h"

namespace tvl::lp {

DualLog::DualLog(const tvlenv *env, int display, bool scaled)
    : env_(env), display_(display), scaled_(scaled), t0_(std::chrono::steady_clock::now()) {}

double DualLog::seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
}

void DualLog::text(const char *line) {
  if (display_ > 0 && env_ != nullptr) tvl::msg_log(env_, "%s", line);
}

void DualLog::start() {
  if (started_ || display_ <= 0 || env_ == nullptr) return;
  started_ = true;
  tvl::msg_log(env_, "\nIteration log . . .\n");
}

void DualLog::summary(int64_t iter, int phase, double value) {
  if (display_ != 1 || env_ == nullptr) return;
  start();
  const int it = static_cast<int>(iter);
  if (phase == 1) {
    if (scaled_) tvl::msg_log(env_, "Iteration: %5d   Scaled dual infeas = %20.6f\n", it, value);
    else tvl::msg_log(env_, "Iteration: %5d   Dual infeasibility = %20.6f\n", it, value);
  } else {
    tvl::msg_log(env_, "Iteration: %5d   Dual objective     = %20.6f\n", it, value);
  }
}

void DualLog::detail(int64_t iter, int phase, double value, const std::string &in,
                     const std::string &out) {
  if (display_ < 2 || env_ == nullptr) return;
  start();
  if (!header_) {
    header_ = true;
    tvl::msg_log(env_,
                 "\nIteration      Dual Objective            In Variable           Out Variable\n");
  }
  const char *mark = phase == 2 ? "   " : (scaled_ ? " sI" : "  I");
  if (std::fabs(value) >= 1e11)
    tvl::msg_log(env_, "%6d%s%20.6e %22s %22s\n", static_cast<int>(iter), mark, value, in.c_str(), out.c_str());
  else
    tvl::msg_log(env_, "%6d%s%20.6f %22s %22s\n", static_cast<int>(iter), mark, value, in.c_str(), out.c_str());
}

void DualLog::elapsed(int64_t iter) {
  if (display_ <= 0 || env_ == nullptr) return;
  if (iter <= 0 || iter % 1000 != 0 || iter - last_elapsed_iter_ < 1000) return;
  const double now = seconds();
  if (now - last_elapsed_time_ < 10.0) return;
  last_elapsed_iter_ = iter;
  last_elapsed_time_ = now;
  tvl::msg_log(env_, "Elapsed time = %7.2f sec. (%d iterations).\n", now, static_cast<int>(iter));
}

}  // namespace tvl::lp
