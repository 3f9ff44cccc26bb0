#include "simplex/pricing_dual_auto.h"

#include <algorithm>

namespace tvl::lp {

namespace {
constexpr double kSamplesOff = 50.0;  // samples needed while the weights are off
constexpr double kSamplesOn = 15.0;   // ... and while they are in use
constexpr double kSwitchOn = 1.35;
constexpr double kSwitchOff = 0.5;
}  // namespace

double DualAutoPricing::ratio() const {
  const double value = (0.2 * g0_ + g1_) / k1_;
  const double cost = g0_ / k1_ + 1e-10 + g2_ / k2_ + g3_ / k3_ + g4_ / k3_;
  return value / cost;
}

DualAutoPricing::Decision DualAutoPricing::decide(bool weights_on) {
  const double need = weights_on ? kSamplesOn : kSamplesOff;
  if (k1_ < need || k2_ < need || k3_ < need) return Decision::Keep;
  ring_[next_] = ratio();
  next_ = (next_ + 1) % 3;
  stored_ = std::min(stored_ + 1, 3);
  reset_samples();
  if (stored_ < 3) return Decision::Keep;
  const bool all_high = std::all_of(ring_.begin(), ring_.end(), [](double r) { return r > kSwitchOn; });
  const bool all_low = std::all_of(ring_.begin(), ring_.end(), [](double r) { return r < kSwitchOff; });
  if (!weights_on && all_high) return Decision::SwitchOn;
  if (weights_on && all_low) return Decision::SwitchOff;
  return Decision::Keep;
}

void DualAutoPricing::reset_samples() { k1_ = k2_ = k3_ = g0_ = g1_ = g2_ = g3_ = g4_ = 0.0; }

void DualAutoPricing::reset() {
  reset_samples();
  ring_.fill(0.0);
  next_ = stored_ = 0;
}

}  // namespace tvl::lp
