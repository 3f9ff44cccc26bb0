// State and basis bookkeeping shared by the dual and the primal simplex:
// the working LP and controls, the basis header with variable statuses and
// positions, primal values (computed with one round of iterative
// refinement), reduced costs and row duals, the basis factor with its
// singularity repair, and the counters.  The two methods
// differ in how they choose pivots and run their phases, not in how they
// keep a basis, so this part is written once.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "factor/factor.h"
#include "lpmodel/lpmodel.h"
#include "simplex/row_partition.h"
#include "simplex/simplex_lp.h"
#include "factor/singular_repair.h"

namespace tvl::lp {

inline bool simplex_finite(double v) { return std::fabs(v) < kWorkInf; }

// Calls f(i, value) for every nonzero of v, sparse or dense.
template <class F>
void for_each_nz(const HVector &v, F &&f) {
  if (v.count < 0) {
    for (int32_t i = 0; i < v.size; ++i)
      if (v.array[i] != 0.0) f(i, v.array[i]);
  } else {
    for (int32_t k = 0; k < v.count; ++k) f(v.index[k], v.array[v.index[k]]);
  }
}

// Share of nonzeros in v (1 when it is dense).
inline double density(const HVector &v) {
  if (v.size == 0) return 0.0;
  if (v.count < 0) return 1.0;
  return static_cast<double>(v.count) / v.size;
}

class SimplexBase : public SimplexProbe {
 public:
  virtual ~SimplexBase();
  const SimplexLp &lp() const { return lp_; }
  const std::vector<double> &x() const { return x_; }         // all n+m variables
  const std::vector<double> &dual() const { return d_; }      // reduced costs, n+m
  const std::vector<double> &row_dual() const { return y_; }  // m
  const std::vector<int8_t> &status() const { return status_; }
  int64_t iterations() const { return iter_; }
  int64_t phase1_iterations() const { return phase1_iter_; }
  int factorizations() const { return factor_count_; }
  bool repairs_exhausted() const { return repair_.exhausted(); }
  // Gives a new run the whole allowance of singularity repairs.
  void reset_repairs() { repair_.reset(); }
  bool primal_feasible() const { return pfeas_; }
  bool dual_feasible() const { return dfeas_; }
  // Dual simplex: B^-T e_r of the row that proved infeasibility (m).
  // Primal simplex: the unbounded direction over all variables (n+m).
  const std::vector<double> &ray() const { return ray_; }

  // Values of the final basis as the verify step wants them: refactorizes
  // when the factor carries more than `kept_updates` updates, then
  // recomputes the primal values (with refinement), row duals and reduced
  // costs for the true costs.  False when no factor can be built.
  bool refresh(int kept_updates = 0);
  // Whether refresh(kept_updates) would refactorize.
  bool factor_carries_updates(int kept_updates = 0) const {
    return !have_factor_ || factor_->updates_since_factor() > kept_updates;
  }

  // The current iterate for the LP callback: c'x with the true and with the
  // working costs, and the sums of primal violations of the basic
  // variables and of dual violations of the reduced costs the method
  // currently works with (phase-1 costs in the primal's phase 1), both in
  // the working (scaled) form.
  void describe(LpIterate &out) const override;

  // Starting basis: status per variable (n+m) with exactly m basic
  // entries; otherwise the slack basis is used and false returned.  The
  // basis the solver already holds keeps its factor and pricing weights.
  bool set_basis(const std::vector<int8_t> &status);
  // All slacks basic; each method places the structurals its own way.
  virtual void set_slack_basis() = 0;
  // Runs the method from the current basis to a final status.
  virtual LpStatus run() = 0;

 protected:
  // nonbasic_by_cost: a nonbasic variable with two finite bounds and no
  // settled status goes to the bound its reduced cost asks for (the dual
  // keeps dual feasibility that way), else to its lower bound.
  SimplexBase(SimplexLp lp, const SimplexControl &ctl, bool nonbasic_by_cost);
  SimplexBase(const SimplexBase &) = delete;
  SimplexBase &operator=(const SimplexBase &) = delete;

