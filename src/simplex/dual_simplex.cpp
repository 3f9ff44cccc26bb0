#include "simplex/dual_simplex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "runtime/workcount.h"
#include "simplex/implied_bounds.h"
#include "simplex/pivot_row.h"
#include "simplex/primal_simplex.h"
#include "simplex/primal_perturb.h"
#include "simplex/tolerance_schedule.h"

namespace tvl::lp {

namespace {

constexpr int kMaxRedo = 25;
constexpr int kMaxRounds = 8;
// Iteration budgets of the primal cleanups, as fractions of the dual
// iterations done so far: 1/10 after a removal of perturbation or shifts,
// 1/100 for the final polish.
constexpr int64_t kCleanupBudgetDivisor = 10;
constexpr int64_t kPolishBudgetDivisor = 100;
// Least cost perturbation, in units of the dual tolerance: a change of the
// order of the Harris tolerance still lets the ratio test see ties.
constexpr double kLeastPerturbation = 10.0;
// Pricing of the primal cleanups (TVL_PARAM_PPRIIND values): reduced cost,
// and steepest edge with exact initial norms.
constexpr int kPrimalReducedCost = 4;
constexpr int kPrimalSteepestEdge = 2;
// Share of the variables above which the dual infeasibilities left by a
// removal make the cleanup use steepest edge.
constexpr double kSteepCleanupShare = 0.01;
// Dual infeasibilities a primal cleanup may face, per iteration of its budget.
constexpr int64_t kCleanupReach = 2;
// Half-width of the artificial box of the dual's big-M start (scaled units).
constexpr double kArtificialBound = 1e6;
// Relative margin by which an implied bound is widened before it serves as
// an artificial bound: no point within the primal tolerances reaches it, so
// the box never binds at an optimum.
constexpr double kImpliedMargin = 1e-2;

double relaxed_implied(double bound, double side) {
  if (!std::isfinite(bound)) return side * kWorkInf;
  return bound + side * kImpliedMargin * std::max(1.0, std::fabs(bound));
}


}  // namespace

DualSimplex::DualSimplex(SimplexLp lp, const SimplexControl &ctl, bool scaled)
    : SimplexBase(std::move(lp), ctl, true),
      log_(ctl.env, ctl.display, scaled),
      pricing_(ctl.pricing, lp_.m, ctl.given_basis_steepest),
      monitor_(ctl.perlim > 0 ? ctl.perlim : (lp_.n >= 1000 ? 100 : 50), lp_.m) {
  const int32_t m = lp_.m, n = lp_.n;
  cost_ = lp_.cost;
  rho_.setup(m);
  col_.setup(m);
  tau_.setup(m);
  flip_.setup(m);
  row_.setup(n + m);
  // Harris' rule lets reduced costs end up to the tolerance on the wrong
  // side; working with a tenth of the optimality tolerance keeps the final
  // dual infeasibilities, and the objective error they cause, well inside it.
  dual_tol_ = base_dual_tol_ = 0.1 * ctl.opttol;
  perturb_.magnitude = std::max(ctl.epper, 1e-8);
  set_slack_basis();
}

struct DualSimplex::Kept {
  std::vector<int8_t> status;
  std::vector<int32_t> head;
  std::unique_ptr<BasisFactor> factor;
  DualPricingState::Saved pricing;
};

DualSimplex::~DualSimplex() = default;

void DualSimplex::keep() {
  if (!have_factor_ || !factor_->valid()) {
    kept_.reset();
    return;
  }
  if (!kept_) kept_ = std::make_unique<Kept>();
  kept_->status = status_;
  kept_->head = head_;
  // A singularity repair may have moved the factor to another precision.
  if (kept_->factor && kept_->factor->precision() == factor_->precision()) kept_->factor->assign(*factor_);
  else kept_->factor = factor_->clone();
  pricing_.save(kept_->pricing);
}

bool DualSimplex::restore() {
  if (!kept_) return false;
  status_ = kept_->status;
  head_ = kept_->head;
  rebuild_positions();
  if (factor_->precision() == kept_->factor->precision()) factor_->assign(*kept_->factor);
  else factor_ = kept_->factor->clone();
  have_factor_ = true;
  pricing_.restore(kept_->pricing);
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (status_[j] != kBasic) place_nonbasic(j);
  return true;
}

// ---------------------------------------------------------------------------
// Basis bookkeeping

void DualSimplex::set_slack_basis() {
  const int32_t m = lp_.m, n = lp_.n;
  status_.assign(static_cast<size_t>(n + m), kAtLower);
  for (int32_t j = 0; j < n; ++j) {
    d_[j] = cost_[j];
    status_[j] = kFreeNb;  // lets place_nonbasic pick the bound by the cost sign
    place_nonbasic(j);
  }
  slack_header();
  pricing_.invalidate();
}

void DualSimplex::reset_weights() { pricing_.invalidate(); }

DualBasisView DualSimplex::basis_view() const { return DualBasisView{&lp_, factor_.get(), &head_, &status_}; }

void DualSimplex::set_bounds(int32_t j, double lower, double upper) {
  lp_.lower[j] = lower <= -kInfBound ? -kWorkInf : lower;
  lp_.upper[j] = upper >= kInfBound ? kWorkInf : upper;
  lower_[j] = lp_.lower[j];
  upper_[j] = lp_.upper[j];
  forget_movable();
  if (status_[j] != kBasic) place_nonbasic(j);
}

bool DualSimplex::factorize_for_refresh() {
  if (!factorize_header(log_.display(), [this](const std::string &line) { log_.text(line.c_str()); })) return false;
  if (!replaced_.empty()) pricing_.repaired(basis_view(), [this](const std::string &l) { say(l); });
  pricing_.refactored();
  return true;
}

bool DualSimplex::refactor() {
  if (!factorize_for_refresh()) return false;
  compute_primal();
  compute_dual();
  return true;
}

void DualSimplex::compute_primal() { compute_primal_values(flip_); }

void DualSimplex::compute_dual() { compute_duals(cost_, &cost_, flip_); }

double DualSimplex::objective() const {
  double s = 0.0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (cost_[j] != 0.0) s += cost_[j] * x_[j];
  return s;
}

double DualSimplex::true_objective() const {
  double s = 0.0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (lp_.cost[j] != 0.0) s += lp_.cost[j] * x_[j];
  return s;
}

// ---------------------------------------------------------------------------
// Dual feasibility

int DualSimplex::count_dual_infeasible() const {
  int count = 0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    if (status_[j] == kBasic || lower_[j] == upper_[j]) continue;
    const double dj = d_[j];
    if ((dj < -dual_tol_ && !simplex_finite(upper_[j])) || (dj > dual_tol_ && !simplex_finite(lower_[j]))) ++count;
  }
  return count;
}

