// Basis walk for the basis-factor tests and benchmark: from the slack basis,
// structural columns enter one at a time and leave a position with a large
// entry of the transformed column, as a simplex run would, with the factor
// updated in place and refactorized when it asks for it.
#pragma once

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "factor/factor.h"
#include "lu_test_util.h"

namespace lutest {

struct Walk {
  std::vector<int32_t> head;
  std::vector<char> basic;
  int32_t steps = 0, refactors = 0, repairs = 0;
};

inline void start_walk(Walk &w, const CscMatrix &a) {
  w.head.resize(a.m);
  w.basic.assign(a.n + a.m, 0);
  for (int32_t i = 0; i < a.m; ++i) {
    w.head[i] = a.n + i;
    w.basic[a.n + i] = 1;
  }
}

// Performs `steps` basis changes; `check` (optional) is called after each.
inline bool walk(Walk &w, const CscMatrix &a, tvl::lp::BasisFactor &f, int32_t steps, std::mt19937 &rng,
                 const std::function<void(int32_t)> &check = {}) {
  std::uniform_int_distribution<int32_t> pick(0, a.n - 1);
  HVector col;
  col.setup(a.m);
  for (int32_t s = 0; s < steps; ++s) {
    int32_t q = -1;
    for (int t = 0; t < 50 && q < 0; ++t) {
      const int32_t j = pick(rng);
      if (!w.basic[j] && a.start[j + 1] > a.start[j]) q = j;
    }
    if (q < 0) return true;
    col.clear();
    for (int32_t e = a.start[q]; e < a.start[q + 1]; ++e) {
      col.array[a.index[e]] = a.value[e];
      col.index[col.count++] = a.index[e];
    }
    f.ftran(col, 0.0);
    double big = 0.0;
    for (int32_t t = 0; t < col.count; ++t) big = std::max(big, std::fabs(col.array[col.index[t]]));
    if (big < 1e-7) continue;
    // Prefer a slack among the large entries so the basis fills with structurals.
    int32_t r = -1;
    for (int32_t t = 0; t < col.count; ++t) {
      const int32_t p = col.index[t];
      if (std::fabs(col.array[p]) < 0.1 * big) continue;
      if (r < 0 || (w.head[p] >= a.n && w.head[r] < a.n)) r = p;
    }
    w.basic[w.head[r]] = 0;
    w.basic[q] = 1;
    w.head[r] = q;
    ++w.steps;
    if (!f.update(r, col)) {
      std::vector<int32_t> replaced;
      const auto st = f.factorize(a, w.head, &replaced);
      if (st == tvl::lp::FactorStatus::OutOfMemory || st == tvl::lp::FactorStatus::Singular) return false;
      for (const int32_t v : replaced) w.basic[v] = 0;
      for (const int32_t v : w.head) w.basic[v] = 1;
      w.repairs += static_cast<int32_t>(replaced.size());
      ++w.refactors;
    }
    if (check) check(s);
  }
  return true;
}

}  // namespace lutest
