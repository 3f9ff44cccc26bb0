// Helpers shared by the basis-factor tests: random bases and residuals.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "factor/factor.h"

namespace lutest {

using tvl::lp::CscMatrix;
using tvl::lp::HVector;

// Random m x n matrix; column j < m carries a guaranteed entry on a random
// permutation so that the first m columns form a nonsingular basis with
// probability one.  Other entries appear with probability `density`.
inline CscMatrix random_matrix(int32_t m, int32_t n, double density, std::mt19937 &rng) {
  std::uniform_real_distribution<double> val(-1.0, 1.0);
  std::uniform_real_distribution<double> coin(0.0, 1.0);
  std::vector<int32_t> perm(m);
  for (int32_t i = 0; i < m; ++i) perm[i] = i;
  std::shuffle(perm.begin(), perm.end(), rng);
  CscMatrix a;
  a.m = m;
  a.n = n;
  a.start.push_back(0);
  const int32_t per_col = std::max<int32_t>(0, static_cast<int32_t>(density * m));
  std::uniform_int_distribution<int32_t> row(0, m - 1);
  std::vector<char> used(m, 0);
  for (int32_t j = 0; j < n; ++j) {
    std::vector<int32_t> rows;
    if (j < m) rows.push_back(perm[j]);
    int32_t extra = per_col;
    if (coin(rng) < density * m - per_col) ++extra;
    for (int32_t t = 0; t < extra; ++t) rows.push_back(row(rng));
    for (const int32_t i : rows) {
      if (used[i]) continue;
      used[i] = 1;
      a.index.push_back(i);
      double v = val(rng);
      if (std::fabs(v) < 0.1) v += v < 0 ? -0.5 : 0.5;
      a.value.push_back(v);
    }
    for (const int32_t i : rows) used[i] = 0;
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  return a;
}

// Column of basic variable `var` (structural or slack) times s, added to out.
inline void add_column(const CscMatrix &a, int32_t var, double s, std::vector<double> &out) {
  if (var < a.n) {
    for (int32_t e = a.start[var]; e < a.start[var + 1]; ++e) out[a.index[e]] += s * a.value[e];
  } else {
    out[var - a.n] += s;
  }
}

inline double column_dot(const CscMatrix &a, int32_t var, const std::vector<double> &y) {
  if (var >= a.n) return y[var - a.n];
  double s = 0.0;
  for (int32_t e = a.start[var]; e < a.start[var + 1]; ++e) s += a.value[e] * y[a.index[e]];
  return s;
}

// max |B x - b| / (1 + max|b|) for x in position space.
inline double ftran_residual(const CscMatrix &a, const std::vector<int32_t> &head, const HVector &x,
                             const std::vector<double> &b) {
  std::vector<double> bx(a.m, 0.0);
  for (size_t k = 0; k < head.size(); ++k)
    if (x.array[k] != 0.0) add_column(a, head[k], x.array[k], bx);
  double err = 0.0, big = 0.0;
  for (int32_t i = 0; i < a.m; ++i) {
    err = std::max(err, std::fabs(bx[i] - b[i]));
    big = std::max(big, std::fabs(b[i]));
  }
  return err / (1.0 + big);
}

// max |B' y - e| / (1 + max|e|) for y in row space and e in position space.
inline double btran_residual(const CscMatrix &a, const std::vector<int32_t> &head, const HVector &y,
                             const std::vector<double> &e) {
  double err = 0.0, big = 0.0;
  for (size_t k = 0; k < head.size(); ++k) {
    err = std::max(err, std::fabs(column_dot(a, head[k], y.array) - e[k]));
    big = std::max(big, std::fabs(e[k]));
  }
  return err / (1.0 + big);
}

// Loads a dense vector into an HVector with its index list.
inline void load(HVector &v, const std::vector<double> &dense) {
  v.setup(static_cast<int32_t>(dense.size()));
  for (size_t i = 0; i < dense.size(); ++i) {
    if (dense[i] == 0.0) continue;
    v.array[i] = dense[i];
    v.index[v.count++] = static_cast<int32_t>(i);
  }
}

// True when v.index lists exactly the nonzero positions of v.array.
inline bool index_exact(const HVector &v) {
  if (v.count < 0) return false;
  int32_t nz = 0;
  for (int32_t i = 0; i < v.size; ++i) nz += v.array[i] != 0.0;
  if (nz != v.count) return false;
  std::vector<char> seen(v.size, 0);
  for (int32_t t = 0; t < v.count; ++t) {
    const int32_t i = v.index[t];
    if (i < 0 || i >= v.size || seen[i] || v.array[i] == 0.0) return false;
    seen[i] = 1;
  }
  return true;
}

}  // namespace lutest
