// Pivot row alpha_r = rho' [A I] over the nonbasic variables of the working
// form, from rho = B^-T e_r.  Shared by the dual simplex (every iteration)
// and the primal simplex (pricing-weight updates).  `row` is a sparse vector
// over the n + m variables and `mark` flags its nonzero positions; both are
// cleared here before the new row is built, so nothing is allocated.  Each
// function adds the entries it touched to the thread's work counter.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/factor.h"
#include "runtime/workcount.h"
#include "simplex/row_partition.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

// Empties `row` and its marks.
void pivot_row_clear(HVector &row, std::vector<int8_t> &mark);

// Row-wise product: walks the rows that rho touches (cheap when rho is sparse).
void pivot_row_rowwise(const SimplexLp &lp, const HVector &rho, HVector &row, std::vector<int8_t> &mark);

// Row-wise product over the movable part of each row (the structural
// columns that are nonbasic and not fixed, kept apart in `part`), plus the
// nonbasic slacks that are not fixed; basic and fixed variables are left
// out of the row, as pivot_row_listed leaves them out.
void pivot_row_movable(const SimplexLp &lp, const RowPartition &part, const std::vector<int8_t> &status,
                       const HVector &rho, HVector &row, std::vector<int8_t> &mark);

// Dot product of rho with a column of at most kShortColumn entries, without
// a loop whose exit depends on the length: a loop of kShortColumn / 2 steps
// for columns of up to that many entries, of kShortColumn steps for the
// others; the entries past the column's end (those of the next columns)
// are read and multiplied by 0, so a run of short columns of varying
// lengths costs no mispredicted branches (on dfl001, nearly every column
// ends a loop of 2 to 7 entries).  The sum is formed in the same order as
// the plain loop's and the padding adds zeros (rho is finite, and a sum
// that starts at +0 never becomes -0), so the result is the same to the
// bit.  The caller ensures that kShortColumn entries from `first` lie
// within the matrix's arrays.
constexpr int32_t kShortColumn = 8;

inline double short_column_dot(const double *value, const int32_t *index, const double *r, int32_t first,
                               int32_t len) {
  static constexpr double kKeep[kShortColumn + 1][kShortColumn] = {
      {0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0, 0, 0},
      {1, 1, 1, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 0, 0, 0},
      {1, 1, 1, 1, 1, 1, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 0}, {1, 1, 1, 1, 1, 1, 1, 1}};
  const double *keep = kKeep[len];
  double s = 0.0;
  if (len <= kShortColumn / 2) {
    for (int32_t t = 0; t < kShortColumn / 2; ++t) s += (value[first + t] * keep[t]) * r[index[first + t]];
    return s;
  }
  for (int32_t t = 0; t < kShortColumn; ++t) s += (value[first + t] * keep[t]) * r[index[first + t]];
  return s;
}

// The column-wise product's kernel: one dot product with rho for each
// structural column that `next` yields (it returns -1 at the end), then
// the slacks of the rows that `next_row` yields (ascending, nonbasic
// slacks only; -1 at the end).  A nonzero entry is listed in `row` and
// handed to sink(j, alpha_j) at once, in the order of the row's index
// list.  The callers below add its work.
template <class Next, class NextRow, class Sink>
void pivot_row_products(const SimplexLp &lp, const HVector &rho, HVector &row, std::vector<int8_t> &mark,
                        Next &&next, NextRow &&next_row, Sink &&sink) {
  const int32_t n = lp.n;
  const double *r = rho.array.data();
  const int32_t *start = lp.a.start.data(), *index = lp.a.index.data();
  const double *value = lp.a.value.data();
  int32_t *out = row.index.data();
  double *alpha = row.array.data();
  int8_t *mk = mark.data();
  int32_t count = row.count;
  // The structural part is stored without a branch on the product (whether
  // a column meets rho's nonzeros is as good as random), and the new
  // entries are handed to the sink afterwards, in the same order.
  const int32_t first = count;
  const int32_t short_end = start[n] - kShortColumn;  // columns starting here or later take the plain loop
  for (int32_t j = next(); j >= 0; j = next()) {
    const int32_t b = start[j], len = start[j + 1] - b;
    double s = 0.0;
    if (len <= kShortColumn && b <= short_end) s = short_column_dot(value, index, r, b, len);
    else
      for (int32_t k = b; k < b + len; ++k) s += value[k] * r[index[k]];
    const bool nonzero = __builtin_expect_with_probability(s != 0.0, true, 0.5);
    alpha[j] = s;
    mk[j] = static_cast<int8_t>(nonzero);
    out[count] = j;
    count += nonzero;
  }
  for (int32_t k = first; k < count; ++k) sink(out[k], alpha[out[k]]);
  for (int32_t i = next_row(); i >= 0; i = next_row()) {
    if (r[i] == 0.0) continue;
    mk[n + i] = 1;
    out[count++] = n + i;
    alpha[n + i] = r[i];
    sink(n + i, r[i]);
  }
  row.count = count;
}

