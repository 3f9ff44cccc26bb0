// Entry point of the dual simplex optimizer on an LpModel.
//
// The model is scaled (SimplexControl::scaling: -1 off, 0 standard,
// 1 aggressive), solved by the dual simplex of dual_simplex.h from the
// given basis (or the slack basis), and the final outcome is settled by the
// verify-and-repair step of simplex/verify_repair.h.
//
// Result conventions (minimisation form, objsense already applied):
//   dj = cost - A' pi;  a row whose activity sits at rowlo has pi >= 0, at rowup pi <= 0.
//   Infeasible: ray = y (m) with  sup{ (A'y)'x : collo <= x <= colup }
//                              <  inf{ y'r : rowlo <= r <= rowup },
//               a Farkas certificate (no x can satisfy both boxes).
//   Unbounded:  the LP is dual infeasible; no primal ray is returned.
#pragma once

#include <memory>

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

LpResult dual_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start);

class DualSimplex;
struct Scaling;

// Repeated solves of one LP that changes between solves: the interface the
// branch-and-bound search calls for its node LPs.
//
//   DualOptimizer opt(model, ctl);       // scaling, working LP, no solve yet
//   LpResult r = opt.solve();            // cold (slack basis) or set_basis
//   opt.set_col_bounds(j, lo, up);       // branching: bounds in place
//   r = opt.solve();                     // warm: a few dual iterations
//   opt.set_model(with_cuts, basis);     // rows added or removed
//   r = opt.solve();                     // warm from `basis`
//
// The object keeps the scaling, the working LP, the basis factor, the
// pricing weights and the basis.  set_col_bounds changes the bounds of a
// structural column in place (a nonbasic column moves to its new bound); a
// bound change keeps the basis dual feasible, so solve() goes on with the
// dual simplex from the last final basis, factor and weights.  set_basis
// replaces the basis to start from (e.g. a parent node's basis when the
// search jumps to another part of the tree); the factor is rebuilt.
// set_model takes a model with the same columns and other rows (cuts
// added, removed, or both) together with the basis to start from, given
// for the new rows: the final basis of the last solve with the slack of
// each added row basic and the removed rows left out is dual feasible for
// the new model, so the dual re-solve stays short.  The scaling and factor
// are rebuilt for the new rows.  set_basis and set_model return false when
// the basis does not fit the model (a count of basic variables other than
// the number of rows, e.g. a removed row whose slack was nonbasic); the
// next solve then starts from the slack basis, which LpResult::iterations
// shows.
//
// Each solve ends with the verify-and-repair step (verify_repair.h) and
// returns in the model's unscaled, minimisation terms: status, objval, x
// (columns), pi (row duals), dj (reduced costs), slack, basis, iterations
// and LpResult::verify (whether a remedy ran).  When one did, the kept
// solver takes the basis the remedy ended on (its factor is rebuilt and its
// weights restart), so the warm start is never lost silently: the next
// solve starts from the repaired basis.  Limits come from the SimplexControl
// given at construction (itlim per solve, limit_check for time and work).
class DualOptimizer {
 public:
  DualOptimizer(const LpModel &model, const SimplexControl &ctl);
  ~DualOptimizer();
  DualOptimizer(const DualOptimizer &) = delete;
  DualOptimizer &operator=(const DualOptimizer &) = delete;
  // Bounds of structural column j in the model's (unscaled) terms.
  void set_col_bounds(int32_t j, double lower, double upper);
  // Replaces the basis to start from (otherwise the last final basis is used).
  bool set_basis(const Basis &basis);
  // Replaces the rows of the model (same columns) and the basis to start
  // from, given for the new rows.
  bool set_model(const LpModel &model, const Basis &basis);
  LpResult solve();
  const LpModel &model() const { return model_; }

  // Strong branching: keep_state() after a solve keeps its final basis
  // with factor and weights; trial_solve() solves from the current state
  // after bound changes and returns status, objective (in the model's
  // terms) and iterations only, without the verify step; an infeasible
  // verdict whose ray does not prove infeasibility on the unscaled model is
  // reported as numerical trouble.  restore_state() returns to the kept
  // basis without refactorizing (false when nothing is kept; the caller
  // then sets a basis).
  void keep_state();
  LpResult trial_solve();
  bool restore_state();

 private:
  LpModel model_;
  SimplexControl ctl_;
  std::unique_ptr<Scaling> scaling_;
  std::unique_ptr<DualSimplex> solver_;
};

// Largest violation of the Farkas condition above; a positive value means
// that `ray` proves infeasibility of `model` by that margin (the verify
// step's check of an infeasible verdict).
double farkas_margin(const LpModel &model, const std::vector<double> &ray);

}  // namespace tvl::lp
