// Primal simplex cleanup of the dual simplex.
//
// When the perturbed or shifted costs are restored at the end of a dual
// run, a few reduced costs may turn infeasible while the basis stays primal
// feasible.  A short run of the primal simplex from that basis (Dantzig
// pricing, Harris 1973 two-pass ratio test with bound flips of the entering
// variable) removes them without giving up primal feasibility; this is the
// cleanup recommended by Koberstein 2005, section 6.3.2, and Bixby 2002.
#include <cmath>

#include "simplex/dual_simplex.h"

namespace tvl::lp {

namespace {
bool finite_bound(double v) { return std::fabs(v) < kWorkInf; }
}  // namespace

int32_t DualSimplex::choose_primal_entering() const {
  double best = dual_tol_;
  int32_t q = -1;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    const int8_t s = status_[j];
    if (s == kBasic || lower_[j] == upper_[j]) continue;
    const double dj = d_[j];
    double infeas = 0.0;
    if (s == kAtLower) infeas = -dj;
    else if (s == kAtUpper) infeas = dj;
    else infeas = std::fabs(dj);
    if (infeas > best) {
      best = infeas;
      q = j;
    }
  }
  return q;
}

// Harris ratio test over the basic variables for x_B(t) = x_B - t * dir * col.
// Returns the leaving position, or -1; `step` receives the primal step.
int32_t DualSimplex::primal_ratio_test(double dir, double &step) const {
  const double tol = primal_tol_;
  double bound = kWorkInf;
  auto relaxed = [&](int32_t i, double alpha) {
    const int32_t j = head_[i];
    if (alpha > 0.0 && finite_bound(lower_[j])) return (x_[j] - lower_[j] + tol) / alpha;
    if (alpha < 0.0 && finite_bound(upper_[j])) return (upper_[j] - x_[j] + tol) / -alpha;
    return kWorkInf;
  };
  for (int32_t k = 0; k < col_.count; ++k) {
    const int32_t i = col_.index[k];
    const double alpha = dir * col_.array[i];
    if (std::fabs(alpha) < 1e-9) continue;
    bound = std::min(bound, relaxed(i, alpha));
  }
  if (!(bound < kWorkInf)) return -1;
  int32_t r = -1;
  double best = 0.0;
  for (int32_t k = 0; k < col_.count; ++k) {
    const int32_t i = col_.index[k];
    const double alpha = dir * col_.array[i];
    if (std::fabs(alpha) < 1e-9) continue;
    const int32_t j = head_[i];
    double exact;
    if (alpha > 0.0 && finite_bound(lower_[j])) exact = (x_[j] - lower_[j]) / alpha;
    else if (alpha < 0.0 && finite_bound(upper_[j])) exact = (upper_[j] - x_[j]) / -alpha;
    else continue;
    if (exact <= bound && std::fabs(alpha) > best) {
      best = std::fabs(alpha);
      r = i;
      step = std::max(exact, 0.0);
    }
  }
  return r;
}

LpStatus DualSimplex::primal_cleanup() {
  const int64_t limit = iter_ + 10 * static_cast<int64_t>(lp_.m) + 1000;
  int redo = 0;
  for (;;) {
    const LpStatus lim = check_limits();
    if (lim != LpStatus::Unknown) return lim;
    if (iter_ >= limit) return LpStatus::NumericalTrouble;
    const int32_t q = choose_primal_entering();
    if (q < 0) return LpStatus::Optimal;
    const double dir = d_[q] < 0.0 ? 1.0 : -1.0;
    load_column(q, col_);
    factor_->ftran(col_, col_density_);
    double step = 0.0;
    const int32_t r = primal_ratio_test(dir, step);
    const double range = upper_[q] - lower_[q];
    const bool boxed = finite_bound(lower_[q]) && finite_bound(upper_[q]);
    if (boxed && (r < 0 || range <= step)) {
      // The entering variable reaches its other bound first: flip it.
      status_[q] = status_[q] == kAtLower ? kAtUpper : kAtLower;
      const double delta = (status_[q] == kAtUpper ? upper_[q] : lower_[q]) - x_[q];
      x_[q] += delta;
      for (int32_t k = 0; k < col_.count; ++k) x_[head_[col_.index[k]]] -= delta * col_.array[col_.index[k]];
      ++iter_;
      continue;
    }
    if (r < 0) return LpStatus::Unbounded;
    const double alpha = col_.array[r];
    const int32_t p = head_[r];

    rho_.clear();
    rho_.array[r] = 1.0;
    rho_.index[0] = r;
    rho_.count = 1;
    factor_->btran(rho_, rho_density_);
    compute_pivot_row();
    const double alpha_row = row_.array[q];
    if (std::fabs(alpha_row - alpha) > 1e-7 * (1.0 + std::fabs(alpha))) {
      if (factor_->updates_since_factor() > 0 && ++redo < 5) {
        refactor();
        continue;
      }
    }
    redo = 0;

    DualPivot piv;
    piv.row = r;
    piv.alpha = alpha;
    piv.column = &col_;
    prepare_weight_update(piv);

    // Duals: the entering reduced cost goes to zero.
    const double theta_d = d_[q] / alpha;
    for (int32_t k = 0; k < row_.count; ++k) {
      const int32_t j = row_.index[k];
      if (status_[j] != kBasic) d_[j] -= theta_d * row_.array[j];
    }
    d_[q] = 0.0;
    d_[p] = -theta_d;

    // Primals.
    const double xq = x_[q];
    for (int32_t k = 0; k < col_.count; ++k) x_[head_[col_.index[k]]] -= step * dir * col_.array[col_.index[k]];
    x_[q] = xq + step * dir;
    const bool to_lower = dir * alpha > 0.0;
    status_[p] = to_lower ? kAtLower : kAtUpper;
    if (lower_[p] == upper_[p]) status_[p] = kAtLower;
    x_[p] = nonbasic_value(p);

    pricing_.update(piv);
    last_enter_ = q;
    last_leave_ = p;
    head_[r] = q;
    pos_[q] = r;
    pos_[p] = -1;
    status_[q] = kBasic;
    ++iter_;
    log_iteration(2, q, p);
    if (!factor_->update(r, col_)) refactor();
  }
}

}  // namespace tvl::lp
