#include "lp/dualopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lp/dual_simplex.h"
#include "lp/scaling.h"
#include "lp/simplex_lp.h"

namespace tvl::lp {

namespace {

std::vector<int8_t> basis_to_status(const LpModel &model, const Basis &b) {
  const int32_t m = model.a.m, n = model.a.n;
  std::vector<int8_t> st(static_cast<size_t>(n + m), kAtLower);
  for (int32_t j = 0; j < n; ++j) st[j] = b.colstat[j];
  for (int32_t i = 0; i < m; ++i) {
    // The slack is the negated row activity: its bounds swap sides.
    const int8_t s = b.rowstat[i];
    st[n + i] = s == 0 ? static_cast<int8_t>(kAtUpper) : (s == 2 ? static_cast<int8_t>(kAtLower) : s);
  }
  return st;
}

Basis status_to_basis(int32_t n, int32_t m, const std::vector<int8_t> &st) {
  Basis b;
  b.colstat.assign(st.begin(), st.begin() + n);
  b.rowstat.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    const int8_t s = st[n + i];
    b.rowstat[i] = s == kAtUpper ? int8_t{0} : (s == kAtLower ? int8_t{2} : s);
  }
  return b;
}

bool valid_basis(const LpModel &model, const Basis *b) {
  if (b == nullptr) return false;
  if (static_cast<int32_t>(b->colstat.size()) != model.a.n ||
      static_cast<int32_t>(b->rowstat.size()) != model.a.m)
    return false;
  return true;
}

// LP without rows: every variable goes to the bound its cost asks for.
LpResult solve_without_rows(const LpModel &model) {
  LpResult res;
  const int32_t n = model.a.n;
  res.x.assign(n, 0.0);
  res.dj = model.cost;
  res.basis.colstat.assign(n, 0);
  res.status = LpStatus::Optimal;
  double obj = model.offset;
  for (int32_t j = 0; j < n; ++j) {
    const double c = model.cost[j], lo = model.collo[j], up = model.colup[j];
    double v;
    int8_t s;
    if (c > 0.0) { v = lo; s = 0; }
    else if (c < 0.0) { v = up; s = 2; }
    else if (lo > -kInf) { v = lo; s = 0; }
    else if (up < kInf) { v = up; s = 2; }
    else { v = 0.0; s = 3; }
    if (std::fabs(v) >= kInf) {
      res.status = LpStatus::Unbounded;
      v = 0.0;
    }
    res.x[j] = v;
    res.basis.colstat[j] = s;
    obj += c * v;
  }
  res.objval = obj;
  res.primal_feasible = true;
  res.dual_feasible = res.status == LpStatus::Optimal;
  return res;
}

// Unscaled solution of the solver's current state.
void extract(const LpModel &model, const Scaling &sc, const DualSimplex &ds, LpResult &res) {
  const int32_t m = model.a.m, n = model.a.n;
  const std::vector<double> &x = ds.x();
  const std::vector<double> &y = ds.row_dual();
  res.x.resize(n);
  for (int32_t j = 0; j < n; ++j) res.x[j] = sc.active() ? x[j] * sc.col[j] : x[j];
  res.pi.resize(m);
  for (int32_t i = 0; i < m; ++i) res.pi[i] = sc.active() ? y[i] * sc.row[i] : y[i];
  res.rowact.assign(m, 0.0);
  res.dj = model.cost;
  const CscMatrix &a = model.a;
  double obj = model.offset;
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      res.rowact[a.index[k]] += a.value[k] * res.x[j];
      res.dj[j] -= a.value[k] * res.pi[a.index[k]];
    }
    obj += model.cost[j] * res.x[j];
  }
  res.objval = obj;
  res.basis = status_to_basis(n, m, ds.status());
  res.iterations += ds.iterations();
  res.phase1_iterations += ds.phase1_iterations();
  res.primal_feasible = ds.primal_feasible();
  res.dual_feasible = ds.dual_feasible();
  res.ray.clear();
  if (res.status == LpStatus::Infeasible && !ds.ray().empty()) {
    res.ray.resize(m);
    for (int32_t i = 0; i < m; ++i) res.ray[i] = sc.active() ? ds.ray()[i] * sc.row[i] : ds.ray()[i];
    double margin = farkas_margin(model, res.ray);
    for (double &v : res.ray) v = -v;
    if (farkas_margin(model, res.ray) < margin)
      for (double &v : res.ray) v = -v;
  }
}

