#include "mip/node_lp.h"

#include <algorithm>
#include <cmath>

#include "frame/callback.h"
#include "lp/lpcomp.h"

namespace tvl::mip {

namespace {
// A node LP that ends with at most this many factor updates settles its
// values with the updated factor: most node re-solves take a few dozen
// iterations, and refactorizing after them cost as much again.
constexpr int kNodeUpdatesKept = 50;
// Node LPs work to a tenth of the feasibility tolerance in scaled form,
// so that their solutions pass the check on the unscaled model without a
// re-solve.
constexpr double kNodeFeastolFactor = 0.1;
}  // namespace

NodeLp::NodeLp(const MipModel &model, const lp::SimplexControl &control)
    : model_(model),
      control_(control),
      lo_(model.lp.collo),
      up_(model.lp.colup),
      root_lo_(model.lp.collo),
      root_up_(model.lp.colup),
      is_touched_(static_cast<size_t>(model.n()), 0) {
  const tvlenv *env = control.env;
  control_.display = 0;
  control_.given_basis_steepest = true;
  control_.updates_kept_at_end = kNodeUpdatesKept;
  control_.working_feastol_factor = kNodeFeastolFactor;
  control_.factor.dense_partial_pivoting = true;
  control_.limit_check = [this, env](int64_t iteration, const lp::SimplexProbe &) {
    if (budget_ >= 0 && iteration >= budget_) return lp::LpStatus::IterLimit;
    return lp::stop_status(limit_check(env));
  };
  opt_ = std::make_unique<lp::DualOptimizer>(model.lp, control_);
}

std::unique_ptr<NodeLp> NodeLp::replica(const lp::SimplexControl &control) const {
  auto c = std::make_unique<NodeLp>(model_, control);
  c->lo_ = lo_;
  c->up_ = up_;
  c->root_lo_ = root_lo_;
  c->root_up_ = root_up_;
  c->added_ = added_;
  c->touched_ = touched_;
  c->is_touched_ = is_touched_;
  c->opt_ = std::make_unique<lp::DualOptimizer>(opt_->model(), c->control_);
  return c;
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

bool NodeLp::load(const std::vector<BoundChange> &changes) {
  for (int32_t col : touched_) {
    is_touched_[col] = 0;
    if (lo_[col] != root_lo_[col] || up_[col] != root_up_[col]) {
      lo_[col] = root_lo_[col];
      up_[col] = root_up_[col];
      opt_->set_col_bounds(col, lo_[col], up_[col]);
    }
  }
  touched_.clear();
  bool inside = true;
  for (const BoundChange &c : changes) {
    const double lo = std::max(c.lower, root_lo_[c.col]), up = std::min(c.upper, root_up_[c.col]);
    if (lo <= up) {
      apply(c.col, lo, up);
    } else {
      inside = false;
      apply(c.col, c.lower, c.upper);
    }
  }
  return inside;
}

void NodeLp::set_basis(const lp::Basis &basis) {
  const size_t m = static_cast<size_t>(current().a.m);
  if (basis.rowstat.size() >= m) {
    opt_->set_basis(basis);
    return;
  }
  lp::Basis longer = basis;
  longer.rowstat.resize(m, 1);
  opt_->set_basis(longer);
}

void NodeLp::set_bounds(int32_t col, double lower, double upper) { apply(col, lower, upper); }

void NodeLp::tighten_root(int32_t col, double lower, double upper) {
  root_lo_[col] = std::max(root_lo_[col], lower);
  root_up_[col] = std::min(root_up_[col], upper);
  apply(col, root_lo_[col], root_up_[col]);
}

void NodeLp::rebuild(lp::Basis &basis) {
  lp::LpModel next = model_.lp;
  next.collo = lo_;
  next.colup = up_;
  append_rows(next, added_);
  opt_->set_model(next, basis);
}

void NodeLp::add_rows(const std::vector<LpRow> &rows, lp::Basis basis) {
  for (const LpRow &r : rows) {
    added_.push_back(r);
    basis.rowstat.push_back(1);
  }
  rebuild(basis);
}

void NodeLp::remove_rows(const std::vector<char> &drop, lp::Basis &basis) {
  const size_t m0 = static_cast<size_t>(model_.m());
  size_t kept = 0;
  for (size_t k = 0; k < added_.size(); ++k) {
    if (drop[k]) continue;
    basis.rowstat[m0 + kept] = basis.rowstat[m0 + k];
    if (kept != k) added_[kept] = std::move(added_[k]);
    ++kept;
  }
  added_.resize(kept);
  basis.rowstat.resize(m0 + kept);
  rebuild(basis);
}

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

lp::LpResult NodeLp::trial(int64_t itlim) {
  budget_ = itlim;
  lp::LpResult r = opt_->trial_solve();
  iterations_ += r.iterations;
  budget_ = -1;
  return r;
}

std::vector<double> solve_continuous_part(const MipModel &model, const std::vector<double> &x,
                                          lp::SimplexControl control) {
  control.feastol = std::min(control.feastol, 1e-9);
  NodeLp lp(model, control);
  for (int32_t j : model.intcols) lp.set_bounds(j, std::round(x[j]), std::round(x[j]));
  const lp::LpResult r = lp.solve();
  if (r.status != lp::LpStatus::Optimal) return {};
  std::vector<double> z = r.x;
  for (int32_t j : model.intcols) z[j] = std::round(z[j]);
  return z;
}

}  // namespace tvl::mip
