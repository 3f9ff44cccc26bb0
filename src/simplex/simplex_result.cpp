#include "simplex/simplex_result.h"

#include <algorithm>
#include <cmath>

#include "simplex/dualopt.h"
#include "simplex/scaling.h"
#include "simplex/simplex_base.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

namespace {

int8_t swap_side(int8_t s) {
  if (s == kAtLower) return kAtUpper;
  if (s == kAtUpper) return kAtLower;
  return s;
}

}  // namespace

std::vector<int8_t> basis_to_status(const LpModel &model, const Basis &b) {
  const int32_t m = model.a.m, n = model.a.n;
  std::vector<int8_t> st(static_cast<size_t>(n + m));
  for (int32_t j = 0; j < n; ++j) st[j] = b.colstat[j];
  for (int32_t i = 0; i < m; ++i) st[n + i] = swap_side(b.rowstat[i]);
  return st;
}

Basis status_to_basis(int32_t n, int32_t m, const std::vector<int8_t> &st) {
  Basis b;
  b.colstat.assign(st.begin(), st.begin() + n);
  b.rowstat.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) b.rowstat[i] = swap_side(st[n + i]);
  return b;
}

SimplexLp working_lp(const LpModel &model, const Scaling &sc) {
  SimplexLp lp;
  if (!sc.active()) {
    lp.load(model);
    return lp;
  }
  LpModel scaled = model;
  apply_scaling(sc, scaled);
  lp.load(scaled);
  return lp;
}

bool valid_basis(const LpModel &model, const Basis *b) {
  return b != nullptr && static_cast<int32_t>(b->colstat.size()) == model.a.n &&
         static_cast<int32_t>(b->rowstat.size()) == model.a.m;
}

void unscale_solution(const LpModel &model, const Scaling &sc, const std::vector<double> &x,
                      const std::vector<double> &y, const std::vector<int8_t> &status, LpResult &res) {
  const int32_t m = model.a.m, n = model.a.n;
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
  res.basis = status_to_basis(n, m, status);
}

namespace {

// Dual ray of the working form as a row-space ray of the model, signed so
// that its Farkas margin is the larger one.
void unscale_dual_ray(const LpModel &model, const Scaling &sc, const std::vector<double> &ray, LpResult &res) {
  const int32_t m = model.a.m;
  res.ray.resize(m);
  for (int32_t i = 0; i < m; ++i) res.ray[i] = sc.active() ? ray[i] * sc.row[i] : ray[i];
  const double margin = farkas_margin(model, res.ray);
  for (double &v : res.ray) v = -v;
  if (farkas_margin(model, res.ray) < margin)
    for (double &v : res.ray) v = -v;
}

// Primal ray over the structurals, unscaled, largest entry 1.
void unscale_primal_ray(const LpModel &model, const Scaling &sc, const std::vector<double> &ray, LpResult &res) {
  const int32_t n = model.a.n;
  res.ray.resize(n);
  double big = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    res.ray[j] = sc.active() ? ray[j] * sc.col[j] : ray[j];
    big = std::max(big, std::fabs(res.ray[j]));
  }
  if (big > 0.0)
    for (double &v : res.ray) v /= big;
}

}  // namespace

void extract_result(const LpModel &model, const Scaling &sc, const SimplexBase &solver, LpStatus status,
                    LpResult &res) {
  const int32_t m = model.a.m, n = model.a.n;
  res.status = status;
  unscale_solution(model, sc, solver.x(), solver.row_dual(), solver.status(), res);
  res.iterations += solver.iterations();
  res.phase1_iterations += solver.phase1_iterations();
  res.primal_feasible = solver.primal_feasible();
  res.dual_feasible = solver.dual_feasible();
  res.basis_singular = solver.repairs_exhausted();
  res.ray.clear();
  const std::vector<double> &ray = solver.ray();
  if (status == LpStatus::Infeasible && static_cast<int32_t>(ray.size()) == m) unscale_dual_ray(model, sc, ray, res);
  if (status == LpStatus::Unbounded && static_cast<int32_t>(ray.size()) == n + m) unscale_primal_ray(model, sc, ray, res);
}

bool certified_infeasible(const LpModel &model, const Scaling &sc, const SimplexBase &solver) {
  if (static_cast<int32_t>(solver.ray().size()) != model.a.m) return false;
  LpResult res;
  unscale_dual_ray(model, sc, solver.ray(), res);
  return farkas_margin(model, res.ray) > 0.0;
}