double DualSimplex::dual_infeasibility_sum() const {
  double s = 0.0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    if (status_[j] == kBasic || lp_.lower[j] == lp_.upper[j]) continue;
    const double dj = d_[j];
    if (dj < 0.0 && !simplex_finite(lp_.upper[j])) s -= dj;
    if (dj > 0.0 && !simplex_finite(lp_.lower[j])) s += dj;
  }
  return s;
}

// Puts every boxed nonbasic variable at the bound its reduced cost asks for,
// and shifts the cost of any other slightly infeasible one (it is removed
// with the perturbation).  Returns true when primal values changed.
bool DualSimplex::make_dual_feasible_by_flips(bool allow_shift) {
  bool flipped = false;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    const int8_t s = status_[j];
    if (s == kBasic || lower_[j] == upper_[j]) continue;
    const double dj = d_[j];
    const bool boxed = simplex_finite(lower_[j]) && simplex_finite(upper_[j]);
    if (boxed) {
      if (s == kAtLower && dj < -dual_tol_) { status_[j] = kAtUpper; flipped = true; }
      else if (s == kAtUpper && dj > dual_tol_) { status_[j] = kAtLower; flipped = true; }
      else if (s == kFreeNb) { status_[j] = dj >= 0.0 ? kAtLower : kAtUpper; flipped = true; }
      continue;
    }
    const bool bad = (s == kAtLower && dj < -dual_tol_) || (s == kAtUpper && dj > dual_tol_) ||
                     (s == kFreeNb && std::fabs(dj) > dual_tol_);
    if (bad && allow_shift && std::fabs(dj) < 1e3 * dual_tol_) {
      cost_[j] -= dj;
      d_[j] = 0.0;
      shifted_ = true;
      ++shift_count_;
    }
  }
  if (flipped) compute_primal();
  return flipped;
}

// ---------------------------------------------------------------------------
// One iteration

int32_t DualSimplex::choose_row(const int8_t *skip) const {
  const std::vector<double> &w = pricing_.weights();
  double best = 0.0;
  int32_t r = -1;
  int32_t compared = 0;
  const double tol = phase_ == 1 ? phase1_tol_ : primal_tol_;
  const int32_t *head = head_.data();
  const double *x = x_.data(), *lo = lower_.data(), *up = upper_.data();
  // The feasibility tests become bit masks, so that the compiler keeps
  // them out of branches: whether a basic variable is out of its bounds is
  // as good as random while the dual is far from the optimum, and the
  // mispredictions cost more than the few operations of a feasible row
  // (fit2p: choose_row 15% of the run before).  A feasible or skipped row
  // scores 0, which never beats best * w[k] >= 0.
  auto mask = [](bool b) { return uint64_t{0} - static_cast<uint64_t>(b); };
  for (int32_t k = 0; k < lp_.m; ++k) {
    const int32_t j = head[k];
    const double v = x[j], l = lo[j], u = up[j];
    const uint64_t below = mask(v < l - tol), above = mask(v > u + tol) & ~below;
    const uint64_t candidate = (below | above) & (skip ? mask(!skip[k]) : ~uint64_t{0});
    compared += static_cast<int32_t>(candidate & 1);
    const double infeas =
        std::bit_cast<double>(((std::bit_cast<uint64_t>(l - v) & below) | (std::bit_cast<uint64_t>(v - u) & above)) &
                              candidate);
    const double score = infeas * infeas;
    if (score > best * w[k]) {
      best = score / w[k];
      r = k;
    }
  }
  compared_ = compared;
  work_add(static_cast<uint64_t>(lp_.m));
  return r;
}

