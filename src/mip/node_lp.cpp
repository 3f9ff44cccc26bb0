#include "mip/node_lp.h"

#include "frame/callback.h"
#include "lp/lpcomp.h"

namespace tvl::mip {

NodeLp::NodeLp(const MipModel &model, const lp::SimplexControl &control)
    : model_(model),
      control_(control),
      lo_(model.lp.collo),
      up_(model.lp.colup),
      is_touched_(static_cast<size_t>(model.n()), 0) {
  const tvlenv *env = control.env;
  control_.display = 0;
  control_.limit_check = [this, env](int64_t iteration, const lp::SimplexProbe &) {
    if (budget_ >= 0 && iteration >= budget_) return lp::LpStatus::IterLimit;
    return lp::stop_status(limit_check(env));
  };
  opt_ = std::make_unique<lp::DualOptimizer>(model.lp, control_);
}

void NodeLp::apply(int32_t col, double lower, double upper) {
  if (lo_[col] == lower && up_[col] == upper) return;
  lo_[col] = lower;
  up_[col] = upper;
  opt_->set_col_bounds(col, lower, upper);
  if (!is_touched_[col]) {
    is_touched_[col] = 1;
    touched_.push_back(col);
  }
}

void NodeLp::load(const std::vector<BoundChange> &changes) {
  for (int32_t col : touched_) {
    is_touched_[col] = 0;
    if (lo_[col] != model_.lp.collo[col] || up_[col] != model_.lp.colup[col]) {
      lo_[col] = model_.lp.collo[col];
      up_[col] = model_.lp.colup[col];
      opt_->set_col_bounds(col, lo_[col], up_[col]);
    }
  }
  touched_.clear();
  for (const BoundChange &c : changes) apply(c.col, c.lower, c.upper);
}

void NodeLp::set_bounds(int32_t col, double lower, double upper) { apply(col, lower, upper); }

lp::LpResult NodeLp::solve(int64_t itlim) {
  budget_ = itlim;
  lp::LpResult r = opt_->solve();
  iterations_ += r.iterations;
  if (r.status == lp::LpStatus::NumericalTrouble || r.status == lp::LpStatus::Unknown || r.basis_singular) {
    // A fresh start from the slack basis on the same bounds.
    opt_ = std::make_unique<lp::DualOptimizer>(opt_->model(), control_);
    r = opt_->solve();
    iterations_ += r.iterations;
  }
  budget_ = -1;
  return r;
}

}  // namespace tvl::mip