// Largest bound violation of x and of the row activities.
double primal_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  for (int32_t j = 0; j < model.a.n; ++j) {
    worst = std::max(worst, model.collo[j] - res.x[j]);
    worst = std::max(worst, res.x[j] - model.colup[j]);
  }
  for (int32_t i = 0; i < model.a.m; ++i) {
    worst = std::max(worst, model.rowlo[i] - res.rowact[i]);
    worst = std::max(worst, res.rowact[i] - model.rowup[i]);
  }
  return worst;
}

// Largest reduced cost (of columns and rows) with the wrong sign for its basis status.
double dual_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  auto check = [&](double d, double lo, double up, int8_t s) {
    if (s == 1) return;
    if (lo <= -kInf && up >= kInf) { worst = std::max(worst, std::fabs(d)); return; }
    if (lo == up) return;
    if (s == 0 || up >= kInf) worst = std::max(worst, -d);
    if (s == 2 || lo <= -kInf) worst = std::max(worst, d);
  };
  for (int32_t j = 0; j < model.a.n; ++j)
    check(res.dj[j], model.collo[j], model.colup[j], res.basis.colstat[j]);
  for (int32_t i = 0; i < model.a.m; ++i)
    check(res.pi[i], model.rowlo[i], model.rowup[i], res.basis.rowstat[i]);
  return worst;
}

}  // namespace

double farkas_margin(const LpModel &model, const std::vector<double> &ray) {
  const CscMatrix &a = model.a;
  double ymax = 0.0;
  for (double v : ray) ymax = std::max(ymax, std::fabs(v));
  if (ymax == 0.0) return -kInf;
  const double ztol = 1e-9 * ymax;
  // sup over the column box of (A'y)'x.
  double sup = 0.0;
  for (int32_t j = 0; j < a.n; ++j) {
    double z = 0.0;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) z += a.value[k] * ray[a.index[k]];
    if (std::fabs(z) <= ztol) continue;
    const double b = z > 0.0 ? model.colup[j] : model.collo[j];
    if (std::fabs(b) >= kInf) return -kInf;
    sup += z * b;
  }
  // inf over the row box of y'r.
  double inf = 0.0;
  for (int32_t i = 0; i < a.m; ++i) {
    const double y = ray[i];
    if (std::fabs(y) <= ztol) continue;
    const double b = y > 0.0 ? model.rowlo[i] : model.rowup[i];
    if (std::fabs(b) >= kInf) return -kInf;
    inf += y * b;
  }
  return inf - sup;
}

namespace {

std::unique_ptr<DualSimplex> make_solver(const LpModel &model, const Scaling &sc, const SimplexControl &ctl) {
  LpModel scaled = model;
  apply_scaling(sc, scaled);
  SimplexLp lp;
  lp.load(scaled);
  return std::make_unique<DualSimplex>(std::move(lp), ctl, sc.active());
}

// Runs the solver and unscales; a violation that unscaling magnified beyond
// the tolerances is cleaned up on the unscaled problem from the final basis.
LpResult run_and_clean(const LpModel &model, const Scaling &sc, const SimplexControl &ctl, DualSimplex &solver) {
  LpResult res;
  res.status = solver.run();
  extract(model, sc, solver, res);
  if (res.status != LpStatus::Optimal || !sc.active()) return res;
  const double pviol = primal_violation(model, res), dviol = dual_violation(model, res);
  if (pviol <= ctl.feastol && dviol <= ctl.opttol) return res;
  SimplexLp raw;
  raw.load(model);
  DualSimplex clean_solver(std::move(raw), ctl, false);
  clean_solver.set_basis(solver.status());
  LpResult clean;
  clean.iterations = res.iterations;
  clean.phase1_iterations = res.phase1_iterations;
  clean.status = clean_solver.run();
  extract(model, Scaling(), clean_solver, clean);
  return clean;
}

}  // namespace

LpResult dual_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start) {
  if (model.a.m == 0) return solve_without_rows(model);
  const Scaling sc = compute_scaling(model.a, ctl.scaling);
  std::unique_ptr<DualSimplex> ds = make_solver(model, sc, ctl);
  if (valid_basis(model, warm_start)) ds->set_basis(basis_to_status(model, *warm_start));
  return run_and_clean(model, sc, ctl, *ds);
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
  solver_->set_bounds(j, lower <= -kInf ? lower : lower / c, upper >= kInf ? upper : upper / c);
}

void DualOptimizer::set_basis(const Basis &basis) {
  if (solver_ && valid_basis(model_, &basis)) solver_->set_basis(basis_to_status(model_, basis));
}

LpResult DualOptimizer::solve() {
  if (!solver_) return solve_without_rows(model_);
  return run_and_clean(model_, *scaling_, ctl_, *solver_);
}


}  // namespace tvl::lp