double farkas_margin(const LpModel &model, const std::vector<double> &ray) {
  const CscMatrix &a = model.a;
  double ymax = 0.0;
  for (double v : ray) ymax = std::max(ymax, std::fabs(v));
  if (ymax == 0.0) return -kInfBound;
  const double ztol = 1e-9 * ymax;
  // sup over the column box of (A'y)'x.
  double sup = 0.0;
  for (int32_t j = 0; j < a.n; ++j) {
    double z = 0.0;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) z += a.value[k] * ray[a.index[k]];
    if (std::fabs(z) <= ztol) continue;
    const double b = z > 0.0 ? model.colup[j] : model.collo[j];
    if (std::fabs(b) >= kInfBound) return -kInfBound;
    sup += z * b;
  }
  // inf over the row box of y'r.
  double inf = 0.0;
  for (int32_t i = 0; i < a.m; ++i) {
    const double y = ray[i];
    if (std::fabs(y) <= ztol) continue;
    const double b = y > 0.0 ? model.rowlo[i] : model.rowup[i];
    if (std::fabs(b) >= kInfBound) return -kInfBound;
    inf += y * b;
  }
  return inf - sup;
}

double primal_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  for (int32_t j = 0; j < model.a.n; ++j)
    worst = std::max({worst, model.collo[j] - res.x[j], res.x[j] - model.colup[j]});
  for (int32_t i = 0; i < model.a.m; ++i)
    worst = std::max({worst, model.rowlo[i] - res.rowact[i], res.rowact[i] - model.rowup[i]});
  return worst;
}

bool proves_unbounded(const LpModel &model, const std::vector<double> &ray) {
  const CscMatrix &a = model.a;
  if (ray.size() != static_cast<size_t>(a.n)) return false;
  constexpr double kTol = 1e-9;
  double slope = 0.0, cmax = 0.0;
  std::vector<double> ar(static_cast<size_t>(a.m), 0.0);
  for (int32_t j = 0; j < a.n; ++j) {
    const double r = ray[j];
    cmax = std::max(cmax, std::fabs(model.cost[j]));
    if (r == 0.0) continue;
    if ((r > kTol && model.colup[j] < kInfBound) || (r < -kTol && model.collo[j] > -kInfBound)) return false;
    slope += model.cost[j] * r;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) ar[a.index[k]] += a.value[k] * r;
  }
  for (int32_t i = 0; i < a.m; ++i)
    if ((ar[i] > kTol && model.rowup[i] < kInfBound) || (ar[i] < -kTol && model.rowlo[i] > -kInfBound)) return false;
  return slope < -kTol * std::max(1.0, cmax);
}

double dual_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  auto check = [&](double d, double lo, double up, int8_t s) {
    if (s == kBasic || lo == up) return;
    if (lo <= -kInfBound && up >= kInfBound) {
      worst = std::max(worst, std::fabs(d));
      return;
    }
    if (s == kAtLower || up >= kInfBound) worst = std::max(worst, -d);
    if (s == kAtUpper || lo <= -kInfBound) worst = std::max(worst, d);
  };
  for (int32_t j = 0; j < model.a.n; ++j) check(res.dj[j], model.collo[j], model.colup[j], res.basis.colstat[j]);
  for (int32_t i = 0; i < model.a.m; ++i) check(res.pi[i], model.rowlo[i], model.rowup[i], res.basis.rowstat[i]);
  return worst;
}

LpResult solve_without_rows(const LpModel &model) {
  LpResult res;
  const int32_t n = model.a.n;
  res.x.assign(n, 0.0);
  res.dj = model.cost;
  res.basis.colstat.assign(n, kAtLower);
  res.status = LpStatus::Optimal;
  double obj = model.offset;
  for (int32_t j = 0; j < n; ++j) {
    const double c = model.cost[j], lo = model.collo[j], up = model.colup[j];
    double v;
    int8_t s;
    if (c > 0.0) { v = lo; s = kAtLower; }
    else if (c < 0.0) { v = up; s = kAtUpper; }
    else if (lo > -kInfBound) { v = lo; s = kAtLower; }
    else if (up < kInfBound) { v = up; s = kAtUpper; }
    else { v = 0.0; s = kFreeNb; }
    if (std::fabs(v) >= kInfBound) {
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

}  // namespace tvl::lp