// The pivot row, and the dual ratio test on it.  Column-wise, the ratio
// test's candidates are collected while the row is computed.
bool DualSimplex::pivot_row_and_ratio(const DualRatioInput &in) {
  const int32_t n = lp_.n, m = lp_.m;
  pivot_row_clear(row_, row_mark_);
  work_add(static_cast<uint64_t>(row_hidden_));
  row_hidden_ = 0;
  // Row-wise when the rows touched by rho hold clearly fewer entries than
  // the column-wise product would read; column-wise otherwise.  Both forms
  // read the movable columns only, unless the pricing rule needs the whole
  // row.
  const bool whole = pricing_.needs_whole_row();
  bool sparse = rho_.count >= 0 && rho_.count < 0.4 * m;
  if (sparse) {
    int64_t touched = 0;
    for (int32_t k = 0; k < rho_.count; ++k) {
      const int32_t i = rho_.index[k];
      touched += lp_.rstart[i + 1] - lp_.rstart[i];
    }
    sparse = touched < 0.6 * lp_.a.start[n];
  }
  if (sparse) {
    if (whole) pivot_row_rowwise(lp_, rho_, row_, row_mark_);
    else pivot_row_movable(lp_, movable_row_partition(), status_, rho_, row_, row_mark_);
    return ratio_.run(in, ratio_out_);
  }
  ratio_.begin(in);
  auto offer = [this](int32_t j, double alpha) { ratio_.offer(j, alpha); };
  if (whole) {
    pivot_row_colwise(lp_, rho_, status_, row_, row_mark_, offer);
    return ratio_.finish(in, ratio_out_);
  }
  const std::vector<int32_t> &columns = movable_columns();
  // Counted as the full scan that skipped fixed columns counted it (every
  // entry but those of fixed nonbasic columns, plus n + m), so that work
  // limits and the search's work shares do not depend on the list.
  const uint64_t work = static_cast<uint64_t>(lp_.a.start[n] - fixed_nonbasic_entries() + n + m);
  pivot_row_listed(lp_, rho_, columns, movable_rows(), work, row_, row_mark_, offer);
  row_hidden_ = pivot_row_fixed_slacks(lp_, rho_, status_);
  const bool found = ratio_.finish(in, ratio_out_);
  work_add(static_cast<uint64_t>(row_hidden_));
  return found;
}

void DualSimplex::apply_flips(const std::vector<int32_t> &flips) {
  if (flips.empty()) return;
  const int32_t n = lp_.n;
  HVector &v = flip_;
  v.clear();
  std::vector<double> &a = v.array;
  // The index list collects each row when it first becomes nonzero; a row
  // that cancels to zero and is hit again may be listed twice, which the
  // solve tolerates (it reads and clears each listed entry once).  Should
  // the list overflow, the solve scans the whole array instead.
  v.count = 0;
  auto add = [&](int32_t i, double val) {
    if (a[i] == 0.0 && v.count >= 0) {
      if (v.count < v.size) v.index[v.count++] = i;
      else v.count = -1;
    }
    a[i] += val;
  };
  uint64_t ops = flips.size();
  for (int32_t j : flips) {
    const double old = x_[j];
    status_[j] = status_[j] == kAtLower ? kAtUpper : kAtLower;
    x_[j] = nonbasic_value(j);
    const double delta = x_[j] - old;
    if (j < n) {
      for (int32_t k = lp_.a.start[j]; k < lp_.a.start[j + 1]; ++k) add(lp_.a.index[k], lp_.a.value[k] * delta);
      ops += static_cast<uint64_t>(lp_.a.start[j + 1] - lp_.a.start[j]);
    } else {
      add(j - n, delta);
    }
  }
  factor_->ftran(v, col_density_);
  for_each_nz(v, [&](int32_t i, double val) { x_[head_[i]] -= val; });
  work_add(ops + static_cast<uint64_t>(v.count >= 0 ? v.count : v.size));
  v.clear();
}

void DualSimplex::update_densities() {
  rho_density_ = 0.95 * rho_density_ + 0.05 * density(rho_);
  col_density_ = 0.95 * col_density_ + 0.05 * density(col_);
  if (pricing_.needs_tau()) tau_density_ = 0.95 * tau_density_ + 0.05 * density(tau_);
}

// A row whose pivot proves unusable on a fresh factor is left out of the
// row choice until the next basis change.
void DualSimplex::reject_row(int32_t r) {
  if (rejected_.empty()) rejected_mark_.assign(static_cast<size_t>(lp_.m), 0);
  rejected_mark_[r] = 1;
  rejected_.push_back(r);
}

