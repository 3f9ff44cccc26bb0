#include "lp/primopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lp/dualopt.h"
#include "lp/primal_simplex.h"
#include "lp/scaling.h"
#include "lp/simplex_lp.h"

namespace tvl::lp {

namespace {

// Row statuses describe the activity A_i x; the working form's slack is its
// negation, so lower and upper swap.
int8_t swap_side(int8_t s) {
  if (s == kAtLower) return kAtUpper;
  if (s == kAtUpper) return kAtLower;
  return s;
}

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

bool valid_basis(const LpModel &model, const Basis *b) {
  return b != nullptr && static_cast<int32_t>(b->colstat.size()) == model.a.n &&
         static_cast<int32_t>(b->rowstat.size()) == model.a.m;
}

// Unscaled solution of the solver's current state.
void extract(const LpModel &model, const Scaling &sc, const PrimalSimplex &ps, LpResult &res) {
  const int32_t m = model.a.m, n = model.a.n;
  const std::vector<double> &x = ps.x();
  const std::vector<double> &y = ps.row_dual();
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
  res.basis = status_to_basis(n, m, ps.status());
  res.iterations += ps.iterations();
  res.phase1_iterations += ps.phase1_iterations();
  res.primal_feasible = ps.primal_feasible();
  res.dual_feasible = ps.dual_feasible();
  res.ray.clear();
  if (res.status == LpStatus::Unbounded && !ps.ray().empty()) {
    res.ray.resize(n);
    double big = 0.0;
    for (int32_t j = 0; j < n; ++j) {
      res.ray[j] = sc.active() ? ps.ray()[j] * sc.col[j] : ps.ray()[j];
      big = std::max(big, std::fabs(res.ray[j]));
    }
    if (big > 0.0)
      for (double &v : res.ray) v /= big;
  }
}

// Largest bound violation of x and of the row activities.
double primal_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  for (int32_t j = 0; j < model.a.n; ++j)
    worst = std::max({worst, model.collo[j] - res.x[j], res.x[j] - model.colup[j]});
  for (int32_t i = 0; i < model.a.m; ++i)
    worst = std::max({worst, model.rowlo[i] - res.rowact[i], res.rowact[i] - model.rowup[i]});
  return worst;
}

// Largest reduced cost with the wrong sign for its basis status.
double dual_violation(const LpModel &model, const LpResult &res) {
  double worst = 0.0;
  auto check = [&](double d, double lo, double up, int8_t s) {
    if (s == kBasic || lo == up) return;
    if (lo <= -kInf && up >= kInf) { worst = std::max(worst, std::fabs(d)); return; }
    if (s == kAtLower || up >= kInf) worst = std::max(worst, -d);
    if (s == kAtUpper || lo <= -kInf) worst = std::max(worst, d);
  };
  for (int32_t j = 0; j < model.a.n; ++j) check(res.dj[j], model.collo[j], model.colup[j], res.basis.colstat[j]);
  for (int32_t i = 0; i < model.a.m; ++i) check(res.pi[i], model.rowlo[i], model.rowup[i], res.basis.rowstat[i]);
  return worst;
}

// LP without rows: the shared closed-form solve, plus a ray when a column
// can run to infinity.
LpResult solve_without_rows(const LpModel &model, const SimplexControl &ctl) {
  LpResult res = dual_simplex(model, ctl, nullptr);
  if (res.status != LpStatus::Unbounded) return res;
  res.ray.assign(static_cast<size_t>(model.a.n), 0.0);
  for (int32_t j = 0; j < model.a.n; ++j) {
    if (model.cost[j] < 0.0 && model.colup[j] >= kInf) res.ray[j] = 1.0;
    else if (model.cost[j] > 0.0 && model.collo[j] <= -kInf) res.ray[j] = -1.0;
  }
  return res;
}

}  // namespace

LpResult primal_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start) {
  if (model.a.m == 0) return solve_without_rows(model, ctl);
  const Scaling sc = compute_scaling(model.a, ctl.scaling);
  LpModel scaled = model;
  apply_scaling(sc, scaled);
  SimplexLp lp;
  lp.load(scaled);

  auto ps = std::make_unique<PrimalSimplex>(std::move(lp), ctl, sc.active());
  if (valid_basis(model, warm_start)) ps->set_basis(basis_to_status(model, *warm_start));
  LpResult res;
  res.status = ps->run();
  extract(model, sc, *ps, res);
  if (res.status != LpStatus::Optimal || !sc.active()) return res;

  // Cleanup on the unscaled problem when unscaling magnified a violation.
  if (primal_violation(model, res) <= ctl.feastol && dual_violation(model, res) <= ctl.opttol) return res;
  SimplexLp raw;
  raw.load(model);
  const std::vector<int8_t> st = ps->status();
  SimplexControl quiet = ctl;
  quiet.pricing = 1;
  quiet.itlim = std::max<int64_t>(0, ctl.itlim - res.iterations);
  ps = std::make_unique<PrimalSimplex>(std::move(raw), quiet, false);
  ps->set_basis(st);
  LpResult clean;
  clean.iterations = res.iterations;
  clean.phase1_iterations = res.phase1_iterations;
  clean.status = ps->run();
  extract(model, Scaling(), *ps, clean);
  return clean;
}

}  // namespace tvl::lp
