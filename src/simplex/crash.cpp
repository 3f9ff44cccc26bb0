#include "simplex/crash.h"

#include <algorithm>
#include <cmath>

#include "simplex/simplex_base.h"

namespace tvl::lp {

namespace {

// Classes of variables by their bounds, the preferred basic ones first.
enum BoundClass : int { kFree = 0, kOneSided = 1, kBoxed = 2, kFixed = 3 };

// An accepted column pivots at an entry at least this share of its largest.
constexpr double kPivotShare = 0.99;
// Otherwise its entries in rows pivoted before must be at most this share
// of those rows' pivots.
constexpr double kSmallShare = 0.01;

BoundClass bound_class(const SimplexLp &lp, int32_t j) {
  const bool flo = simplex_finite(lp.lower[j]), fup = simplex_finite(lp.upper[j]);
  if (flo && fup) return lp.lower[j] == lp.upper[j] ? kFixed : kBoxed;
  return flo || fup ? kOneSided : kFree;
}

// Structural columns in the order they are offered to the basis.
std::vector<int32_t> offer_order(const SimplexLp &lp, int orientation) {
  double cmax = 0.0;
  for (int32_t j = 0; j < lp.n; ++j) cmax = std::max(cmax, std::fabs(lp.cost[j]));
  const double weight = orientation < 0 && cmax > 0.0 ? 1.0 / cmax : 0.0;
  // Class first; within it the scaled cost (in [-1, 1]) for orientation
  // -1, then the model's order.
  std::vector<double> key(static_cast<size_t>(lp.n), 0.0);
  std::vector<int32_t> order;
  for (int32_t j = 0; j < lp.n; ++j) {
    const BoundClass c = bound_class(lp, j);
    if (c == kFixed || lp.a.start[j] == lp.a.start[j + 1]) continue;
    key[j] = static_cast<int>(c) * 4.0 + lp.cost[j] * weight;
    order.push_back(j);
  }
  std::stable_sort(order.begin(), order.end(), [&](int32_t p, int32_t q) { return key[p] < key[q]; });
  return order;
}

}  // namespace

std::vector<int32_t> crash_columns(const SimplexLp &lp, int orientation) {
  if (orientation == 0 || lp.m == 0) return {};
  const int32_t m = lp.m, n = lp.n;
  std::vector<int32_t> touched(static_cast<size_t>(m), 0);  // accepted columns with an entry in the row
  std::vector<double> pivot(static_cast<size_t>(m), 0.0);   // |pivot| of a row a column took, else 0
  std::vector<int32_t> basic_of_row(static_cast<size_t>(m), -1);
  int32_t accepted = 0;
  for (int32_t j : offer_order(lp, orientation)) {
    double largest = 0.0, best = 0.0;
    int32_t row = -1;
    bool small_elsewhere = true;
    for (int32_t p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) {
      const int32_t i = lp.a.index[p];
      const double v = std::fabs(lp.a.value[p]);
      largest = std::max(largest, v);
      if (pivot[i] > 0.0 && v > kSmallShare * pivot[i]) small_elsewhere = false;
      if (touched[i] != 0) continue;
      // Only an equality row's slack, which is fixed, gives way.
      if (bound_class(lp, n + i) != kFixed) continue;
      if (v > best) best = v, row = i;
    }
    if (row < 0 || best == 0.0) continue;
    if (best < kPivotShare * largest && !small_elsewhere) continue;
    basic_of_row[row] = j;
    pivot[row] = best;
    for (int32_t p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) ++touched[lp.a.index[p]];
    ++accepted;
  }
  if (accepted == 0) return {};
  return basic_of_row;
}

void apply_crash(const std::vector<int32_t> &columns, int32_t n, std::vector<int8_t> &status) {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i] < 0) continue;
    status[static_cast<size_t>(columns[i])] = kBasic;
    // A fixed slack: the simplex puts it on its (only) value.
    status[static_cast<size_t>(n) + i] = kAtLower;
  }
}

}  // namespace tvl::lp
