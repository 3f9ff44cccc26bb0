// The primal simplex method on the working form of simplex_lp.h.
//
// Bounded primal simplex (Dantzig 1963; bounded variables after Dantzig
// 1955) with the textbook phase 1 that minimises the sum of the bound
// violations of the basic variables, its costs rebuilt whenever the set of
// violated bounds changes (Wolfe 1965, "The composite simplex algorithm";
// Maros 2003, "Computational techniques of the simplex method", ch. 9).
// Entering variables come from pricing_primal.h, leaving variables from the
// Harris ratio test with bound shifting of ratio_primal.h.  Against
// stalling, the bounds of the basic variables are perturbed
// (primal_perturb.h); shifts and perturbations are removed at the end and
// the method continues from the restored bounds until it is optimal again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "factor/factor.h"
#include "lpmodel/lpmodel.h"
#include "simplex/perturb.h"
#include "simplex/pricing_primal.h"
#include "simplex/pricing_primal_hybrid.h"
#include "simplex/progress_monitor.h"
#include "simplex/primal_log.h"
#include "simplex/ratio_primal.h"
#include "simplex/simplex_base.h"

namespace tvl::lp {

class PrimalSimplex : public SimplexBase {
 public:
  PrimalSimplex(SimplexLp lp, const SimplexControl &ctl, bool scaled = false);
  ~PrimalSimplex();
  PrimalSimplex(const PrimalSimplex &) = delete;
  PrimalSimplex &operator=(const PrimalSimplex &) = delete;

  void set_slack_basis() override;

  LpStatus run() override;

  PrimalRule pricing_rule() const { return pricing_->rule(); }
  // Objective c'x in minimisation form without the offset.
  double objective() const;

 private:
  void reset_weights() override;
  bool factorize_for_refresh() override;
  enum class Step { Done, Redo, NoCandidate, Unbounded, Failed };

  // Basis, factor and solution values.
  bool refactor() override;
  void compute_primal();
  void compute_dual();
  bool compute_phase1_costs();
  double infeasibility_sum(double tol) const;
  int32_t count_infeasible(double tol) const;
  bool dual_infeasible() const;
  PrimalPricingView pricing_view() const;
  double compute_pivot_row();
  // One iteration.
  Step iterate();
  Step pivot(int32_t q, double dir);
  void flip(int32_t q, double dir, double theta);
  void make_ray(int32_t q, double dir);
  // Run control.
  LpStatus solve_phases();
  bool objective_limit_reached();
  void monitor_progress();
  void perturb_bounds();
  bool remove_changes();
  void setup_pricing();
  void reinit_norms();
  // Exact pricing weights for the current basis; returns how many.
  int32_t exact_norms();
  bool raise_threshold();
  void hybrid_rule();
  void switch_weights();
  bool switch_pricing(bool steepest);
  void log_iteration(int32_t enter, int32_t leave);

  PrimalLog log_;
  std::unique_ptr<PrimalPricing> pricing_;
  PrimalCandidates cands_;
  PrimalHybridStats hstats_;
  PrimalRatioTest ratio_;
  PrimalRatioResult rout_;
  SimplexRandom rng_;
  PerturbRecord perturb_;

  std::vector<double> p1cost_;         // phase-1 costs of the basic variables
  HVector col_, rho_, row_, steep_, work_;

  double phase1_tol_ = 1e-6;  // pricing tolerance of phase 1, tightened when it stalls
  double col_density_ = 0.05, rho_density_ = 0.05;
  int64_t polish_end_ = INT64_MAX;  // the tight polish tolerance ends here
  int64_t pivots_ = 0;
  int phase_ = 2;
  int shifts_ = 0;
  bool allow_perturb_ = true;
  bool p1_changed_ = false;  // a violated basic variable left the basis
  // Pricing state: the parameter value and whether the hybrid rule runs.
  int ppriind_ = 0;
  bool hybrid_ = false;
  bool hybrid_weights_ = false;  // devex and steepest edge may alternate
  uint64_t basis_nz_ = 0, work_base_ = 0;
  ProgressMonitor monitor_;
  double objlim_ = -kNoValue;
};

}  // namespace tvl::lp
