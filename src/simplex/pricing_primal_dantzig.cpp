// Reduced-cost pricing of the primal simplex, full or partial (see
// pricing_primal.h for the papers).
#include <algorithm>

#include "simplex/pricing_primal.h"

namespace tvl::lp {

namespace {

class DantzigPricing final : public PrimalPricing {
 public:
  DantzigPricing(int32_t nv, bool partial, int32_t segment) : nv_(nv), partial_(partial) {
    // Automatic: segments of a few thousand variables, at least four of them.
    if (!partial) segment_ = nv;
    else if (segment > 0) segment_ = std::min(segment, std::max<int32_t>(nv, 1));
    else segment_ = std::max<int32_t>(1, std::min<int32_t>(std::max<int32_t>(nv / 8, 2000), nv / 4 + 1));
  }
  PrimalRule rule() const override { return partial_ ? PrimalRule::Partial : PrimalRule::Dantzig; }

  int32_t choose(const PrimalPricingView &v) override {
    int32_t best = -1;
    double best_score = 0.0;
    int32_t j = start_, scanned = 0;
    while (scanned < nv_) {
      const int32_t end = std::min(nv_, j + segment_);
      for (int32_t k = j; k < end; ++k) {
        const double s = primal_infeasibility(v, k);
        if (s > best_score) {
          best_score = s;
          best = k;
        }
      }
      scanned += end - j;
      work_ += static_cast<uint64_t>(end - j);
      j = end == nv_ ? 0 : end;
      if (partial_ && best >= 0) break;
    }
    if (partial_) start_ = j;
    return best;
  }

 private:
  int32_t nv_, segment_;
  bool partial_;
  int32_t start_ = 0;
};

}  // namespace

std::unique_ptr<PrimalPricing> make_primal_dantzig_pricing(int32_t nv, bool partial, int32_t segment) {
  return std::make_unique<DantzigPricing>(nv, partial, segment);
}

}  // namespace tvl::lp
