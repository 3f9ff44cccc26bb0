// Dual steepest-edge pricing in slack space with the exact weight update of
// Forrest & Goldfarb 1992 ("Steepest-edge simplex algorithms for linear
// programming", dual algorithm, update (3.8) with tau = B^-1 rho_r).  The
// weight of basis position i is ||rho_i||^2, rho_i = B^-T e_i: the norm of
// row i of the tableau restricted to the slack columns.  After a pivot on
// alpha_rq:
//   w_i <- w_i - 2 (alpha_iq / alpha_rq) tau_i + (alpha_iq / alpha_rq)^2 w_r
//   w_r <- w_r / alpha_rq^2
// with every weight kept above a small floor against cancellation.
#include <algorithm>
#include <cmath>

#include "runtime/workcount.h"
#include "simplex/pricing_dual.h"
#include "simplex/simplex_base.h"

namespace tvl::lp {

namespace {
constexpr double kMinWeight = 1e-4;

class SteepestEdgePricing final : public DualPricing {
 public:
  using DualPricing::DualPricing;
  DualPricingRule rule() const override { return DualPricingRule::SteepestEdge; }
  bool needs_tau() const override { return true; }

  // tau = B^-1 rho_r; the BTRAN result gives the exact norm of the leaving
  // row, more accurate than its updated weight.
  double tau_rhs(const DualBasisView &, const HVector &rho, const HVector &, HVector &tau) const override {
    double norm2 = 0.0;
    for_each_nz(rho, [&](int32_t i, double v) {
      tau.array[i] = v;
      tau.index[tau.count++] = i;
      norm2 += v * v;
    });
    work_add(static_cast<uint64_t>(tau.count));
    return norm2;
  }

  void update(const DualPivot &p) override { steepest_edge_update(p, kMinWeight, weight_); }

  // One BTRAN per position; a slack basis has unit rows and needs none.
  int32_t compute_exact(const DualBasisView &v) override {
    if (dual_slack_basis(v)) {
      reset_unit();
      return static_cast<int32_t>(weight_.size());
    }
    return weights_from_inverse_rows(
        v, kMinWeight,
        [](int32_t, const HVector &rho) {
          double s = 0.0;
          for_each_nz(rho, [&](int32_t, double x) { s += x * x; });
          return s;
        },
        weight_);
  }
};
}  // namespace

std::unique_ptr<DualPricing> make_steepest_edge_pricing(int32_t m) {
  return std::make_unique<SteepestEdgePricing>(m);
}

}  // namespace tvl::lp
