// Leaving-row pricing of the dual simplex: one weight per basis position.
// The leaving row maximises infeasibility^2 / weight.  The weight rules:
//   - standard (Dantzig-type) pricing: all weights 1 (pricing_dantzig.cpp);
//   - dual steepest edge in slack space, the weight of position i being
//     ||e_i' B^-1||^2 (pricing_dse.cpp);
//   - dual steepest edge in the full space of [A I], the weight being
//     ||e_i' B^-1 [A I]||^2 (pricing_dse_full.cpp);
//   - dual devex reference weights (pricing_devex.cpp).
// Which rule runs, and when it changes during a run, is decided by the
// pricing state (pricing_dual_state.h).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "factor/factor.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

enum class DualPricingRule { Standard, SteepestEdge, FullSteepestEdge, Devex };

// Data of one basis change as the weight update needs it.
struct DualPivot {
  int32_t row = -1;                 // leaving position r
  double alpha = 0.0;               // pivot element alpha_rq
  const HVector *column = nullptr;  // B^-1 a_q (before the basis change)
  const HVector *tau = nullptr;     // FTRAN of the rule's tau_rhs, steepest edge only
  double row_norm2 = 0.0;           // exact weight of the leaving row (from tau_rhs)
};

// The basis the weights belong to, for the rules that compute them exactly.
struct DualBasisView {
  const SimplexLp *lp = nullptr;
  const BasisFactor *factor = nullptr;
  const std::vector<int32_t> *head = nullptr;
  const std::vector<int8_t> *status = nullptr;
};

class DualPricing {
 public:
  explicit DualPricing(int32_t m) : weight_(static_cast<size_t>(m), 1.0) {}
  virtual ~DualPricing() = default;
  virtual DualPricingRule rule() const = 0;
  // Whether the update needs one extra FTRAN (of tau_rhs).
  virtual bool needs_tau() const { return false; }
  // Whether tau_rhs needs every nonbasic entry of the pivot row, those of
  // fixed variables included (which the dual otherwise leaves out).
  virtual bool needs_whole_row() const { return false; }
  // Right-hand side of that FTRAN for the leaving row with rho = B^-T e_r
  // and pivot row `row` (alpha_r over the n+m variables), written into the
  // empty `tau`; returns the exact weight of the leaving row.
  virtual double tau_rhs(const DualBasisView &, const HVector &, const HVector &, HVector &) const { return 0.0; }
  // Weights after a basis change at position p.row.
  virtual void update(const DualPivot &p) = 0;
  // Resets to the reference (unit) weights.
  void reset_unit() { std::fill(weight_.begin(), weight_.end(), 1.0); }
  double weight(int32_t r) const { return weight_[r]; }
  std::vector<double> &weights() { return weight_; }
  const std::vector<double> &weights() const { return weight_; }
  // Exact weights for the current basis; returns how many were computed
  // (0 for the rules that have no exact form).
  virtual int32_t compute_exact(const DualBasisView &) { return 0; }

 protected:
  std::vector<double> weight_;
};

std::unique_ptr<DualPricing> make_dual_pricing(DualPricingRule rule, int32_t m);

// The steepest-edge update shared by both spaces (Forrest & Goldfarb 1992):
// with ratio = alpha_iq / alpha_rq, w_i += ratio (ratio w_r - 2 tau_i) and
// w_r /= alpha_rq^2, no weight below `floor`; w_r is p.row_norm2 when set.
void steepest_edge_update(const DualPivot &p, double floor, std::vector<double> &weight);

// Exact weights from the rows of B^-1: for each position r the BTRAN of
// e_r, passed to norm2(r, rho), whose value (at least `floor`) becomes
// weight r.  Returns m.
int32_t weights_from_inverse_rows(const DualBasisView &v, double floor,
                                  const std::function<double(int32_t, const HVector &)> &norm2,
                                  std::vector<double> &weight);

// Whether every basic variable of the view is a slack (B = I).
bool dual_slack_basis(const DualBasisView &v);

}  // namespace tvl::lp
