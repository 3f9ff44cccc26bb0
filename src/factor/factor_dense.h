// Dense kernel of the basis factor: the active submatrix left by the
// Markowitz phase is copied into a column-major array and factorized by
// right-looking LU with partial pivoting (Golub & Van Loan, "Matrix
// Computations", algorithm 3.4.1).  A column whose largest remaining entry
// is below the singularity tolerance is reported singular and skipped.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "factor/factor_markowitz.h"

namespace tvl::lp {

template <class T>
void dense_factor(LuBuilder<T> &bld, LuRaw<T> &raw) {
  const int32_t m = bld.m_;
  std::vector<int32_t> rows, cols, slot(m, -1);
  for (int32_t i = 0; i < m; ++i)
    if (!bld.row_done_[i]) { slot[i] = static_cast<int32_t>(rows.size()); rows.push_back(i); }
  for (int32_t j = 0; j < m; ++j)
    if (!bld.col_done_[j]) cols.push_back(j);
  const int32_t nr = static_cast<int32_t>(rows.size()), nc = static_cast<int32_t>(cols.size());
  std::vector<int32_t> col_slot(m, -1);
  for (int32_t c = 0; c < nc; ++c) col_slot[cols[c]] = c;
  std::vector<T> a(static_cast<size_t>(nr) * nc, T(0));
  for (int32_t r = 0; r < nr; ++r) {
    const int32_t i = rows[r];
    const int32_t end = bld.rbeg_[i] + bld.rlen_[i];
    for (int32_t e = bld.rbeg_[i]; e < end; ++e)
      a[static_cast<size_t>(col_slot[bld.ridx_[e]]) * nr + r] = bld.rval_[e];
  }
  bld.ops_ += static_cast<uint64_t>(nr) * nc;
  const T tol = T(bld.singtol_);
  int32_t np = 0;  // pivots taken; rows [0, np) of the array are pivoted
  for (int32_t c = 0; c < nc; ++c) {
    T *col = &a[static_cast<size_t>(c) * nr];
    int32_t best = -1;
    T best_abs = T(0);
    for (int32_t r = np; r < nr; ++r) {
      const T v = std::fabs(col[r]);
      if (v > best_abs) { best_abs = v; best = r; }
    }
    bld.ops_ += nr - np;
    if (best < 0 || best_abs < tol) {
      raw.singular_pos.push_back(cols[c]);
      continue;
    }
    if (best != np) {
      for (int32_t c2 = 0; c2 < nc; ++c2) std::swap(a[static_cast<size_t>(c2) * nr + best], a[static_cast<size_t>(c2) * nr + np]);
      std::swap(rows[best], rows[np]);
      bld.ops_ += nc;
    }
    const T piv = col[np];
    raw.add_pivot(rows[np], cols[c], piv);
    for (int32_t r = np + 1; r < nr; ++r) {
      if (col[r] == T(0)) continue;
      col[r] /= piv;
      raw.lindex.push_back(rows[r]);
      raw.lvalue.push_back(col[r]);
    }
    raw.close_l();
    for (int32_t c2 = c + 1; c2 < nc; ++c2) {
      T *col2 = &a[static_cast<size_t>(c2) * nr];
      const T v = col2[np];
      if (v == T(0)) continue;
      raw.uindex.push_back(cols[c2]);
      raw.uvalue.push_back(v);
      for (int32_t r = np + 1; r < nr; ++r) col2[r] -= col[r] * v;
      bld.ops_ += nr - np;
    }
    raw.close_u();
    ++np;
  }
  for (int32_t r = np; r < nr; ++r) raw.unpivoted_rows.push_back(rows[r]);
  raw.dense_ops += 2.0 * static_cast<double>(nr) * nr * nr / 3.0;
  for (const int32_t i : rows) bld.row_done_[i] = 1;
  for (const int32_t j : cols) bld.col_done_[j] = 1;
  bld.active_rows_ = bld.active_cols_ = 0;
}

}  // namespace tvl::lp