// Column-wise product: one dot product per nonbasic column (dense rho).
template <class Sink>
void pivot_row_colwise(const SimplexLp &lp, const HVector &rho, const std::vector<int8_t> &status, HVector &row,
                       std::vector<int8_t> &mark, Sink &&sink) {
  const int32_t n = lp.n;
  const int32_t m = lp.m;
  const int8_t *st = status.data();
  int32_t j = 0, i = 0;
  auto next = [&]() {
    while (j < n && st[j] == kBasic) ++j;
    return j < n ? j++ : -1;
  };
  auto next_row = [&]() {
    while (i < m && st[n + i] == kBasic) ++i;
    return i < m ? i++ : -1;
  };
  pivot_row_products(lp, rho, row, mark, next, next_row, sink);
  work_add(static_cast<uint64_t>(lp.a.start[n]) + static_cast<uint64_t>(n) + static_cast<uint64_t>(lp.m));
}

// Column-wise product over the structural columns listed in `columns`,
// then the slacks of the rows listed in `rows` (both ascending: the
// nonbasic variables whose bounds differ, kept by
// SimplexBase::movable_columns and movable_rows).  Fixed variables never
// enter the basis: in the node LPs of a search, where branching and
// reduced-cost fixing fix most columns, they are most of the matrix, and
// the slacks of equality rows are all fixed (every row of dfl001's 6,071).
// Their reduced costs are then not updated by the pivot, and the caller
// recomputes them before it reads them.  `work` is the count the caller
// adds to the work counter for it.
template <class Sink>
void pivot_row_listed(const SimplexLp &lp, const HVector &rho, const std::vector<int32_t> &columns,
                      const std::vector<int32_t> &rows, uint64_t work, HVector &row, std::vector<int8_t> &mark,
                      Sink &&sink) {
  const int32_t *list = columns.data(), *rlist = rows.data();
  const size_t size = columns.size(), rsize = rows.size();
  size_t k = 0, l = 0;
  pivot_row_products(lp, rho, row, mark, [&]() { return k < size ? list[k++] : -1; },
                     [&]() { return l < rsize ? rlist[l++] : -1; }, sink);
  work_add(work);
}

// How many entries pivot_row_listed leaves out that pivot_row_colwise
// would list among the slacks: the fixed nonbasic slacks whose rho_i is
// nonzero.  The dual counts its work as if they were listed, so that work
// limits and the work-paced decisions built on them (the automatic pricing
// rule, the search's heuristics) do not depend on the form of the row.
int32_t pivot_row_fixed_slacks(const SimplexLp &lp, const HVector &rho, const std::vector<int8_t> &status);

inline void pivot_row_colwise(const SimplexLp &lp, const HVector &rho, const std::vector<int8_t> &status,
                              HVector &row, std::vector<int8_t> &mark) {
  pivot_row_colwise(lp, rho, status, row, mark, [](int32_t, double) {});
}

}  // namespace tvl::lp