  double nonbasic_value(int32_t j) const;
  // Makes the status of nonbasic j consistent with its bounds and puts its
  // value there.
  void place_nonbasic(int32_t j);
  void rebuild_positions();
  // Takes a status per variable with exactly m basic entries as the basis
  // (factor to be rebuilt); false, with nothing changed, otherwise.
  bool adopt_status(const std::vector<int8_t> &status);
  // The same for a basis reached by pivots from the current one: variables
  // that stay basic keep their positions (and with them whatever the
  // pricing keeps per position); the entering ones take the positions
  // freed, in index order.
  bool adopt_pivoted_status(const std::vector<int8_t> &status);
  // Makes every slack basic in its row (factor to be rebuilt).
  void slack_header();
  // A new basis invalidates the pricing weights.
  virtual void reset_weights() = 0;
  // The costs the method works with (perturbed or shifted ones included).
  virtual const std::vector<double> &working_costs() const { return lp_.cost; }
  // Factorizes the header, repairing singularities (a displaced variable
  // becomes nonbasic at its nearer bound; messages go to `say` under the
  // display level); false when no factor can be built.
  bool factorize_header(int display, const std::function<void(const std::string &)> &say);
  void load_column(int32_t q, HVector &v) const;
  // Primal values of the current basis: nonbasic variables at the values
  // their statuses name, basic ones from B x_B = -(N x_N), followed by one
  // round of iterative refinement (the residual of the rows over all
  // variables goes through the same factor again, which recovers the
  // digits an ill-conditioned basis loses).  `work` is scratch of size m,
  // left clear.
  void compute_primal_values(HVector &work);
  // Factorizes the header with the method's own logging (singularity
  // repair messages, threshold changes).
  virtual bool factorize_for_refresh() = 0;
  // Row duals y = B^-T c_B from the costs of the basic variables, and
  // reduced costs d_j = c_j - a_j'y of the nonbasic ones with c_j from
  // `nonbasic_cost` (zero when it is null); `work` is scratch of size m.
  void compute_duals(const std::vector<double> &basic_cost, const std::vector<double> *nonbasic_cost, HVector &work);
  // The stop status of the limits (repair limit, iterations, the caller's
  // check), or Unknown to go on.
  LpStatus check_limits();
  // The same inside an iteration loop: at a stop the basis is refactorized
  // (and the values recomputed) when the factor carries updates.
  LpStatus limit_reached();
  // Whether a run stopped at a limit rather than at a verdict.
  static bool stopped_by_limit(LpStatus st);
  // Refactorizes the header and recomputes the method's values.
  virtual bool refactor() = 0;
  std::string var_name(int32_t j) const;
  // Whether a summary line of the iteration log is due: one per
  // factorization and phase.
  bool summary_due(int phase);
  // rho = B^-T e_r (the row of the basis inverse for position r).
  void unit_row_btran(int32_t r, HVector &rho, double density);
  // Puts q into the basis at position r in place of p and remembers the
  // pivot for the iteration log; the caller gives p its nonbasic status
  // and value and updates the factor.
  void swap_into_basis(int32_t q, int32_t p, int32_t r);
  // The structural columns that are nonbasic and not fixed (lower bound
  // below the upper one), ascending.  Built on first use after a basis or
  // bound change made wholesale (rebuild_positions, forget_movable), then
  // kept up to date by swap_into_basis; a method that never asks for it
  // pays nothing.
  const std::vector<int32_t> &movable_columns();
  // The rows whose slack is nonbasic and not fixed (every row but the
  // equality rows and those with a basic slack), ascending; valid after
  // movable_columns and kept with it.
  const std::vector<int32_t> &movable_rows() const { return movable_rows_; }
  // The matrix entries of the fixed nonbasic structural columns (those
  // missing from movable_columns); valid after movable_columns.
  int64_t fixed_nonbasic_entries() const { return fixed_nb_entries_; }
  // The row-wise matrix whose rows list the columns of movable_columns
  // first.  Built on first use (after movable_columns is rebuilt), then
  // kept with it; a run that never computes a pivot row row-wise pays
  // nothing.
  const RowPartition &movable_row_partition();
  // To be called after a structural column's bounds changed.
  void forget_movable() { movable_ok_ = false; }
  // Reduced costs after a pivot with entering q and leaving p: d_j -=
  // theta_d alpha_rj over the nonbasic j of the pivot row `row` (each
  // updated j is shown to `changed`), then d_q = 0 and d_p = -theta_d.
  template <class Changed>
  void update_reduced_costs(const HVector &row, double theta_d, int32_t q, int32_t p, Changed &&changed) {
    if (theta_d != 0.0) {
      for (int32_t k = 0; k < row.count; ++k) {
        const int32_t j = row.index[k];
        if (status_[j] == kBasic) continue;
        d_[j] -= theta_d * row.array[j];
        changed(j);
      }
    }
    d_[q] = 0.0;
    d_[p] = -theta_d;
  }

  SimplexLp lp_;
  SimplexControl ctl_;
  std::unique_ptr<BasisFactor> factor_;
  SingularRepair repair_;

  std::vector<double> lower_, upper_;  // working bounds
  std::vector<int32_t> head_;
  std::vector<int32_t> pos_;           // position in head_, -1 when nonbasic
  std::vector<int8_t> status_;
  std::vector<double> x_, d_, y_, ray_;
  std::vector<int8_t> row_mark_;
  std::vector<int32_t> replaced_;
  HVector scratch_;  // m, for refresh

  double primal_tol_ = 1e-6, dual_tol_ = 1e-7;
  int64_t iter_ = 0, phase1_iter_ = 0;
  int factor_count_ = 0;
  int last_logged_factor_ = -1, last_logged_phase_ = 0;
  bool have_factor_ = false;
  bool pfeas_ = false, dfeas_ = false;
  int32_t last_enter_ = -1, last_leave_ = -1;  // the last pivot, for the iteration log

 private:
  void collect_movable(std::vector<int32_t> &list, std::vector<int32_t> &rows, int64_t &fixed_entries) const;
  void update_movable(int32_t q, int32_t p);
  // flag[j] = whether structural j is in movable_ (valid lists only).
  void movable_flags(std::vector<int8_t> &flag) const;
  // x_B += B^-1 r with r = -(A x + s), the residual of the rows.
  void solve_basic_correction(HVector &work);
  bool nonbasic_by_cost_;
  std::vector<int32_t> movable_, movable_rows_;
  RowPartition row_part_;
  std::vector<int8_t> movable_flag_;  // n, scratch for building row_part_
  int64_t fixed_nb_entries_ = 0;
  bool movable_ok_ = false;
  bool row_part_built_ = false, row_part_current_ = false;
  uint64_t row_part_checks_ = 0;  // debug builds: uses, to space out the checks
};

}  // namespace tvl::lp
