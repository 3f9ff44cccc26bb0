// Standard dual pricing: all weights stay 1, so the leaving row is the one
// with the largest primal infeasibility (Dantzig's rule applied to the dual).
#include "simplex/pricing_dual.h"

namespace tvl::lp {

namespace {
class StandardPricing final : public DualPricing {
 public:
  using DualPricing::DualPricing;
  DualPricingRule rule() const override { return DualPricingRule::Standard; }
  void update(const DualPivot &) override {}
};
}  // namespace

std::unique_ptr<DualPricing> make_standard_pricing(int32_t m) {
  return std::make_unique<StandardPricing>(m);
}

}  // namespace tvl::lp
