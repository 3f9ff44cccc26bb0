#include "simplex/primal_simplex.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "runtime/workcount.h"
#include "simplex/pivot_row.h"
#include "simplex/primal_perturb.h"
#include "simplex/tolerance_schedule.h"

namespace tvl::lp {

namespace {

constexpr int kMaxRedo = 25;
constexpr int kMaxRounds = 10;
constexpr double kPolishTol = 1e-9;
// Iterations the polish may take before the usual tolerance returns: at a
// degenerate optimum of a badly scaled LP the reduced costs between the two
// tolerances are rounding noise, and pivoting on them need not end.
constexpr int64_t kPolishIters = 500;


// Initial stall window by number of rows.
int64_t primal_window(int32_t m) {
  if (m < 1000) return 400;
  if (m < 5000) return 500;
  if (m < 7500) return 600;
  if (m < 10000) return 700;
  if (m < 15000) return 900;
  if (m < 20000) return 1100;
  if (m < 30000) return 1600;
  if (m < 40000) return 2100;
  return 2600;
}

}  // namespace

PrimalSimplex::PrimalSimplex(SimplexLp lp, const SimplexControl &ctl, bool scaled)
    : SimplexBase(std::move(lp), ctl, false),
      log_(ctl.env, ctl.display, scaled),
      hstats_(lp_.m, lp_.n, lp_.a.start.empty() ? 0 : lp_.a.start.back()),
      monitor_(ctl.perlim > 0 ? ctl.perlim : primal_window(lp_.m), lp_.m) {
  const int32_t m = lp_.m, n = lp_.n;
  col_.setup(m);
  rho_.setup(m);
  steep_.setup(m);
  work_.setup(m);
  row_.setup(n + m);
  p1cost_.assign(static_cast<size_t>(n + m), 0.0);
  dual_tol_ = ctl.opttol;
  perturb_.magnitude = std::max(ctl.epper, 1e-9);
  objlim_ = lp_.objsense > 0 ? ctl.objllim : -ctl.objulim;
  setup_pricing();
  set_slack_basis();
}

PrimalSimplex::~PrimalSimplex() = default;

// ---------------------------------------------------------------------------
// Pricing choice

void PrimalSimplex::setup_pricing() {
  const int32_t nv = lp_.num_vars();
  ppriind_ = ctl_.pricing;
  hybrid_ = ppriind_ == 0;
  hybrid_weights_ = ppriind_ == 0;
  const bool wide = lp_.n > 4 * lp_.m && nv > 10000;
  switch (ppriind_) {
    case 1: pricing_ = make_primal_devex_pricing(nv); break;
    case 2:
    case 3: pricing_ = make_primal_steepest_pricing(nv); break;
    case 4: pricing_ = make_primal_dantzig_pricing(nv, false); break;
    default: pricing_ = make_primal_dantzig_pricing(nv, wide || ppriind_ == -1, ctl_.pricelim); break;
  }
}

// Hybrid rule, run after a refactorization once iterations were done:
// leaves reduced-cost pricing for devex (or steepest edge) when the solves
// are cheap compared with the pricing they would save.
void PrimalSimplex::hybrid_rule() {
  if (iter_ == 0) return;
  if (!hybrid_) {
    switch_weights();
    return;
  }
  const PrimalRule now = pricing_->rule();
  if (now != PrimalRule::Dantzig && now != PrimalRule::Partial) return;
  const double k = static_cast<double>(iter_) / (lp_.m + lp_.n + 1e-10);
  const double b = static_cast<double>(basis_nz_);
  const double nf = static_cast<double>(factor_->factor_nonzeros());
  // Work total: solves of the factor plus pricing passes, in nonzeros.
  const double t = static_cast<double>(factor_->work() - work_base_) + b;
  const double r = (t - b) / (nf + 1e-10);
  const bool perturbed = perturb_.active && ctl_.perturb_always == 0;
  const double f = perturbed ? 2.5 : 1.5;
  bool to_steep = f * k > r;
  bool to_devex = (perturbed && 5.0 * nf > t - b) || (phase_ == 2 && 11.0 * nf > 4.0 * (t - b)) ||
                  (lp_.m >= 1000 && 2.0 * nf > 3.0 * (t - b)) || 2.5 * k > r;
  // Every iteration costs at least three solves; the rule then points at
  // devex once the run is more than a short cleanup.
  if (!to_steep && !to_devex && iter_ >= 100) to_devex = true;
  if (!to_steep && !to_devex) return;
  hybrid_ = false;
  // Weights are an accelerator only: without memory for them reduced-cost
  // pricing stays.
  if (!switch_pricing(to_steep)) log_.text("Not enough memory for devex.\n");
}

// Replaces the pricing by fresh steepest-edge (norms 1) or devex weights;
// false when they cannot be allocated.
bool PrimalSimplex::switch_pricing(bool steepest) {
  const int32_t nv = lp_.num_vars();
  try {
    pricing_ = steepest ? make_primal_steepest_pricing(nv) : make_primal_devex_pricing(nv);
  } catch (const std::bad_alloc &) {
    return false;
  }
  log_.text(steepest ? "Switched to steepest-edge.\n" : "Switched to devex.\n");
  return true;
}

// Between devex and steepest edge by the sampled work per iteration.  The
// weights of the rule left behind are not carried over: devex weights
// measure a reference set, not the edges.  Steepest edge starts from 1:
// seeding it with the devex weights cost iterations, and exact norms cost
// n solves and on pilot87 after presolve led into near-singular bases.
void PrimalSimplex::switch_weights() {
  if (!hybrid_weights_) return;
  const PrimalRule now = pricing_->rule();
  if (now != PrimalRule::Devex && now != PrimalRule::SteepestEdge) return;
  const double k = static_cast<double>(iter_) / (lp_.m + lp_.n + 1e-10);
  const bool perturbed = perturb_.active && ctl_.perturb_always == 0;
  const PrimalHybridStats::Choice c = hstats_.decide(now == PrimalRule::SteepestEdge, k, perturbed);
  if (c == PrimalHybridStats::Choice::Keep) return;
  if (!switch_pricing(c == PrimalHybridStats::Choice::Steepest)) hybrid_weights_ = false;
}

// ---------------------------------------------------------------------------
// Basis bookkeeping

void PrimalSimplex::set_slack_basis() {
  const int32_t m = lp_.m, n = lp_.n;
  status_.assign(static_cast<size_t>(n + m), kAtLower);
  for (int32_t j = 0; j < n; ++j) {
    status_[j] = kFreeNb;
    // A column with finite bounds on both sides starts at the bound nearer
    // to zero.
    if (simplex_finite(lower_[j]) && simplex_finite(upper_[j]) && std::fabs(upper_[j]) < std::fabs(lower_[j]))
      status_[j] = kAtUpper;
    else if (simplex_finite(lower_[j]))
      status_[j] = kAtLower;
    place_nonbasic(j);
  }
  slack_header();
  pricing_->reset_unit();
}

void PrimalSimplex::reset_weights() { pricing_->reset_unit(); }

bool PrimalSimplex::factorize_for_refresh() {
  if (!factorize_header(log_.display(), [this](const std::string &line) { log_.text(line.c_str()); })) return false;
  basis_nz_ = 0;
  for (int32_t j : head_)
    basis_nz_ += j < lp_.n ? static_cast<uint64_t>(lp_.a.start[j + 1] - lp_.a.start[j]) : 1u;
  if (!replaced_.empty()) reinit_norms();
  return true;
}

bool PrimalSimplex::refactor() {
  if (!factorize_for_refresh()) return false;
  compute_primal();
  compute_phase1_costs();
  compute_dual();
  hybrid_rule();
  return true;
}

// A repaired basis invalidates the weights: devex starts a new reference
// framework, steepest edge recomputes its norms exactly.
void PrimalSimplex::reinit_norms() {
  if (pricing_->rule() != PrimalRule::SteepestEdge || ppriind_ == 3) {
    pricing_->reset_unit();
    return;
  }
  log_.text("Reinitializing primal norms . . .\n");
  const int count = static_cast<int>(exact_norms());
  log_.textf("Computed %d new norms.\n", count);
}

int32_t PrimalSimplex::exact_norms() {
  const uint64_t before = pricing_->work();
  const int32_t count = pricing_->compute_exact(lp_, *factor_, status_);
  work_add(pricing_->work() - before);
  return count;
}

void PrimalSimplex::compute_primal() { compute_primal_values(work_); }

// Costs of the phase-1 objective (sum of violations): -1 for a basic
// variable below its lower bound, +1 above its upper bound.  Returns true
// when they changed.
bool PrimalSimplex::compute_phase1_costs() {
  bool changed = false;
  for (int32_t k = 0; k < lp_.m; ++k) {
    const int32_t j = head_[k];
    double c = 0.0;
    if (x_[j] < lower_[j] - primal_tol_) c = -1.0;
    else if (x_[j] > upper_[j] + primal_tol_) c = 1.0;
    if (c != p1cost_[j]) {
      p1cost_[j] = c;
      changed = true;
    }
  }
  return changed;
}

// Duals and reduced costs for the current phase: y = B^-T c_B.
void PrimalSimplex::compute_dual() {
  if (phase_ == 1) compute_duals(p1cost_, nullptr, work_);
  else compute_duals(lp_.cost, &lp_.cost, work_);
  cands_.rebuild(pricing_view(), lp_.num_vars());
}

PrimalPricingView PrimalSimplex::pricing_view() const {
  return PrimalPricingView{&d_, &status_, &lower_, &upper_, dual_tol_, nullptr};
}

double PrimalSimplex::objective() const {
  double s = 0.0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (lp_.cost[j] != 0.0) s += lp_.cost[j] * x_[j];
  return s;
}

double PrimalSimplex::infeasibility_sum(double tol) const {
  double s = 0.0;
  for (int32_t j : head_) {
    if (x_[j] < lower_[j] - tol) s += lower_[j] - x_[j];
    else if (x_[j] > upper_[j] + tol) s += x_[j] - upper_[j];
  }
  return s;
}

int32_t PrimalSimplex::count_infeasible(double tol) const {
  int32_t c = 0;
  for (int32_t j : head_)
    if (x_[j] < lower_[j] - tol || x_[j] > upper_[j] + tol) ++c;
  return c;
}

bool PrimalSimplex::dual_infeasible() const {
  const PrimalPricingView v = pricing_view();
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (primal_infeasibility(v, j) > 0.0) return true;
  return false;
}

// Row r of B^-1 [A I] over the nonbasic variables, from rho = B^-T e_r.
// Returns an estimate of the work (entries visited).
double PrimalSimplex::compute_pivot_row() {
  pivot_row_clear(row_, row_mark_);
  if (rho_.count >= 0 && rho_.count < 0.3 * lp_.m) {
    pivot_row_rowwise(lp_, rho_, row_, row_mark_);
    return static_cast<double>(rho_.count + row_.count);
  }
  pivot_row_colwise(lp_, rho_, status_, row_, row_mark_);
  return static_cast<double>(lp_.a.start.back() + lp_.m);
}

// Before an unboundedness conclusion the factor is rebuilt with a pivot
// threshold of at least 0.1.  Returns true when the threshold was raised.
bool PrimalSimplex::raise_threshold() {
  const double u = factor_->markowitz();
  if (u >= 0.1) return false;
  factor_->set_markowitz(0.1);
  if (0.1 - u > 0.01) log_.textf("Markowitz threshold set to %g\n", 0.1);
  return true;
}

// ---------------------------------------------------------------------------
// One iteration

void PrimalSimplex::flip(int32_t q, double dir, double theta) {
  for_each_nz(col_, [&](int32_t i, double a) { x_[head_[i]] -= dir * theta * a; });
  status_[q] = status_[q] == kAtLower ? kAtUpper : kAtLower;
  x_[q] = nonbasic_value(q);
  cands_.touch(pricing_view(), q);
}

void PrimalSimplex::make_ray(int32_t q, double dir) {
  ray_.assign(static_cast<size_t>(lp_.num_vars()), 0.0);
  ray_[q] = dir;
  for_each_nz(col_, [&](int32_t i, double a) { ray_[head_[i]] = -dir * a; });
}

PrimalSimplex::Step PrimalSimplex::iterate() {
  PrimalPricingView view = pricing_view();
  // Phase 1 prices with its own, possibly tightened, tolerance.
  if (phase_ == 1) view.tol = std::min(dual_tol_, phase1_tol_);
  if (!cands_.covers(view.tol)) cands_.rebuild(view, lp_.num_vars());
  view.cands = &cands_;
  const uint64_t price0 = pricing_->work();
  const int32_t q = pricing_->choose(view);
  const uint64_t price1 = pricing_->work(), solve0 = factor_->work();
  work_add(price1 - price0);
  if (q < 0) return Step::NoCandidate;
  const double dq = d_[q];
  const double dir = status_[q] == kAtLower ? 1.0 : (status_[q] == kAtUpper ? -1.0 : (dq < 0.0 ? 1.0 : -1.0));

  load_column(q, col_);
  factor_->ftran(col_, col_density_);
  col_density_ = 0.95 * col_density_ + 0.05 * density(col_);
  hstats_.priced(static_cast<double>(price1 - price0), static_cast<double>(factor_->work() - solve0));

  PrimalRatioInput in;
  in.column = &col_;
  in.head = &head_;
  in.x = &x_;
  in.lower = &lower_;
  in.upper = &upper_;
  in.direction = dir;
  in.range = simplex_finite(lower_[q]) && simplex_finite(upper_[q]) ? upper_[q] - lower_[q] : kWorkInf;
  in.phase = phase_;
  in.slope = std::fabs(dq);
  in.feastol = primal_tol_;
  ratio_.run(in, rout_);

  switch (rout_.kind) {
    case PrimalStep::Unbounded:
      if (factor_->updates_since_factor() > 0 || (phase_ == 2 && raise_threshold())) {
        if (!refactor()) return Step::Failed;
        return Step::Redo;
      }
      if (phase_ == 1) {
        // The phase-1 objective is bounded: a descent ray is rounding
        // error in d_q.  Skip the candidate until the duals are rebuilt.
        d_[q] = 0.0;
        return Step::Redo;
      }
      make_ray(q, dir);
      return Step::Unbounded;
    case PrimalStep::Flip:
      flip(q, dir, rout_.theta);
      last_enter_ = q;
      last_leave_ = q;
      return Step::Done;
    case PrimalStep::Pivot:
      break;
  }
  return pivot(q, dir);
}

PrimalSimplex::Step PrimalSimplex::pivot(int32_t q, double dir) {
  const int32_t r = rout_.pos;
  const int32_t p = head_[r];
  const double alpha = col_.array[r];

  const uint64_t solve0 = factor_->work();
  unit_row_btran(r, rho_, rho_density_);
  rho_density_ = 0.95 * rho_density_ + 0.05 * density(rho_);
  const double row_work = compute_pivot_row();
  const uint64_t solve1 = factor_->work();
  const double alpha_row = row_.array[q];
  if (std::fabs(alpha - alpha_row) > 1e-7 * (1.0 + std::fabs(alpha))) {
    if (factor_->updates_since_factor() > 0) {
      if (!refactor()) return Step::Failed;
      return Step::Redo;
    }
  }
  if (std::fabs(alpha) < 1e-11) return Step::Failed;

  PrimalPivot piv;
  piv.enter = q;
  piv.leave = p;
  piv.row_pos = r;
  piv.alpha = alpha;
  piv.row = &row_;
  piv.column = &col_;
  piv.lp = &lp_;
  piv.head = &head_;
  hstats_.pivoted(static_cast<double>(solve1 - solve0) + row_work, row_.count);
  const bool probe = hybrid_weights_ && pricing_->rule() == PrimalRule::Devex && hstats_.wants_probe(++pivots_);
  if (pricing_->needs_steep() || probe) {
    steep_.clear();
    for_each_nz(col_, [&](int32_t i, double v) {
      steep_.array[i] = v;
      steep_.index[steep_.count++] = i;
    });
    factor_->btran(steep_, 0.3);
    piv.steep = &steep_;
    hstats_.steep_solve(static_cast<double>(factor_->work() - solve1));
  }
  const uint64_t update0 = pricing_->work();
  pricing_->update(piv);
  work_add(pricing_->work() - update0);

  // Reduced costs: d_j -= theta_d alpha_rj; a changed one may make j a
  // pricing candidate (q is dropped from the list once basic).
  const double theta_d = d_[q] / alpha;
  const PrimalPricingView view = pricing_view();
  update_reduced_costs(row_, theta_d, q, p, [&](int32_t j) {
    if (j != q) cands_.touch(view, j);
  });

  // Primal values.
  const double theta = rout_.theta;
  if (theta != 0.0) for_each_nz(col_, [&](int32_t i, double a) { x_[head_[i]] -= dir * theta * a; });
  x_[q] += dir * theta;
  work_add(static_cast<uint64_t>(row_.count) + static_cast<uint64_t>(col_.count));
  if (rout_.shift) {
    // Harris overshoot: the bound moves to the value instead of the value
    // to the bound (removed with the other changes at the end).
    if (rout_.to_upper) upper_[p] = x_[p];
    else lower_[p] = x_[p];
    ++shifts_;
  }
  status_[p] = rout_.to_upper ? kAtUpper : kAtLower;
  if (lower_[p] == upper_[p]) status_[p] = kAtLower;
  x_[p] = nonbasic_value(p);
  if (p1cost_[p] != 0.0) {
    p1cost_[p] = 0.0;
    p1_changed_ = true;
  }

  swap_into_basis(q, p, r);
  cands_.touch(view, p);

  if (!factor_->update(r, col_)) {
    if (!refactor()) return Step::Failed;
  }
  return Step::Done;
}

// ---------------------------------------------------------------------------
// Run control

bool PrimalSimplex::objective_limit_reached() {
  if (phase_ != 2 || objlim_ <= -kNoValueLimit || perturb_.active) return false;
  if (objective() + lp_.offset >= objlim_) return false;
  if (factor_->updates_since_factor() > 0) refactor();
  return count_infeasible(primal_tol_) == 0 && objective() + lp_.offset < objlim_;
}

void PrimalSimplex::log_iteration(int32_t enter, int32_t leave) {
  const int disp = log_.display();
  if (disp <= 0) return;
  log_.elapsed(iter_);
  // The value costs a pass over the variables: only for lines printed.
  auto value = [this] { return phase_ == 1 ? infeasibility_sum(0.0) : lp_.objsense * (objective() + lp_.offset); };
  if (disp >= 2) {
    std::string out = var_name(leave);
    if (enter >= 0 && enter == leave)
      out = status_[enter] == kAtUpper ? "goes to upper bound" : "goes to lower bound";
    log_.detail(iter_, phase_, value(), var_name(enter), out);
    return;
  }
  if (summary_due(phase_)) log_.summary(iter_, phase_, value());
}

// Progress monitor (progress_monitor.h) on minus the sum of violations
// (phase 1) or minus the objective (phase 2): a first stall perturbs the
// bounds, later ones walk the tolerance schedules.
void PrimalSimplex::monitor_progress() {
  if (!allow_perturb_ || !monitor_.due(iter_, phase_)) return;
  const double value = phase_ == 1 ? -infeasibility_sum(0.0) : -objective();
  bool moved = true;
  switch (monitor_.observe(iter_, phase_, value, perturb_.active, moved)) {
    case ProgressMonitor::Action::None: return;
    case ProgressMonitor::Action::Perturb:
      if (phase_ == 2) objlim_ = move_limit_away(objlim_, objective() + lp_.offset, -1.0);
      perturb_bounds();
      refactor();
      return;
    case ProgressMonitor::Action::AdjustTolerances:
      // A stall while perturbed: looser optimality tolerance when nothing
      // moved, a stricter phase-1 pricing tolerance by schedule T1.
      if (!moved) dual_tol_ = loosen(dual_tol_);
      if (phase1_tol_ > 1e-13) phase1_tol_ = tighten_t1(phase1_tol_);
      return;
  }
}

void PrimalSimplex::perturb_bounds() {
  const double mag = next_perturbation_magnitude(perturb_.count, perturb_.magnitude, perturb_.magnitude);
  perturb_.magnitude = mag;
  if (primal_tol_ * 100.0 > mag) primal_tol_ = mag / 100.0;
  perturb_basic_bounds(head_, mag, rng_, lower_, upper_);
  const char *line = perturb_.started();
  monitor_.perturbed(perturb_.count, mag);
  log_.text(line);
  if (compute_phase1_costs() && phase_ == 1) compute_dual();
}

// Restores the original bounds after perturbation or shifting.  Returns
// true when something was removed (the caller then goes on iterating).
bool PrimalSimplex::remove_changes() {
  if (!perturb_.active && shifts_ == 0) return false;
  if (perturb_.active) log_.text("Removing perturbation.\n");
  else log_.textf("Removing shift (%d).\n", shifts_);
  lower_ = lp_.lower;
  upper_ = lp_.upper;
  for (int32_t j = 0; j < lp_.num_vars(); ++j)
    if (status_[j] != kBasic) place_nonbasic(j);
  perturb_.active = false;
  shifts_ = 0;
  primal_tol_ = ctl_.working_feastol();
  dual_tol_ = ctl_.opttol;
  objlim_ = lp_.objsense > 0 ? ctl_.objllim : -ctl_.objulim;
  compute_primal();
  return true;
}

// Phase 1 and phase 2 on the current bounds until optimal, infeasible,
// unbounded or a limit.
LpStatus PrimalSimplex::solve_phases() {
  int redo = 0;
  // Progress is measured from here (phase 0: the first look records it).
  monitor_.start(iter_, 0, 0.0);
  compute_phase1_costs();
  phase_ = count_infeasible(primal_tol_) > 0 ? 1 : 2;
  compute_dual();
  for (;;) {
    if (const LpStatus lim = limit_reached(); lim != LpStatus::Unknown) return lim;
    if (iter_ >= polish_end_) dual_tol_ = ctl_.opttol;
    const Step s = iterate();
    switch (s) {
      case Step::Redo:
        if (++redo > kMaxRedo) return LpStatus::NumericalTrouble;
        continue;
      case Step::Failed:
        return LpStatus::NumericalTrouble;
      case Step::Unbounded:
        return LpStatus::Unbounded;
      case Step::NoCandidate: {
        if (factor_->updates_since_factor() > 0 || redo == 0) {
          // Confirm with a fresh factor and freshly computed values.
          if (!refactor()) return LpStatus::NumericalTrouble;
          if (++redo > kMaxRedo) return LpStatus::NumericalTrouble;
          const int want = count_infeasible(primal_tol_) > 0 ? 1 : 2;
          if (want != phase_) {
            phase_ = want;
            compute_dual();
          }
          continue;
        }
        if (phase_ == 1) {
          if (count_infeasible(primal_tol_) > 0) {
            // Candidates whose phase-1 reduced cost is below the tolerance
            // may still remove the last infeasibility: tighten and retry
            // before calling the LP infeasible.
            // Each retry costs one pricing pass.
            if (phase1_tol_ <= kPhase1TolFloor) {
              // The phase-1 duals are the certificate: the verify step
              // checks it on the unscaled model.
              ray_.assign(y_.begin(), y_.begin() + lp_.m);
              return LpStatus::Infeasible;
            }
            phase1_tol_ = tighten_t1(std::min(phase1_tol_, dual_tol_));
            continue;
          }
          phase_ = 2;
          compute_dual();
          continue;
        }
        if (count_infeasible(primal_tol_) > 0) {
          phase_ = 1;
          compute_phase1_costs();
          compute_dual();
          continue;
        }
        return LpStatus::Optimal;
      }
      case Step::Done:
        break;
    }
    redo = 0;
    ++iter_;
    if (phase_ == 1) {
      ++phase1_iter_;
      const bool changed = compute_phase1_costs() || p1_changed_;
      p1_changed_ = false;
      if (changed) {
        if (count_infeasible(primal_tol_) == 0) phase_ = 2;
        compute_dual();
      }
    }
    log_iteration(last_enter_, last_leave_);
    monitor_progress();
    if (objective_limit_reached()) return LpStatus::ObjLimit;
  }
}

LpStatus PrimalSimplex::run() {
  log_.start();
  pfeas_ = dfeas_ = false;
  reset_repairs();
  if (!have_factor_) {
    if (!refactor()) return LpStatus::NumericalTrouble;
  } else {
    compute_primal();
  }
  if (ppriind_ == 1 || ppriind_ == 2) {
    if (ppriind_ == 2) {
      log_.text("Initializing primal norms . . .\n");
      exact_norms();
    }
  }
  phase1_tol_ = ctl_.opttol;
  LpStatus st = LpStatus::Unknown;
  bool polished = false;
  for (int round = 0; round < kMaxRounds; ++round) {
    st = solve_phases();
    if (st != LpStatus::Optimal) break;
    if (remove_changes()) {
      allow_perturb_ = round < 2;
      // Removal moved the bounds back: optimal again only if the restored
      // point is still primal and dual feasible.
      compute_phase1_costs();
      phase_ = 2;
      compute_dual();
      if (count_infeasible(primal_tol_) > 0 || dual_infeasible()) continue;
    }
    // Polish: reduced costs just inside the optimality tolerance can still
    // leave a visible objective gap when the primal values are large; a
    // few more iterations with a tight tolerance close it.
    if (!polished) {
      polished = true;
      dual_tol_ = std::min(dual_tol_, kPolishTol);
      polish_end_ = iter_ + kPolishIters;
      allow_perturb_ = false;
      if (dual_infeasible()) continue;
    }
    break;
  }
  dual_tol_ = ctl_.opttol;
  if (st == LpStatus::Optimal && (perturb_.active || shifts_ > 0)) {
    remove_changes();
    phase_ = 2;
    compute_dual();
  }
  pfeas_ = dfeas_ = st == LpStatus::Optimal;
  if (st == LpStatus::Unbounded) pfeas_ = true;
  if (stopped_by_limit(st)) pfeas_ = phase_ == 2;
  if (phase_ == 1) {
    // Leave the true duals of the final basis behind, not the phase-1 ones.
    phase_ = 2;
    compute_dual();
    phase_ = 1;
  }
  // Display 1 closes with the objective of the final factorization;
  // display 2 has already shown every iteration.
  if (log_.display() == 1 && st == LpStatus::Optimal) log_iteration(-1, -1);
  return st;
}

}  // namespace tvl::lp