void DualSimplex::clear_rejections() {
  for (int32_t r : rejected_) rejected_mark_[r] = 0;
  rejected_.clear();
}

void DualSimplex::prepare_weight_update(DualPivot &piv) {
  if (!pricing_.needs_tau()) return;
  tau_.clear();
  piv.row_norm2 = pricing_.tau_rhs(basis_view(), rho_, row_, tau_);
  factor_->ftran(tau_, tau_density_);
  piv.tau = &tau_;
}

DualSimplex::Step DualSimplex::iterate() {
  const uint64_t work0 = factor_->work();
  const int32_t r = choose_row(rejected_.empty() ? nullptr : rejected_mark_.data());
  if (r < 0) {
    if (rejected_.empty()) return Step::Optimal;
    // Infeasible rows remain, but none with a usable pivot.
    clear_rejections();
    return Step::Failed;
  }
  const int32_t p = head_[r];
  const double xp = x_[p];
  const bool below = xp < lower_[p];
  const double move_out = below ? -1.0 : 1.0;
  const double bound = below ? lower_[p] : upper_[p];

  unit_row_btran(r, rho_, rho_density_);
  const uint64_t btran_work = factor_->work() - work0;

  DualRatioInput in;
  in.row = &row_;
  in.dual = &d_;
  in.status = &status_;
  in.lower = &lower_;
  in.upper = &upper_;
  in.move_out = move_out;
  in.infeasibility = std::fabs(xp - bound);
  in.dual_tol = dual_tol_;
  in.primal_tol = primal_tol_;
  if (!pivot_row_and_ratio(in)) {
    if (factor_->updates_since_factor() > 0) {
      refactor();
      return Step::Redo;
    }
    ray_.assign(rho_.array.begin(), rho_.array.end());
    return Step::Infeasible;
  }
  const int32_t q = ratio_out_.enter;
  const double alpha_row = ratio_out_.alpha;

  load_column(q, col_);
  factor_->ftran(col_, col_density_);
  const double alpha = col_.array[r];
  if (std::fabs(alpha - alpha_row) > 1e-7 * (1.0 + std::fabs(alpha)) || std::fabs(alpha) < 1e-11) {
    if (factor_->updates_since_factor() > 0) {
      refactor();
      return Step::Redo;
    }
    if (std::fabs(alpha) < 1e-11) {
      // The pivot row and the column disagree even on a fresh factor:
      // try another leaving row.
      reject_row(r);
      return Step::Redo;
    }
  }

  double theta_d = d_[q] / alpha_row;
  if (move_out * theta_d < 0.0) {
    // Harris' rule chose a slightly infeasible reduced cost: shift its cost
    // so that the step is zero instead of going the wrong way.
    cost_[q] -= d_[q];
    d_[q] = 0.0;
    theta_d = 0.0;
    shifted_ = true;
    ++shift_count_;
  }

  DualPivot piv;
  piv.row = r;
  piv.alpha = alpha;
  piv.column = &col_;
  const uint64_t tau0 = factor_->work();
  prepare_weight_update(piv);
  const uint64_t tau_work = factor_->work() - tau0;

  update_reduced_costs(row_, theta_d, q, p, [](int32_t) {});

  // Primal update: bound flips first, then the step of the entering variable.
  apply_flips(ratio_out_.flips);
  const double theta_p = (x_[p] - bound) / alpha;
  const double xq = x_[q];
  for_each_nz(col_, [&](int32_t i, double v) { x_[head_[i]] -= theta_p * v; });
  x_[q] = xq + theta_p;
  work_add(static_cast<uint64_t>(row_.count + row_hidden_) + static_cast<uint64_t>(col_.count));

  pricing_.update(piv);
  update_densities();
  if (pricing_.state() == 0) sample_pricing_work(work0, btran_work, tau_work);

  swap_into_basis(q, p, r);
  status_[p] = below ? kAtLower : kAtUpper;
  x_[p] = bound;

  if (!factor_->update(r, col_)) refactor();
  if (!rejected_.empty()) clear_rejections();
  return Step::Done;
}

// Work samples of the automatic pricing rule for the iteration that
// started with the factor's work counter at work0.  Without weights the
// tau solve is not done: the BTRAN of the leaving row, which has the same
// right-hand side density, stands in for it, and the weight update is
// measured by the entries it would touch.
void DualSimplex::sample_pricing_work(uint64_t work0, uint64_t btran_work, uint64_t tau_work) {
  DualAutoPricing &s = pricing_.samples();
  const double total = static_cast<double>(factor_->work() - work0);
  const double other = total - static_cast<double>(tau_work) + row_.count + row_hidden_ + lp_.m;
  s.iteration(compared_, other);
  const bool on = pricing_.weights_on();
  s.tau_solve(static_cast<double>(on ? tau_work : btran_work));
  // The tau right-hand side of slack-space steepest edge is rho itself.
  s.weight_update(col_.count < 0 ? lp_.m : col_.count, rho_.count < 0 ? lp_.m : rho_.count);
}

// ---------------------------------------------------------------------------
// Runs

