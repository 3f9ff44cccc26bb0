#include "simplex/simplex_lp.h"

namespace tvl::lp {

namespace {
double to_lower(double v) { return v <= -kInfBound ? -kWorkInf : v; }
double to_upper(double v) { return v >= kInfBound ? kWorkInf : v; }
}  // namespace

void SimplexLp::load(const LpModel &model) {
  m = model.a.m;
  n = model.a.n;
  a = model.a;
  offset = model.offset;
  objsense = model.objsense;
  cost.assign(static_cast<size_t>(n + m), 0.0);
  lower.assign(static_cast<size_t>(n + m), 0.0);
  upper.assign(static_cast<size_t>(n + m), 0.0);
  for (int32_t j = 0; j < n; ++j) {
    cost[j] = model.cost[j];
    lower[j] = to_lower(model.collo[j]);
    upper[j] = to_upper(model.colup[j]);
  }
  for (int32_t i = 0; i < m; ++i) {
    // s_i = -A_i x, so the slack's bounds are the negated row bounds.
    lower[n + i] = -to_upper(model.rowup[i]);
    upper[n + i] = -to_lower(model.rowlo[i]);
  }
  build_row_copy();
}

void SimplexLp::build_row_copy() {
  rstart.assign(static_cast<size_t>(m) + 1, 0);
  for (int32_t k = 0; k < a.start[n]; ++k) ++rstart[a.index[k] + 1];
  for (int32_t i = 0; i < m; ++i) rstart[i + 1] += rstart[i];
  rindex.resize(static_cast<size_t>(a.start[n]));
  rvalue.resize(static_cast<size_t>(a.start[n]));
  std::vector<int32_t> fill(rstart.begin(), rstart.end() - 1);
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const int32_t p = fill[a.index[k]]++;
      rindex[p] = j;
      rvalue[p] = a.value[k];
    }
  }
}

void load_column(const SimplexLp &lp, int32_t q, HVector &v) {
  v.clear();
  if (q < lp.n) {
    for (int32_t k = lp.a.start[q]; k < lp.a.start[q + 1]; ++k) {
      v.array[lp.a.index[k]] = lp.a.value[k];
      v.index[v.count++] = lp.a.index[k];
    }
  } else {
    v.array[q - lp.n] = 1.0;
    v.index[v.count++] = q - lp.n;
  }
}

}  // namespace tvl::lp
