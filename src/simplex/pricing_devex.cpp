// Dual devex pricing (Forbes & Goldfarb's dual form of the reference
// framework of Harris 1973): weights approximate ||e_i' B^-1|| measured in a
// reference framework and are updated from the pivot column alone.  The
// framework is reset when a weight grows beyond 1e7 (the approximation is
// then too coarse to guide the choice).
#include <algorithm>

#include "runtime/workcount.h"
#include "simplex/pricing_dual.h"

namespace tvl::lp {

namespace {
class DevexPricing final : public DualPricing {
 public:
  using DualPricing::DualPricing;
  DualPricingRule rule() const override { return DualPricingRule::Devex; }
  void update(const DualPivot &p) override {
    const HVector &col = *p.column;
    const double wr = std::max(weight_[p.row], 1.0);
    const double inv = 1.0 / p.alpha;
    bool reset = false;
    for (int32_t k = 0; k < col.count; ++k) {
      const int32_t i = col.index[k];
      if (i == p.row) continue;
      const double ratio = col.array[i] * inv;
      const double cand = ratio * ratio * wr;
      if (cand > weight_[i]) weight_[i] = cand;
      if (weight_[i] > 1e7) reset = true;
    }
    weight_[p.row] = std::max(wr * inv * inv, 1.0);
    work_add(static_cast<uint64_t>(col.count) + (reset ? weight_.size() : 0));
    if (reset) reset_unit();
  }
};
}  // namespace

std::unique_ptr<DualPricing> make_devex_pricing(int32_t m) {
  return std::make_unique<DevexPricing>(m);
}

}  // namespace tvl::lp
