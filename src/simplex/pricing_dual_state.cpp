#include "simplex/pricing_dual_state.h"

#include <new>

namespace tvl::lp {

namespace {

DualPricingRule rule_of_state(int state) {
  switch (state) {
    case 1:
    case DualPricingState::kSwitchState: return DualPricingRule::Standard;
    case 2: return DualPricingRule::FullSteepestEdge;
    case 5: return DualPricingRule::Devex;
    default: return DualPricingRule::SteepestEdge;
  }
}

}  // namespace

DualPricingState::DualPricingState(int dpriind, int32_t m, bool given_basis_steepest)
    : state_(dpriind >= 0 && dpriind <= 5 ? dpriind : 0),
      rule_(make_dual_pricing(rule_of_state(state_), m)),
      weights_on_(state_ != 1),
      given_basis_steepest_(given_basis_steepest) {}

void DualPricingState::start_run(const DualBasisView &v, const Say &say) {
  auto_.reset();
  if (valid_) return;
  valid_ = true;
  switch (state_) {
    case 0:
      if (!dual_slack_basis(v) && given_basis_steepest_) {
        weights_on_ = true;
        rule_->reset_unit();
        return;
      }
      if (!dual_slack_basis(v)) {
        state_ = kSwitchState;
        rule_ = make_dual_pricing(DualPricingRule::Standard, v.lp->m);
        weights_on_ = false;
        return;
      }
      weights_on_ = true;
      say("Initializing dual steep norms . . .\n");
      rule_->compute_exact(v);
      return;
    case 2:
    case 3:
      say(state_ == 2 ? "Initializing dual full norms . . .\n" : "Initializing dual steep norms . . .\n");
      rule_->compute_exact(v);
      return;
    default:
      rule_->reset_unit();
      return;
  }
}

void DualPricingState::save(Saved &out) const {
  out.state = state_;
  out.rule = rule_->rule();
  out.weights_on = weights_on_;
  out.valid = valid_;
  out.weights = rule_->weights();
}

void DualPricingState::restore(const Saved &saved) {
  if (rule_->rule() != saved.rule) rule_ = make_dual_pricing(saved.rule, static_cast<int32_t>(saved.weights.size()));
  state_ = saved.state;
  weights_on_ = saved.weights_on;
  valid_ = saved.valid;
  rule_->weights() = saved.weights;
}

void DualPricingState::repaired(const DualBasisView &v, const Say &say) {
  if (state_ == 2 || state_ == 3) {
    say("Reinitializing dual norms . . .\n");
    const int32_t count = rule_->compute_exact(v);
    say("Computed " + std::to_string(count) + " new norms.\n");
    return;
  }
  rule_->reset_unit();
}

void DualPricingState::after_iteration(int64_t iter, const Say &say) {
  if (state_ == kSwitchState && iter >= kSwitchIterations) switch_to_steepest_edge(iter, say);
}

void DualPricingState::phase_changed(int new_phase, int64_t iter, const Say &say) {
  if (state_ == kSwitchState && new_phase == 2) switch_to_steepest_edge(iter, say);
  else if (state_ == 0) run_automatic_rule();
}

void DualPricingState::refactored() {
  if (state_ == 0) run_automatic_rule();
}

// Leaves state 6: unit steepest-edge weights (state 4); without memory for
// them the run goes on with standard pricing (state 1).
void DualPricingState::switch_to_steepest_edge(int64_t iter, const Say &say) {
  const int32_t m = static_cast<int32_t>(rule_->weights().size());
  try {
    rule_ = make_dual_pricing(DualPricingRule::SteepestEdge, m);
  } catch (const std::bad_alloc &) {
    say("Not enough memory for steepest-edge.\n");
    state_ = 1;
    return;
  }
  state_ = 4;
  weights_on_ = true;
  if (iter > 0) say("Switched to steepest-edge.\n");
}

// Switching the weights on starts them from 1 (the exact norms would cost a
// solve per row); switching them off clears them, so that the row choice
// is standard pricing.
void DualPricingState::run_automatic_rule() {
  switch (auto_.decide(weights_on_)) {
    case DualAutoPricing::Decision::SwitchOn:
      weights_on_ = true;
      rule_->reset_unit();
      break;
    case DualAutoPricing::Decision::SwitchOff:
      weights_on_ = false;
      rule_->reset_unit();
      break;
    case DualAutoPricing::Decision::Keep: break;
  }
}

}  // namespace tvl::lp
