#include "simplex/primal_log.h"

#include <cmath>

#include "frame/error.h"

namespace tvl::lp {

PrimalLog::PrimalLog(const tvlenv *env, int display, bool scaled)
    : base_(env, display, scaled), env_(env), scaled_(scaled) {}

void PrimalLog::summary(int64_t iter, int phase, double value) {
  if (display() != 1 || env_ == nullptr) return;
  start();
  const int it = static_cast<int>(iter);
  if (phase == 1) {
    if (scaled_) tvl::msg_log(env_, "Iteration: %5d    Scaled infeas = %20.6f\n", it, value);
    else tvl::msg_log(env_, "Iteration: %5d    Infeasibility = %20.6f\n", it, value);
  } else {
    tvl::msg_log(env_, "Iteration: %5d    Objective     = %20.6f\n", it, value);
  }
}

void PrimalLog::detail(int64_t iter, int phase, double value, const std::string &in,
                       const std::string &out) {
  if (display() < 2 || env_ == nullptr) return;
  start();
  if (!header_) {
    header_ = true;
    tvl::msg_log(env_, "\nIteration           Objective     ");
    tvl::msg_log(env_, "       In Variable           Out Variable\n");
  }
  const char *mark = phase == 2 ? "   " : (scaled_ ? " sI" : "  I");
  if (std::fabs(value) >= 1e11)
    tvl::msg_log(env_, "%6d%s%20.6e %22s %22s\n", static_cast<int>(iter), mark, value, in.c_str(), out.c_str());
  else
    tvl::msg_log(env_, "%6d%s%20.6f %22s %22s\n", static_cast<int>(iter), mark, value, in.c_str(), out.c_str());
}

void PrimalLog::textf(const char *fmt, double v) {
  if (display() <= 0 || env_ == nullptr) return;
  tvl::msg_log(env_, fmt, v);
}

void PrimalLog::textf(const char *fmt, int v) {
  if (display() <= 0 || env_ == nullptr) return;
  tvl::msg_log(env_, fmt, v);
}

}  // namespace tvl::lp