void DualSimplex::log_iteration(int phase, int32_t enter, int32_t leave) {
  const int disp = log_.display();
  if (disp <= 0) return;
  log_.elapsed(iter_);
  // The value costs a pass over all variables: computed only for a line.
  auto value = [&] { return phase == 1 ? dual_infeasibility_sum() : lp_.objsense * (objective() + lp_.offset); };
  if (disp >= 2) {
    log_.detail(iter_, phase, value(), var_name(enter), var_name(leave));
    return;
  }
  if (summary_due(phase)) log_.summary(iter_, phase, value());
}

void DualSimplex::monitor_progress() {
  if (!allow_perturb_ || !monitor_.due(iter_, phase_)) return;
  bool moved = true;
  switch (monitor_.observe(iter_, phase_, objective(), perturb_.active, moved)) {
    case ProgressMonitor::Action::None: return;
    case ProgressMonitor::Action::Perturb:
      // The costs are perturbed in phase 2 only: phase 1 works on the
      // auxiliary bounds, whose end the costs must not shift.
      if (phase_ != 2) return;
      objlim_ = move_limit_away(objlim_, objective() + lp_.offset, 1.0);
      start_perturbation(true);
      refactor();
      return;
    case ProgressMonitor::Action::AdjustTolerances: adjust_tolerances(moved); return;
  }
}

// A stall while perturbed: the optimality tolerance is loosened when the
// objective did not move at all (larger Harris steps), and the phase-1
// row choice is made stricter by schedule T1 (more rows to choose from).
void DualSimplex::adjust_tolerances(bool moved) {
  if (!moved) dual_tol_ = loosen(dual_tol_);
  if (phase1_tol_ > 1e-13) phase1_tol_ = tighten_t1(phase1_tol_);
}

// The magnitude is the stored one (TVL_PARAM_EPPER) the first time and
// min(1e-6, previous / 10) later.  After a stall (`stalled`) the
// optimality tolerance is kept below a thousandth of it, so that the
// perturbation, not the tolerance, decides the ratio test's ties; the
// perturbation of a degenerate start keeps the run's tolerance (on pilot87
// the tighter one cost 30% more iterations).  The least change stays tied
// to the run's own tolerance.
void DualSimplex::start_perturbation(bool stalled) {
  const double mag = next_perturbation_magnitude(perturb_.count, std::max(ctl_.epper, 1e-8), perturb_.magnitude);
  perturb_.magnitude = mag;
  if (stalled && dual_tol_ > mag / 1000.0) dual_tol_ = mag / 1000.0;
  before_perturb_ = cost_;
  perturb_costs(before_perturb_, lower_, upper_, status_, mag, kLeastPerturbation * base_dual_tol_, rng_, cost_);
  for (int32_t j = 0; j < lp_.num_vars(); ++j) d_[j] += cost_[j] - before_perturb_[j];
  const char *line = perturb_.started();
  monitor_.perturbed(perturb_.count, mag);
  log_.text(line);
}

// Share of the nonbasic, non-fixed structurals whose reduced cost is zero
// within the tolerance.  When at least half of them are, nearly every ratio
// test of the coming iterations ties and the dual stalls from the first
// iteration: perturbing before the first step is then cheaper than waiting
// for the progress monitor to notice.
bool DualSimplex::dual_degenerate_start() const {
  int32_t nonbasic = 0, zero = 0;
  for (int32_t j = 0; j < lp_.n; ++j) {
    if (status_[j] == kBasic || lower_[j] == upper_[j]) continue;
    ++nonbasic;
    if (std::fabs(d_[j]) <= dual_tol_) ++zero;
  }
  return nonbasic > 0 && 2 * zero >= nonbasic;
}

// The primal cleanup after a removal of perturbation or shifts, from a
// primal feasible basis.  When the true costs leave few dual
// infeasibilities, a short run with reduced-cost pricing (weights would not
// pay for their solves) and a budget of a tenth of the dual iterations so
// far removes them.  When they leave many (more than kSteepCleanupShare of
// the variables: a perturbation that moved the optimum far, as on the pilot
// models), the primal simplex needs about two pivots per infeasibility and
// steepest edge with exact initial norms keeps that count low; it gets a
// budget of as many iterations as the dual took.  Handing such a basis back
// to the dual instead (flips, then phase 1) had cost about three times the
// perturbed run on pilot87.
LpStatus DualSimplex::cleanup_after_removal() {
  const bool many = count_dual_infeasible() > kSteepCleanupShare * lp_.num_vars();
  const int64_t budget = std::max<int64_t>(100, many ? iter_ : iter_ / kCleanupBudgetDivisor);
  return primal_cleanup(budget, dual_tol_, many ? kPrimalSteepestEdge : kPrimalReducedCost);
}

