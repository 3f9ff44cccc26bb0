// Pricing state of the dual simplex: which weight rule of pricing_dual.h
// runs, how its weights start, and when the rule changes during a run.
//   0  automatic: slack-space steepest edge, whose weights the automatic
//      rule (pricing_dual_auto.h) keeps or drops at each new
//      factorization and phase change;
//   1  standard pricing;
//   2  steepest edge in the full space of [A I], exact initial norms
//      ("Initializing dual full norms . . .");
//   3  steepest edge in slack space, exact initial norms ("Initializing
//      dual steep norms . . .");
//   4  steepest edge in slack space from unit norms;
//   5  devex;
//   6  (internal) standard pricing that switches to state 4 once 100
//      iterations are done or phase 1 ends.
// The automatic setting starts in state 6 when a run begins from a basis
// that is neither the slack basis nor one it keeps weights for (a basis
// given by the caller, the uncrushed basis after presolve): exact norms
// would cost one solve per row, and such runs are mostly short cleanups
// where standard pricing is cheapest; a run that turns out long gets
// steepest edge after 100 iterations.  A search's node LPs (the
// `given_basis_steepest` control) start such a basis in state 4 instead.  From the slack basis state 0 starts
// with its exact norms, which are all 1 there.
// The exact norms of states 2 and 3 are computed again after a singularity
// repair changed the basis ("Reinitializing dual norms . . .", "Computed
// %d new norms."); the other rules restart from unit weights then.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simplex/pricing_dual.h"
#include "simplex/pricing_dual_auto.h"

namespace tvl::lp {

class DualPricingState {
 public:
  using Say = std::function<void(const std::string &)>;
  inline static constexpr int kSwitchState = 6;
  inline static constexpr int64_t kSwitchIterations = 100;

  DualPricingState(int dpriind, int32_t m, bool given_basis_steepest = false);

  int state() const { return state_; }
  DualPricingRule rule() const { return rule_->rule(); }
  // Whether weights are kept (updated) in this iteration.
  bool weights_on() const { return weights_on_; }
  bool needs_tau() const { return weights_on_ && rule_->needs_tau(); }
  bool needs_whole_row() const { return weights_on_ && rule_->needs_whole_row(); }
  double tau_rhs(const DualBasisView &v, const HVector &rho, const HVector &row, HVector &tau) const {
    return rule_->tau_rhs(v, rho, row, tau);
  }
  void update(const DualPivot &p) {
    if (weights_on_) rule_->update(p);
  }
  const std::vector<double> &weights() const { return rule_->weights(); }
  DualAutoPricing &samples() { return auto_; }

  // The basis changed from outside: the weights no longer belong to it.
  void invalidate() { valid_ = false; }
  // The basis of `v` (factorized) was reached by pivots the weights did
  // not follow: the rules that keep weights compute them afresh.
  void recompute(const DualBasisView &v) {
    if (weights_on_) rule_->compute_exact(v);
  }
  // The state with its weights, to come back to with restore().
  struct Saved {
    int state = 0;
    DualPricingRule rule = DualPricingRule::Standard;
    bool weights_on = false, valid = false;
    std::vector<double> weights;
  };
  void save(Saved &out) const;
  void restore(const Saved &saved);
  // Start of a run on the basis of `v` (factorized).
  void start_run(const DualBasisView &v, const Say &say);
  // A singularity repair replaced basic columns.
  void repaired(const DualBasisView &v, const Say &say);
  // After each iteration, with the iterations done in the run so far.
  void after_iteration(int64_t iter, const Say &say);
  // Phase 1 ended (state 6 switches) or the phase changed (state 0 decides).
  void phase_changed(int new_phase, int64_t iter, const Say &say);
  // A new factorization: state 0 decides.
  void refactored();

 private:
  void switch_to_steepest_edge(int64_t iter, const Say &say);
  void run_automatic_rule();

  int state_;
  std::unique_ptr<DualPricing> rule_;
  DualAutoPricing auto_;
  bool weights_on_;
  bool given_basis_steepest_;
  bool valid_ = false;
};

}  // namespace tvl::lp
