#include "simplex/progress_monitor.h"

#include <cmath>

#include "frame/infinity.h"

namespace tvl::lp {

namespace {
constexpr double kPhaseMargin = 1e-10;
constexpr double kNoise = 1e-9;
constexpr double kFastFactor = 10.0;
}  // namespace

int64_t ProgressMonitor::check_interval(int32_t m) {
  if (m < 5000) return 501;
  if (m < 10000) return 1000;
  if (m < 50000) return 2000;
  if (m < 100000) return 10000;
  return 20000;
}

void ProgressMonitor::start(int64_t iter, int phase, double v) {
  phase_ = phase;
  record(iter, v + kPhaseMargin);
  check_value_ = v;
  last_check_ = iter;
}

ProgressMonitor::Action ProgressMonitor::observe(int64_t iter, int phase, double v, bool perturbed, bool &moved) {
  moved = true;
  if (phase != phase_) {
    phase_ = phase;
    record(iter, v + kPhaseMargin);
    return Action::None;
  }
  if (iter - last_check_ >= interval_) {
    average_ = std::fabs(v - check_value_) / static_cast<double>(iter - last_check_);
    check_value_ = v;
    last_check_ = iter;
  }
  if (v > reference_ + kNoise * std::fabs(v)) {
    record(iter, v);
    return Action::None;
  }
  if (iter - last_progress_ < window_) return Action::None;
  if (v - check_value_ > kFastFactor * average_ * static_cast<double>(iter - last_check_)) {
    record(iter, v);
    return Action::None;
  }
  moved = std::fabs(v - reference_) > kNoise * std::fabs(v) + kPhaseMargin;
  last_progress_ = iter;
  return perturbed ? Action::AdjustTolerances : Action::Perturb;
}

void ProgressMonitor::perturbed(int count, double magnitude) {
  // A kept optimizer (the MIP's node LPs) reuses its monitor over many solves:
  // the window stops growing once it is far beyond any run's iteration count.
  constexpr int64_t kMaxWindow = int64_t{1} << 40;
  if (count >= 2 && magnitude <= 1e-6 && window_ < kMaxWindow) window_ *= 2;
}

double move_limit_away(double limit, double objective, double dir) {
  if (!has_value(limit)) return limit;
  const double gap = 0.01 * std::fabs(objective);
  return dir * (limit - objective) <= gap ? limit + dir * gap : limit;
}

}  // namespace tvl::lp