// A primal cleanup: when its budget runs out, NumericalTrouble tells the
// caller to hand the basis back to the dual (flips and phase 1 for what
// remains).  A primal pivot removes about one dual infeasibility, so with
// more than twice the budget of them the cleanup is not tried at all.  The
// cleanup is the primal simplex itself (primal_simplex.h) on the working LP
// with the true costs, started from the current basis with the given
// pricing (TVL_PARAM_PPRIIND value) and optimality tolerance.  Its final
// basis comes back to the dual with the positions of the rows that kept
// their basic variable; when the dual goes on from there, its pricing
// weights, which did not follow the primal's pivots, are computed afresh.
// Koberstein 2005, section 6.3.2.
LpStatus DualSimplex::primal_cleanup(int64_t budget, double opttol, int pricing) {
  if (!primal_candidates(opttol)) return LpStatus::Optimal;
  if (count_dual_infeasible() > kCleanupReach * budget) return LpStatus::NumericalTrouble;
  SimplexControl ctl = ctl_;
  ctl.itlim = std::max<int64_t>(0, std::min(ctl_.itlim - iter_, budget));
  ctl.opttol = opttol;
  ctl.feastol = primal_tol_;
  ctl.working_feastol_factor = 1.0;
  ctl.pricing = pricing;
  ctl.perturb_always = 0;
  ctl.display = 0;
  PrimalSimplex primal(lp_, ctl, false);
  primal.set_basis(status_);
  LpStatus st = primal.run();
  iter_ += primal.iterations();
  if (st == LpStatus::IterLimit && iter_ < ctl_.itlim) st = LpStatus::NumericalTrouble;
  if (primal.iterations() == 0) return st;
  if (!adopt_pivoted_status(primal.status()) || !refactor()) return LpStatus::NumericalTrouble;
  if (st != LpStatus::Optimal) pricing_.recompute(basis_view());
  return st;
}

// Whether a nonbasic variable's reduced cost has the wrong sign for its
// status by more than `tol` (a pricing candidate of the primal simplex).
bool DualSimplex::primal_candidates(double tol) const {
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    const int8_t s = status_[j];
    if (s == kBasic || lower_[j] == upper_[j]) continue;
    const double dj = d_[j];
    if ((s == kAtLower && dj < -tol) || (s == kAtUpper && dj > tol) || (s == kFreeNb && std::fabs(dj) > tol))
      return true;
  }
  return false;
}

// Restores the true costs.  A perturbation also takes back the tolerance
// steps taken while it was active; mere cost shifts instead tighten the
// optimality tolerance by schedule T2, so that the continuation does not
// need to shift the same reduced costs again.
void DualSimplex::remove_perturbation() {
  if (perturb_.active) {
    log_.text("Removing perturbation.\n");
    dual_tol_ = base_dual_tol_;
  } else if (shifted_) {
    say("Removing shift (" + std::to_string(shift_count_) + ").\n");
    dual_tol_ = dual_tol_ > 1e-13 ? tighten_t2(dual_tol_) : loosen(dual_tol_);
  }
  cost_ = lp_.cost;
  perturb_.active = false;
  shifted_ = false;
  shift_count_ = 0;
  objlim_ = lp_.objsense > 0 ? ctl_.objulim : -ctl_.objllim;
  compute_dual();
}

// Runs dual iterations on the current bounds until optimal, infeasible or a limit.
LpStatus DualSimplex::solve_current(int phase) {
  if (phase != phase_) pricing_.phase_changed(phase, iter_, [this](const std::string &l) { say(l); });
  phase_ = phase;
  // The bounds or costs may have changed since the last stretch (flips,
  // artificial bounds, removal): progress is measured from here.
  monitor_.start(iter_, phase, objective());
  int redo = 0;
  bool recomputed = false;
  for (;;) {
    if (const LpStatus lim = limit_reached(); lim != LpStatus::Unknown) return lim;
    const Step s = iterate();
    switch (s) {
      case Step::Redo:
        if (++redo > kMaxRedo) return LpStatus::NumericalTrouble;
        continue;
      case Step::Failed:
        return LpStatus::NumericalTrouble;
      case Step::Infeasible:
        return phase == 1 ? LpStatus::NumericalTrouble : LpStatus::Infeasible;
      case Step::Optimal:
        if (factor_->updates_since_factor() > 0 && factor_->updates_since_factor() <= ctl_.updates_kept_at_end) {
          // Few updates: values recomputed with the updated factor are
          // checked once more instead of refactorizing.
          if (recomputed) return LpStatus::Optimal;
          recomputed = true;
          compute_primal();
          compute_dual();
          make_dual_feasible_by_flips(true);
          continue;
        }
        if (factor_->updates_since_factor() > 0) {
          refactor();
          make_dual_feasible_by_flips(true);
          if (++redo > kMaxRedo) return LpStatus::Optimal;
          continue;
        }
        return LpStatus::Optimal;
      case Step::Done:
        break;
    }
    redo = 0;
    recomputed = false;
    ++iter_;
    if (phase == 1) ++phase1_iter_;
    if (pricing_.state() == DualPricingState::kSwitchState)
      pricing_.after_iteration(iter_, [this](const std::string &l) { say(l); });
    log_iteration(phase, last_enter_, last_leave_);
    monitor_progress();
    if (phase == 2) {
      if (objlim_ < kNoValueLimit && !perturb_.active && !shifted_ && boxed_.empty() && objective() + lp_.offset > objlim_) {
        refactor();
        if (objective() + lp_.offset > objlim_) return LpStatus::ObjLimit;
      }
    }
  }
}

