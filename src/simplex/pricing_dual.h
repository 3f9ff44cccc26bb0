// Leaving-row pricing of the dual simplex: one weight per basis position.
// The leaving row maximises infeasibility^2 / weight.  Three rules:
//   - standard (Dantzig-type) pricing: all weights 1;
//   - dual steepest edge with exact updates (Forrest & Goldfarb 1992,
//     "Steepest-edge simplex algorithms for linear programming"), the
//     weight of position i being ||e_i' B^-1||^2;
//   - dual devex reference weights (Forbes & Goldfarb's dual version of
//     Harris 1973, "Pivot selection methods of the Devex LP code").
#pragma once

#include <memory>
#include <vector>

#include "factor/factor.h"

namespace tvl::lp {

enum class DualPricingRule { Standard, SteepestEdge, Devex };

// Data of one basis change as the weight update needs it.
struct DualPivot {
  int32_t row = -1;             // leaving position r
  double alpha = 0.0;           // pivot element alpha_rq
  const HVector *column = nullptr;  // B^-1 a_q (before the basis change)
  const HVector *tau = nullptr;     // B^-1 rho_r, steepest edge only
  double rho_norm2 = 0.0;       // ||rho_r||^2 computed from the BTRAN result
};

class DualPricing {
 public:
  explicit DualPricing(int32_t m) : weight_(static_cast<size_t>(m), 1.0) {}
  virtual ~DualPricing() = default;
  virtual DualPricingRule rule() const = 0;
  // Whether the update needs tau = B^-1 rho_r (one extra FTRAN).
  virtual bool needs_tau() const { return false; }
  // Weights after a basis change at position p.row.
  virtual void update(const DualPivot &p) = 0;
  // Resets to the reference (unit) weights.
  void reset_unit() { std::fill(weight_.begin(), weight_.end(), 1.0); }
  double weight(int32_t r) const { return weight_[r]; }
  std::vector<double> &weights() { return weight_; }
  // Exact weights for the current basis (m BTRANs); only steepest edge uses it.
  virtual void compute_exact(const BasisFactor &) {}

 protected:
  std::vector<double> weight_;
};

// dpriind: 0 automatic, 1 standard, 2 steepest edge, 3 steepest edge in
// slack space, 4 steepest edge with unit initial norms, 5 devex.
std::unique_ptr<DualPricing> make_dual_pricing(int dpriind, int32_t m);
// Whether the rule starts from exact weights rather than unit weights.
bool dual_pricing_wants_exact_start(int dpriind);

}  // namespace tvl::lp
