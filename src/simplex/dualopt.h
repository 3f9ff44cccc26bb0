// Entry point of the dual simplex optimizer on an LpModel.
//
// The model is scaled (SimplexControl::scaling: -1 off, 0 standard,
// 1 aggressive), solved by the dual simplex of dual_simplex.h from the
// given basis (or the slack basis), and the solution is unscaled before it
// is returned.  When the unscaled solution violates the tolerances, a short
// cleanup run on the unscaled problem starts from the final basis.
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

// Repeated solves of one LP whose column bounds change between solves (the
// branch-and-bound use): scaling, factor, pricing weights and basis are kept,
// so each solve starts from the previous final basis.
class DualOptimizer {
 public:
  DualOptimizer(const LpModel &model, const SimplexControl &ctl);
  ~DualOptimizer();
  DualOptimizer(const DualOptimizer &) = delete;
  DualOptimizer &operator=(const DualOptimizer &) = delete;
  // Bounds of structural column j in the model's (unscaled) terms.
  void set_col_bounds(int32_t j, double lower, double upper);
  // Replaces the basis to start from (otherwise the last final basis is used).
  void set_basis(const Basis &basis);
  LpResult solve();
  const LpModel &model() const { return model_; }

 private:
  LpModel model_;
  SimplexControl ctl_;
  std::unique_ptr<Scaling> scaling_;
  std::unique_ptr<DualSimplex> solver_;
};

// Largest violation of the Farkas condition above; a positive value means
// that `ray` proves infeasibility of `model` by that margin (used by tests
// and by callers that want to double-check a certificate).
double farkas_margin(const LpModel &model, const std::vector<double> &ray);

}  // namespace tvl::lp