LpStatus DualSimplex::run_phase1() {
  const int32_t nv = lp_.num_vars();
  for (int32_t j = 0; j < nv; ++j) {
    const bool flo = simplex_finite(lp_.lower[j]), fup = simplex_finite(lp_.upper[j]);
    if (flo && fup) { lower_[j] = 0.0; upper_[j] = 0.0; }
    else if (flo) { lower_[j] = 0.0; upper_[j] = 1.0; }
    else if (fup) { lower_[j] = -1.0; upper_[j] = 0.0; }
    else { lower_[j] = -1000.0; upper_[j] = 1000.0; }
    if (status_[j] != kBasic) {
      status_[j] = d_[j] >= 0.0 ? kAtLower : kAtUpper;
      x_[j] = nonbasic_value(j);
    }
  }
  compute_primal();
  const LpStatus st = solve_current(1);
  lower_ = lp_.lower;
  upper_ = lp_.upper;
  for (int32_t j = 0; j < nv; ++j) {
    if (status_[j] == kBasic) continue;
    status_[j] = kFreeNb;
    place_nonbasic(j);
  }
  compute_primal();
  pricing_.phase_changed(2, iter_, [this](const std::string &l) { say(l); });
  phase_ = 2;
  if (st != LpStatus::Optimal) return st;
  // Reduced costs left just beyond the tolerance by an auxiliary optimum of
  // about zero are rounding, not a proof: they are shifted away (and the
  // shift removed later) before the remaining ones declare the LP unbounded.
  make_dual_feasible_by_flips(true);
  if (count_dual_infeasible() > 0) return LpStatus::Unbounded;
  return LpStatus::Optimal;
}

// Temporary finite bounds for the nonbasic variables whose reduced costs
// have the wrong sign for their infinite bounds: every variable becomes
// boxed where needed, the flips make the basis dual feasible and phase 2
// starts at once with the true costs.  Where the rows imply a bound on the
// infinite side (implied_bounds.h), the box ends just beyond it: every
// feasible point lies inside, so the box does not bind at the optimum, and
// the starting dual objective is far nearer the optimum than with a wide
// box (cycle: 715 iterations instead of 1,098; degen3 1,841 instead of
// 2,143).  Only a fresh basis (`use_implied`) gets them: the few dual
// infeasibilities of a warm start are removed sooner by a wide box, whose
// flips make the offending variables' rows the dual's first choices.
// Elsewhere the box is wide (kArtificialBound), so that it rarely
// binds; when it does, restore_bounds reports it and phase 1 takes over
// from that basis.
void DualSimplex::box_dual_infeasible(bool use_implied) {
  boxed_.clear();
  std::vector<double> ilo, iup;
  bool have_implied = false;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    if (status_[j] == kBasic || lower_[j] == upper_[j]) continue;
    const double dj = d_[j];
    const bool flo = simplex_finite(lower_[j]), fup = simplex_finite(upper_[j]);
    if (flo && fup) continue;
    const bool raise = dj < -dual_tol_ && !fup, drop = dj > dual_tol_ && !flo;
    if (!raise && !drop) continue;
    if (use_implied && !have_implied) {
      implied_bounds(lp_, ilo, iup);
      have_implied = true;
    }
    const bool implied = have_implied && j < lp_.n;
    const double lo_implied = implied ? relaxed_implied(ilo[j], -1.0) : -kWorkInf;
    const double up_implied = implied ? relaxed_implied(iup[j], 1.0) : kWorkInf;
    if (!box_variable(j, raise, lo_implied, up_implied)) box_variable(j, raise, -kWorkInf, kWorkInf);
    status_[j] = dj >= 0.0 ? kAtLower : kAtUpper;
    boxed_.push_back(j);
  }
  if (!boxed_.empty()) compute_primal();
}

// Gives variable j a finite box: the side its reduced cost asks for
// (`raise`: the upper one) and any other infinite side, each the given
// implied bound or kArtificialBound away, whichever is nearer.  Returns
// false, leaving the true bounds, when the box would be empty (implied
// bounds of an infeasible LP cross).
bool DualSimplex::box_variable(int32_t j, bool raise, double lo_implied, double up_implied) {
  double lo = lower_[j], up = upper_[j];
  if (raise) up = std::min(up_implied, (simplex_finite(lo) ? lo : 0.0) + kArtificialBound);
  else lo = std::max(lo_implied, (simplex_finite(up) ? up : 0.0) - kArtificialBound);
  if (!simplex_finite(lo)) lo = std::max(lo_implied, up - 2.0 * kArtificialBound);
  if (!simplex_finite(up)) up = std::min(up_implied, lo + 2.0 * kArtificialBound);
  if (!(lo < up)) return false;
  lower_[j] = lo;
  upper_[j] = up;
  return true;
}

