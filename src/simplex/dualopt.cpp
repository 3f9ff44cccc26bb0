#include "simplex/dualopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "simplex/dual_simplex.h"
#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"
#include "simplex/verify_repair.h"

namespace tvl::lp {

namespace {

std::unique_ptr<DualSimplex> make_solver(const LpModel &model, const Scaling &sc, const SimplexControl &ctl) {
  return std::make_unique<DualSimplex>(working_lp(model, sc), ctl, sc.active());
}

}  // namespace

LpResult dual_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start) {
  if (model.a.m == 0) return solve_without_rows(model);
  const Scaling sc = compute_scaling(model.a, ctl.scaling);
  std::unique_ptr<DualSimplex> ds = make_solver(model, sc, ctl);
  if (valid_basis(model, warm_start)) ds->set_basis(basis_to_status(model, *warm_start));
  const LpStatus st = ds->run();
  return verify_and_repair(model, sc, ctl, SimplexMethod::Dual, *ds, st);
}

DualOptimizer::DualOptimizer(const LpModel &model, const SimplexControl &ctl)
    : model_(model), ctl_(ctl), scaling_(std::make_unique<Scaling>(compute_scaling(model.a, ctl.scaling))) {
  if (model_.a.m > 0) solver_ = make_solver(model_, *scaling_, ctl_);
}

DualOptimizer::~DualOptimizer() = default;

void DualOptimizer::set_col_bounds(int32_t j, double lower, double upper) {
  model_.collo[j] = lower;
  model_.colup[j] = upper;
  if (!solver_) return;
  const double c = scaling_->active() ? scaling_->col[j] : 1.0;
  solver_->set_bounds(j, lower <= -kInfBound ? lower : lower / c, upper >= kInfBound ? upper : upper / c);
}

bool DualOptimizer::set_basis(const Basis &basis) {
  if (!solver_) return true;
  if (!valid_basis(model_, &basis)) return false;
  return solver_->set_basis(basis_to_status(model_, basis));
}

bool DualOptimizer::set_model(const LpModel &model, const Basis &basis) {
  model_ = model;
  *scaling_ = compute_scaling(model_.a, ctl_.scaling);
  solver_.reset();
  if (model_.a.m == 0) return true;
  solver_ = make_solver(model_, *scaling_, ctl_);
  return set_basis(basis);
}

LpResult DualOptimizer::solve() {
  if (!solver_) return solve_without_rows(model_);
  const LpStatus st = solver_->run();
  LpResult res = verify_and_repair(model_, *scaling_, ctl_, SimplexMethod::Dual, *solver_, st);
  // A remedy ended on a basis of its own solver: the kept solver takes it,
  // so that the next solve starts from there and not from the basis the
  // remedy replaced.
  if (res.verify.remedies() > 0 && valid_basis(model_, &res.basis)) solver_->set_basis(basis_to_status(model_, res.basis));
  return res;
}

void DualOptimizer::keep_state() {
  if (solver_) solver_->keep();
}

bool DualOptimizer::restore_state() { return !solver_ || solver_->restore(); }

LpResult DualOptimizer::trial_solve() {
  if (!solver_) return solve_without_rows(model_);
  LpResult res;
  res.status = solver_->run();
  res.iterations = solver_->iterations();
  res.objval = model_.offset + solver_->true_objective();
  if (res.status == LpStatus::Infeasible && !certified_infeasible(model_, *scaling_, *solver_))
    res.status = LpStatus::NumericalTrouble;
  return res;
}

}  // namespace tvl::lp
