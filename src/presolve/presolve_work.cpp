#include "presolve/presolve_work.h"

namespace tvl::lp::pre {

namespace {
double to_internal(double v) {
  if (v >= kInfBound) return kWorkInf;
  if (v <= -kInfBound) return -kWorkInf;
  return v;
}
}  // namespace

Work::Work(const LpModel &lp, double tol) : feastol(tol) {
  m = lp.a.m;
  n = lp.a.n;
  const size_t nz = lp.a.index.size();
  erow.reserve(nz); ecol.reserve(nz); eval.reserve(nz);
  rnext.reserve(nz); rprev.reserve(nz); cnext.reserve(nz); cprev.reserve(nz);
  rhead.assign(m, -1); chead.assign(n, -1); rlen.assign(m, 0); clen.assign(n, 0);
  rlo.resize(m); rup.resize(m); clo.resize(n); cup.resize(n);
  for (int32_t i = 0; i < m; ++i) { rlo[i] = to_internal(lp.rowlo[i]); rup[i] = to_internal(lp.rowup[i]); }
  for (int32_t j = 0; j < n; ++j) { clo[j] = to_internal(lp.collo[j]); cup[j] = to_internal(lp.colup[j]); }
  cost = lp.cost;
  offset = lp.offset;
  row_alive.assign(m, 1); col_alive.assign(n, 1);
  rows_alive = m; cols_alive = n;
  // Insert column by column in reverse so that the lists come out in
  // increasing index order.
  for (int32_t j = n - 1; j >= 0; --j) {
    for (int32_t p = lp.a.start[j + 1] - 1; p >= lp.a.start[j]; --p) {
      if (lp.a.value[p] != 0.0) add_entry(lp.a.index[p], j, lp.a.value[p]);
    }
  }
}

int32_t Work::add_entry(int32_t i, int32_t j, double v) {
  const int32_t e = static_cast<int32_t>(erow.size());
  erow.push_back(i); ecol.push_back(j); eval.push_back(v);
  rprev.push_back(-1); rnext.push_back(rhead[i]);
  if (rhead[i] >= 0) rprev[rhead[i]] = e;
  rhead[i] = e;
  cprev.push_back(-1); cnext.push_back(chead[j]);
  if (chead[j] >= 0) cprev[chead[j]] = e;
  chead[j] = e;
  ++rlen[i]; ++clen[j];
  return e;
}

void Work::remove_entry(int32_t e) {
  const int32_t i = erow[e], j = ecol[e];
  if (rprev[e] >= 0) rnext[rprev[e]] = rnext[e]; else rhead[i] = rnext[e];
  if (rnext[e] >= 0) rprev[rnext[e]] = rprev[e];
  if (cprev[e] >= 0) cnext[cprev[e]] = cnext[e]; else chead[j] = cnext[e];
  if (cnext[e] >= 0) cprev[cnext[e]] = cprev[e];
  --rlen[i]; --clen[j];
  eval[e] = 0.0;
}

void Work::remove_row(int32_t i) {
  for (int32_t e = rhead[i]; e >= 0;) {
    const int32_t nx = rnext[e];
    remove_entry(e);
    e = nx;
    ++work;
  }
  row_alive[i] = 0;
  --rows_alive;
}

void Work::remove_col(int32_t j) {
  for (int32_t e = chead[j]; e >= 0;) {
    const int32_t nx = cnext[e];
    remove_entry(e);
    e = nx;
    ++work;
  }
  col_alive[j] = 0;
  --cols_alive;
}

void Work::fix_col(int32_t j, double v, int8_t status_hint) {
  Step &s = stack.push(StepKind::FixedCol);
  s.col = j;
  s.flag = status_hint;
  s.d[0] = v;
  s.d[1] = cost[j];
  for (int32_t e = chead[j]; e >= 0; e = cnext[e]) {
    const int32_t i = erow[e];
    const double shift = eval[e] * v;
    if (finite_value(rlo[i])) rlo[i] -= shift;
    if (finite_value(rup[i])) rup[i] -= shift;
    stack.add(i, eval[e]);
  }
  offset += cost[j] * v;
  remove_col(j);
}

Activity Work::activity(int32_t i) const {
  Activity a;
  for (int32_t e = rhead[i]; e >= 0; e = rnext[e]) {
    const double v = eval[e];
    const int32_t j = ecol[e];
    const double lo = v > 0 ? clo[j] : cup[j];
    const double hi = v > 0 ? cup[j] : clo[j];
    if (finite_value(lo)) a.minfin += v * lo; else ++a.mininf;
    if (finite_value(hi)) a.maxfin += v * hi; else ++a.maxinf;
  }
  return a;
}

void Work::activity_without(const Activity &act, int32_t e, double &lo, double &hi) const {
  const double v = eval[e];
  const int32_t j = ecol[e];
  const double blo = v > 0 ? clo[j] : cup[j];
  const double bhi = v > 0 ? cup[j] : clo[j];
  if (finite_value(blo)) lo = act.mininf ? -kWorkInf : act.minfin - v * blo;
  else lo = act.mininf > 1 ? -kWorkInf : act.minfin;
  if (finite_value(bhi)) hi = act.maxinf ? kWorkInf : act.maxfin - v * bhi;
  else hi = act.maxinf > 1 ? kWorkInf : act.maxfin;
}

bool Work::implied_free(const Activity &act, int32_t e) const {
  const int32_t i = erow[e], j = ecol[e];
  const double a = eval[e];
  double rest_lo, rest_hi;
  activity_without(act, e, rest_lo, rest_hi);
  // a x_j lies in [rlo - rest_hi, rup - rest_lo].
  const double ax_lo = (finite_value(rlo[i]) && finite_value(rest_hi)) ? rlo[i] - rest_hi : -kWorkInf;
  const double ax_hi = (finite_value(rup[i]) && finite_value(rest_lo)) ? rup[i] - rest_lo : kWorkInf;
  const double implo = a > 0 ? ax_lo / a : ax_hi / a;
  const double impup = a > 0 ? ax_hi / a : ax_lo / a;
  const double tol = 1e-9;
  const bool lo_ok = !finite_value(clo[j]) || implo >= clo[j] - tol * (1.0 + std::fabs(clo[j]));
  const bool up_ok = !finite_value(cup[j]) || impup <= cup[j] + tol * (1.0 + std::fabs(cup[j]));
  return lo_ok && up_ok;
}

bool cost_move_keeps_start(const Work &w, int32_t e) {
  const int32_t i = w.erow[e], j = w.ecol[e];
  const double c = w.cost[j];
  if (c == 0.0) return true;
  const double ratio = c / w.eval[e];
  int32_t before = start_dual_infeasible(c, w.clo[j], w.cup[j]) ? 1 : 0, after = 0;
  for (int32_t f = w.rhead[i]; f >= 0; f = w.rnext[f]) {
    if (f == e) continue;
    const int32_t k = w.ecol[f];
    before += start_dual_infeasible(w.cost[k], w.clo[k], w.cup[k]);
    after += start_dual_infeasible(w.cost[k] - ratio * w.eval[f], w.clo[k], w.cup[k]);
  }
  return after <= before;
}

}  // namespace tvl::lp::pre
