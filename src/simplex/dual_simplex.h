// The dual simplex method on the working form of simplex_lp.h.
//
// The method follows Koberstein 2005 (PhD thesis "The dual simplex method,
// techniques for a fast and stable implementation", Paderborn): phase 2 is
// the bounded dual simplex with dual steepest-edge or devex pricing
// (pricing_dual.h), the bound-flipping ratio test with Harris tolerances
// (ratio_dual.h), cost shifting when Harris' rule steps over a slightly
// infeasible reduced cost, and cost perturbation against stalling
// (perturb.h).  A starting basis that is not dual feasible first gets the
// artificial-bounding treatment (the "big-M" dual phase 1 of the same
// thesis, section 4.5.1): temporary bounds on the offending unbounded
// variables (just beyond the bounds their rows imply, else wide) make it
// dual feasible by flips, and phase 2 runs at once.  When
// that box binds at the end, or for later dual infeasibilities, phase 1 is
// the auxiliary-problem approach (section 4.5.2.2, after Fourer 1994): the
// dual simplex solves the problem with artificial bounds [0,1], [-1,0],
// [-1000,1000] and [0,0] on lower-bounded, upper-bounded, free and boxed
// variables; its optimal basis is dual feasible for the original bounds
// unless the LP is dual infeasible.
//
// The object keeps its factor, weights and solution between runs, so a
// caller that changes bounds (set_bounds) and runs again warm-starts from
// the last basis.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simplex/dual_log.h"
#include "factor/factor.h"
#include "lpmodel/lpmodel.h"
#include "simplex/perturb.h"
#include "simplex/pricing_dual_state.h"
#include "simplex/progress_monitor.h"
#include "simplex/ratio_dual.h"
#include "simplex/simplex_base.h"

namespace tvl::lp {

class DualSimplex : public SimplexBase {
 public:
  DualSimplex(SimplexLp lp, const SimplexControl &ctl, bool scaled = false);
  ~DualSimplex();
  DualSimplex(const DualSimplex &) = delete;
  DualSimplex &operator=(const DualSimplex &) = delete;

  void set_slack_basis() override;
  // Changes the bounds of variable j (a structural, or n+i for a slack).
  void set_bounds(int32_t j, double lower, double upper);

  LpStatus run() override;

  // Tightens the tolerances for a cleanup run.
  void set_tolerances(double primal, double dual) {
    primal_tol_ = primal;
    dual_tol_ = base_dual_tol_ = dual;
  }
  // Objective c'x (working costs) in minimisation form without the offset.
  double objective() const;
  // The same with the true costs (no perturbation or shifts).
  double true_objective() const;
  // Keeps the current basis with its factor and pricing weights; restore()
  // returns to them without refactorizing, so that strong branching can
  // try several bound changes from one basis.  Bounds are not kept.
  // restore() is false when nothing is kept (keep() at a basis without a
  // valid factor keeps nothing).
  void keep();
  bool restore();
  // The pricing state and the basis its weights belong to.
  const DualPricingState &pricing() const { return pricing_; }
  DualBasisView basis_view() const;

 private:
  void reset_weights() override;
  const std::vector<double> &working_costs() const override { return cost_; }
  bool factorize_for_refresh() override;
  enum class Step { Done, Redo, Optimal, Infeasible, Failed };

  // Basis and factor.
  bool refactor() override;
  void compute_primal();
  void compute_dual();
  // One iteration of the dual simplex on the current bounds.
  Step iterate();
  int32_t choose_row(const int8_t *skip = nullptr) const;
  void reject_row(int32_t r);
  void clear_rejections();
  bool pivot_row_and_ratio(const DualRatioInput &in);
  void apply_flips(const std::vector<int32_t> &flips);
  void update_densities();
  // Phases.
  LpStatus solve_current(int phase);
  bool make_dual_feasible_by_flips(bool allow_shift);
  int count_dual_infeasible() const;
  double dual_infeasibility_sum() const;
  LpStatus run_phase1();
  void box_dual_infeasible(bool use_implied);
  bool box_variable(int32_t j, bool raise, double lo_implied, double up_implied);
  bool restore_bounds();
  void remove_perturbation();
  // Primal simplex cleanup after the costs were restored.
  LpStatus cleanup_after_removal();
  LpStatus primal_cleanup(int64_t budget, double opttol, int pricing);
  bool primal_candidates(double tol) const;
  void start_perturbation(bool stalled);
  bool dual_degenerate_start() const;
  void polish();
  // Progress monitor (progress_monitor.h): perturbs on a first stall and
  // walks the tolerance schedules on later ones.
  void monitor_progress();
  void adjust_tolerances(bool moved);
  void log_iteration(int phase, int32_t enter, int32_t leave);
  // Log lines of the pricing, and the extra solve of a weight update
  // (fills piv.tau and piv.row_norm2).
  void say(const std::string &line) { log_.text(line.c_str()); }
  void prepare_weight_update(DualPivot &piv);
  void sample_pricing_work(uint64_t work0, uint64_t btran_work, uint64_t tau_work);

  DualLog log_;
  DualPricingState pricing_;
  DualRatioTest ratio_;
  DualRatioResult ratio_out_;
  SimplexRandom rng_;
  PerturbRecord perturb_;

  std::vector<double> cost_;           // working costs (perturbed, shifted)
  std::vector<double> before_perturb_;  // costs before the last perturbation (scratch)
  HVector rho_, row_, col_, tau_, flip_;
  // Entries of the pivot row left out as fixed nonbasic slacks
  // (pivot_row_fixed_slacks), counted in the work as if listed.
  int32_t row_hidden_ = 0;
  std::vector<int32_t> rejected_;       // rows left out of the row choice
  std::vector<int8_t> rejected_mark_;
  mutable int32_t compared_ = 0;  // rows compared by the last row choice
  std::vector<int32_t> boxed_;  // variables under artificial bounds

  double row_density_ = 0.05, col_density_ = 0.05, rho_density_ = 0.05, tau_density_ = 0.05;
  bool shifted_ = false;
  int shift_count_ = 0;   // cost shifts since the last removal
  bool allow_perturb_ = true;
  int phase_ = 2;
  ProgressMonitor monitor_;
  double base_dual_tol_ = 1e-7;  // the run's optimality tolerance before any schedule step
  double phase1_tol_ = 1e-6;     // feasibility tolerance of the row choice in phase 1
  double objlim_ = kNoValue;        // objective limit in minimisation form
  struct Kept;
  std::unique_ptr<Kept> kept_;
};

}  // namespace tvl::lp
