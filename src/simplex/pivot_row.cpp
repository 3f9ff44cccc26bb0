#include "simplex/pivot_row.h"

#include <utility>

#include "runtime/workcount.h"

namespace tvl::lp {

void pivot_row_clear(HVector &row, std::vector<int8_t> &mark) {
  const int32_t count = row.count;
  for (int32_t k = 0; k < count; ++k) {
    row.array[row.index[k]] = 0.0;
    mark[row.index[k]] = 0;
  }
  work_add(static_cast<uint64_t>(count));
  row.count = 0;
}

namespace {

// The row-wise product over the rows rho touches: in row i the entries
// [extent(i).first, extent(i).second) of `col`/`val`, then the slack n+i
// when keep_slack(i).  Both row-wise forms below are this loop.
template <class Extent, class KeepSlack>
void rows_product(const SimplexLp &lp, const HVector &rho, const int32_t *col, const double *val, Extent &&extent,
                  KeepSlack &&keep_slack, HVector &row, std::vector<int8_t> &mark) {
  const int32_t n = lp.n;
  uint64_t ops = static_cast<uint64_t>(rho.count);
  for (int32_t k = 0; k < rho.count; ++k) {
    const int32_t i = rho.index[k];
    const double v = rho.array[i];
    if (v == 0.0) continue;
    // The row's extent in locals: the index stores below could alias it.
    const auto [begin, end] = extent(i);
    ops += static_cast<uint64_t>(end - begin);
    for (int32_t p = begin; p < end; ++p) {
      const int32_t j = col[p];
      if (!mark[j]) {
        mark[j] = 1;
        row.index[row.count++] = j;
      }
      row.array[j] += v * val[p];
    }
    if (!keep_slack(i)) continue;
    mark[n + i] = 1;
    row.index[row.count++] = n + i;
    row.array[n + i] = v;
  }
  work_add(ops);
}

}  // namespace

void pivot_row_rowwise(const SimplexLp &lp, const HVector &rho, HVector &row, std::vector<int8_t> &mark) {
  rows_product(
      lp, rho, lp.rindex.data(), lp.rvalue.data(),
      [&](int32_t i) { return std::pair<int32_t, int32_t>(lp.rstart[i], lp.rstart[i + 1]); },
      [](int32_t) { return true; }, row, mark);
}

void pivot_row_movable(const SimplexLp &lp, const RowPartition &part, const std::vector<int8_t> &status,
                       const HVector &rho, HVector &row, std::vector<int8_t> &mark) {
  const int32_t n = lp.n;
  rows_product(
      lp, rho, part.column(), part.value(),
      [&](int32_t i) { return std::pair<int32_t, int32_t>(part.begin(i), part.end(i)); },
      [&](int32_t i) { return status[n + i] != kBasic && lp.lower[n + i] != lp.upper[n + i]; }, row, mark);
}

int32_t pivot_row_fixed_slacks(const SimplexLp &lp, const HVector &rho, const std::vector<int8_t> &status) {
  // A branch-free pass over the slacks; its own cost is not counted (the
  // count it returns stands for the entries of the full row).
  const int32_t n = lp.n;
  const double *r = rho.array.data(), *lo = lp.lower.data() + n, *up = lp.upper.data() + n;
  const int8_t *st = status.data() + n;
  int32_t count = 0;
  for (int32_t i = 0; i < lp.m; ++i) count += (r[i] != 0.0) & (st[i] != kBasic) & (lo[i] == up[i]);
  return count;
}

}  // namespace tvl::lp
