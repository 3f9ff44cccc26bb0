// Dual steepest-edge pricing with the exact weight update of Forrest &
// Goldfarb 1992 ("Steepest-edge simplex algorithms for linear programming",
// dual algorithm, update (3.8) with tau = B^-1 rho_r).  The weight of basis
// position i is ||rho_i||^2, rho_i = B^-T e_i.  After a pivot on alpha_rq:
//   w_i <- w_i - 2 (alpha_iq / alpha_rq) tau_i + (alpha_iq / alpha_rq)^2 w_r
//   w_r <- w_r / alpha_rq^2
// with every weight kept above a small floor against cancellation.
#include <algorithm>
#include <cmath>

#include "simplex/pricing_dual.h"

namespace tvl::lp {

namespace {
constexpr double kMinWeight = 1e-4;

class SteepestEdgePricing final : public DualPricing {
 public:
  using DualPricing::DualPricing;
  DualPricingRule rule() const override { return DualPricingRule::SteepestEdge; }
  bool needs_tau() const override { return true; }

  void update(const DualPivot &p) override {
    const HVector &col = *p.column;
    const HVector &tau = *p.tau;
    // The BTRAN result gives the exact norm of the leaving row; it is
    // more accurate than the updated weight.
    const double wr = p.rho_norm2 > 0.0 ? p.rho_norm2 : weight_[p.row];
    const double inv = 1.0 / p.alpha;
    for (int32_t k = 0; k < col.count; ++k) {
      const int32_t i = col.index[k];
      if (i == p.row) continue;
      const double ratio = col.array[i] * inv;
      if (ratio == 0.0) continue;
      double w = weight_[i] + ratio * (ratio * wr - 2.0 * tau.array[i]);
      weight_[i] = std::max(w, kMinWeight);
    }
    weight_[p.row] = std::max(wr * inv * inv, kMinWeight);
  }

  void compute_exact(const BasisFactor &factor) override {
    const int32_t m = static_cast<int32_t>(weight_.size());
    HVector rho;
    rho.setup(m);
    for (int32_t r = 0; r < m; ++r) {
      rho.clear();
      rho.array[r] = 1.0;
      rho.index[0] = r;
      rho.count = 1;
      factor.btran(rho, 0.05);
      double s = 0.0;
      if (rho.count < 0) {
        for (int32_t i = 0; i < m; ++i) s += rho.array[i] * rho.array[i];
      } else {
        for (int32_t k = 0; k < rho.count; ++k) s += rho.array[rho.index[k]] * rho.array[rho.index[k]];
      }
      weight_[r] = std::max(s, kMinWeight);
    }
  }
};
}  // namespace

std::unique_ptr<DualPricing> make_steepest_edge_pricing(int32_t m) {
  return std::make_unique<SteepestEdgePricing>(m);
}

}  // namespace tvl::lp