// Puts back the true bounds of the variables boxed by box_dual_infeasible.
// Returns true when one of them was left nonbasic at an artificial bound.
bool DualSimplex::restore_bounds() {
  bool hit = false;
  for (int32_t j : boxed_) {
    lower_[j] = lp_.lower[j];
    upper_[j] = lp_.upper[j];
    if (status_[j] == kBasic) continue;
    if ((status_[j] == kAtLower && !simplex_finite(lower_[j])) || (status_[j] == kAtUpper && !simplex_finite(upper_[j]))) hit = true;
    place_nonbasic(j);
  }
  boxed_.clear();
  compute_primal();
  return hit;
}

// Final polish: reduced costs that are within the tolerance but on the wrong
// side still cost objective accuracy when the variables' ranges are large;
// a few primal simplex pivots with a much smaller tolerance remove them while
// the basis stays primal feasible.  A failed polish continues with the dual.
void DualSimplex::polish() {
  if (choose_row() >= 0) return;
  // The polish ends the run: a perturbation started here would not be removed.
  allow_perturb_ = false;
  const LpStatus st =
      primal_cleanup(std::max<int64_t>(50, iter_ / kPolishBudgetDivisor), std::max(1e-9, 0.01 * dual_tol_), kPrimalReducedCost);
  if (st != LpStatus::Optimal || choose_row() >= 0 || count_dual_infeasible() > 0) {
    // Left the tolerances: continue with the dual from here.
    make_dual_feasible_by_flips(false);
    if (count_dual_infeasible() == 0) solve_current(2);
  }
}

LpStatus DualSimplex::run() {
  log_.start();
  pfeas_ = dfeas_ = false;
  // Counters and the perturbation record are per run; factor, weights and
  // basis carry over from the previous run (warm start).
  iter_ = 0;
  phase1_iter_ = 0;
  reset_repairs();
  allow_perturb_ = true;
  perturb_.active = false;
  shifted_ = false;
  shift_count_ = 0;
  dual_tol_ = base_dual_tol_;
  phase1_tol_ = primal_tol_;
  objlim_ = lp_.objsense > 0 ? ctl_.objulim : -ctl_.objllim;
  cost_ = lp_.cost;
  // A warm start (kept factor, a few bound changes) is left to the progress
  // monitor; only a fresh basis may be perturbed before the first step.
  const bool fresh_basis = !have_factor_;
  if (!have_factor_) {
    if (!refactor()) return LpStatus::NumericalTrouble;
  } else {
    compute_primal();
    compute_dual();
  }
  pricing_.start_run(basis_view(), [this](const std::string &l) { say(l); });
  LpStatus st = LpStatus::Unknown;
  for (int round = 0; round < kMaxRounds; ++round) {
    for (int32_t j = 0; j < lp_.num_vars(); ++j)
      if (status_[j] != kBasic) place_nonbasic(j);
    // Small dual infeasibilities of the starting basis are shifted away;
    // after a removal of perturbation or shifts they are worked off by
    // phase 1 instead, so that the final costs are the true ones.
    make_dual_feasible_by_flips(round == 0);
    if (count_dual_infeasible() > 0) {
      if (round == 0) {
        box_dual_infeasible(fresh_basis);
      } else {
        st = run_phase1();
        if (st != LpStatus::Optimal) break;
        make_dual_feasible_by_flips(true);
      }
    }
    if (round == 0 && allow_perturb_ && !perturb_.active &&
        (ctl_.perturb_always || (fresh_basis && choose_row() >= 0 && dual_degenerate_start())))
      start_perturbation(false);
    st = solve_current(2);
    if (!boxed_.empty()) {
      const bool hit = restore_bounds();
      if (hit && (st == LpStatus::Optimal || st == LpStatus::Infeasible)) continue;
      if (hit) phase_ = 1;
    }
    if (st != LpStatus::Optimal) break;
    if (!perturb_.active && !shifted_) break;
    remove_perturbation();
    if (choose_row() < 0) {
      // Primal feasible with true costs: the primal simplex removes the
      // remaining dual infeasibilities.
      st = cleanup_after_removal();
      if (st == LpStatus::Unbounded) break;
      if (st != LpStatus::Optimal && st != LpStatus::NumericalTrouble) break;
      st = LpStatus::Optimal;
    }
    make_dual_feasible_by_flips(false);
    if (count_dual_infeasible() == 0 && choose_row() < 0) break;
  }
  if (st == LpStatus::Optimal && (perturb_.active || shifted_)) remove_perturbation();
  if (st == LpStatus::Optimal) polish();
  pfeas_ = dfeas_ = st == LpStatus::Optimal;
  if (stopped_by_limit(st)) dfeas_ = phase_ == 2;
  // Display 1 closes with the objective of the final factorization;
  // display 2 has already shown every iteration.
  if (log_.display() == 1 && st == LpStatus::Optimal) log_iteration(2, -1, -1);
  return st;
}

}  // namespace tvl::lp
