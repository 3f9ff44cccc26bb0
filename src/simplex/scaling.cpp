#include "simplex/scaling.h"

#include <algorithm>
#include <cmath>

#include "runtime/workcount.h"

namespace tvl::lp {

namespace {

double power_of_two(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 1.0;
  int e = 0;
  std::frexp(v, &e);  // v = f * 2^e with f in [0.5, 1)
  const double lo = std::ldexp(1.0, e - 1);
  return (v / lo < 1.4142135623730951) ? lo : 2.0 * lo;
}

// Ratio between largest and smallest scaled magnitude.
double spread(const CscMatrix &a, const std::vector<double> &r, const std::vector<double> &c) {
  double lo = INFINITY, hi = 0.0;
  for (int32_t j = 0; j < a.n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const double v = std::fabs(a.value[k]) * r[a.index[k]] * c[j];
      if (v == 0.0) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return hi > 0.0 ? hi / lo : 1.0;
}

void geometric_pass(const CscMatrix &a, std::vector<double> &r, std::vector<double> &c) {
  const int32_t m = a.m, n = a.n;
  std::vector<double> rmin(m, INFINITY), rmax(m, 0.0);
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const double v = std::fabs(a.value[k]) * c[j];
      if (v == 0.0) continue;
      const int32_t i = a.index[k];
      rmin[i] = std::min(rmin[i], v);
      rmax[i] = std::max(rmax[i], v);
    }
  }
  for (int32_t i = 0; i < m; ++i)
    r[i] = rmax[i] > 0.0 ? 1.0 / std::sqrt(rmin[i] * rmax[i]) : 1.0;
  for (int32_t j = 0; j < n; ++j) {
    double lo = INFINITY, hi = 0.0;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const double v = std::fabs(a.value[k]) * r[a.index[k]];
      if (v == 0.0) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    c[j] = hi > 0.0 ? 1.0 / std::sqrt(lo * hi) : 1.0;
  }
}

void equilibrate_columns(const CscMatrix &a, const std::vector<double> &r, std::vector<double> &c) {
  for (int32_t j = 0; j < a.n; ++j) {
    double hi = 0.0;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k)
      hi = std::max(hi, std::fabs(a.value[k]) * r[a.index[k]] * c[j]);
    if (hi > 0.0) c[j] /= hi;
  }
}

}  // namespace

Scaling compute_scaling(const CscMatrix &a, int mode) {
  Scaling s;
  if (mode < 0 || a.m == 0 || a.n == 0) return s;
  std::vector<double> r(a.m, 1.0), c(a.n, 1.0);
  const int max_passes = mode >= 1 ? 20 : 6;
  // A spread measure touches every entry once, a geometric pass twice.
  const uint64_t nnz = static_cast<uint64_t>(a.start[a.n]);
  const uint64_t dims = static_cast<uint64_t>(a.m) + static_cast<uint64_t>(a.n);
  uint64_t ops = nnz;
  double last = spread(a, r, c);
  std::vector<double> best_r = r, best_c = c;
  for (int pass = 0; pass < max_passes; ++pass) {
    geometric_pass(a, r, c);
    const double now = spread(a, r, c);
    ops += 3 * nnz + 2 * dims;
    if (now < last) {
      best_r = r;
      best_c = c;
    }
    if (now > 0.9 * last) break;
    last = now;
  }
  r = best_r;
  c = best_c;
  equilibrate_columns(a, r, c);
  for (double &v : r) v = std::clamp(power_of_two(v), 0x1p-40, 0x1p40);
  for (double &v : c) v = std::clamp(power_of_two(v), 0x1p-40, 0x1p40);
  work_add(ops + nnz + 2 * dims);
  s.row = std::move(r);
  s.col = std::move(c);
  return s;
}

void apply_scaling(const Scaling &s, LpModel &model) {
  if (!s.active()) return;
  CscMatrix &a = model.a;
  for (int32_t j = 0; j < a.n; ++j) {
    const double cj = s.col[j];
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) a.value[k] *= s.row[a.index[k]] * cj;
    model.cost[j] *= cj;
    if (model.collo[j] > -kInfBound) model.collo[j] /= cj;
    if (model.colup[j] < kInfBound) model.colup[j] /= cj;
  }
  for (int32_t i = 0; i < a.m; ++i) {
    if (model.rowlo[i] > -kInfBound) model.rowlo[i] *= s.row[i];
    if (model.rowup[i] < kInfBound) model.rowup[i] *= s.row[i];
  }
  work_add(static_cast<uint64_t>(a.start[a.n]) + 2 * static_cast<uint64_t>(a.n) + static_cast<uint64_t>(a.m));
}

}  // namespace tvl::lp
