// Dense kernel of the basis factor: the active submatrix left by the
// Markowitz phase is copied into a column-major array and eliminated
// there, by one of two pivot rules.
//
// Sparsity order (the default): the pivot rule of the sparse phase in a
// cheaper form (H. M. Markowitz, "The elimination form of the inverse and
// its application to linear programming", Management Science 3 (1957);
// column-count ordering with threshold row choice as in I. S. Duff,
// A. M. Erisman and J. K. Reid, "Direct Methods for Sparse Matrices",
// section 7.2).  Each step takes the active column with the fewest
// nonzeros and, among its rows whose entry is at least u times the
// column's largest (u at least 0.1), the row with the fewest nonzeros.
// Row and column counts follow the fill exactly, so the factors stay about
// as sparse as those of the sparse phase while the array saves its list
// handling.
//
// Partial pivoting (FactorSettings::dense_partial_pivoting): right-looking
// LU taking the columns in their given order and the largest entry of each
// (Golub & Van Loan, "Matrix Computations", algorithm 3.4.1).  Its factors
// are denser; the branch-and-bound search keeps it for its node LPs (see
// mip/node_lp.h).
//
// Either way a column whose largest remaining entry is below the
// singularity tolerance is reported singular and skipped.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "factor/factor_markowitz.h"

namespace tvl::lp {

// The active submatrix as a column-major nr x nc array; rows[r] and
// cols[c] are the basis row and position of array row r and column c.
template <class T>
struct DenseBlock {
  std::vector<int32_t> rows, cols;
  std::vector<T> a;
  int32_t nr = 0, nc = 0;
  T *col(int32_t c) { return &a[static_cast<size_t>(c) * nr]; }
};

template <class T>
DenseBlock<T> load_dense_block(LuBuilder<T> &bld) {
  const int32_t m = bld.m_;
  DenseBlock<T> d;
  for (int32_t i = 0; i < m; ++i)
    if (!bld.row_done_[i]) d.rows.push_back(i);
  std::vector<int32_t> col_slot(m, -1);
  for (int32_t j = 0; j < m; ++j)
    if (!bld.col_done_[j]) {
      col_slot[j] = static_cast<int32_t>(d.cols.size());
      d.cols.push_back(j);
    }
  d.nr = static_cast<int32_t>(d.rows.size());
  d.nc = static_cast<int32_t>(d.cols.size());
  d.a.assign(static_cast<size_t>(d.nr) * d.nc, T(0));
  for (int32_t r = 0; r < d.nr; ++r) {
    const int32_t i = d.rows[r];
    const int32_t end = bld.rbeg_[i] + bld.rlen_[i];
    for (int32_t e = bld.rbeg_[i]; e < end; ++e) d.col(col_slot[bld.ridx_[e]])[r] = bld.rval_[e];
  }
  bld.ops_ += static_cast<uint64_t>(d.nr) * d.nc;
  return d;
}

// Partial pivoting in the given column order; pivoted rows are swapped to
// the top of the array.
template <class T>
void dense_partial_pivoting(LuBuilder<T> &bld, LuRaw<T> &raw, DenseBlock<T> &d) {
  const int32_t nr = d.nr, nc = d.nc;
  const T tol = T(bld.singtol_);
  int32_t np = 0;  // pivots taken; rows [0, np) of the array are pivoted
  for (int32_t c = 0; c < nc; ++c) {
    T *col = d.col(c);
    int32_t best = -1;
    T best_abs = T(0);
    for (int32_t r = np; r < nr; ++r) {
      const T v = std::fabs(col[r]);
      if (v > best_abs) { best_abs = v; best = r; }
    }
    bld.ops_ += nr - np;
    if (best < 0 || best_abs < tol) {
      raw.singular_pos.push_back(d.cols[c]);
      continue;
    }
    if (best != np) {
      for (int32_t c2 = 0; c2 < nc; ++c2) std::swap(d.col(c2)[best], d.col(c2)[np]);
      std::swap(d.rows[best], d.rows[np]);
      bld.ops_ += nc;
    }
    const T piv = col[np];
    raw.add_pivot(d.rows[np], d.cols[c], piv);
    for (int32_t r = np + 1; r < nr; ++r) {
      if (col[r] == T(0)) continue;
      col[r] /= piv;
      raw.lindex.push_back(d.rows[r]);
      raw.lvalue.push_back(col[r]);
    }
    raw.close_l();
    for (int32_t c2 = c + 1; c2 < nc; ++c2) {
      T *col2 = d.col(c2);
      const T v = col2[np];
      if (v == T(0)) continue;
      raw.uindex.push_back(d.cols[c2]);
      raw.uvalue.push_back(v);
      for (int32_t r = np + 1; r < nr; ++r) col2[r] -= col[r] * v;
      bld.ops_ += nr - np;
    }
    raw.close_u();
    ++np;
  }
  for (int32_t r = np; r < nr; ++r) raw.unpivoted_rows.push_back(d.rows[r]);
}

// Sparsity order with exact row and column counts; rows stay in place and
// are marked when pivoted.
template <class T>
void dense_by_count(LuBuilder<T> &bld, LuRaw<T> &raw, DenseBlock<T> &d) {
  const int32_t nr = d.nr, nc = d.nc;
  std::vector<int32_t> rcnt(nr, 0), ccnt(nc, 0), lrows;
  std::vector<char> rdone(nr, 0), cdone(nc, 0);
  lrows.reserve(nr);
  for (int32_t c = 0; c < nc; ++c) {
    const T *col = d.col(c);
    for (int32_t r = 0; r < nr; ++r)
      if (col[r] != T(0)) { ++rcnt[r]; ++ccnt[c]; }
  }
  bld.ops_ += static_cast<uint64_t>(nr) * nc;
  const T tol = T(bld.singtol_);
  // At least 0.1: a dense nucleus passes each pivot's growth on to every
  // later step, and the sparse phase's 0.01 sent pilot87 (primal) into
  // extended-precision refactorizations.
  const T u = T(std::max(bld.u_, 0.1));
  int32_t np = 0;
  for (int32_t step = 0; step < nc; ++step) {
    int32_t c = -1;
    for (int32_t c2 = 0; c2 < nc; ++c2)
      if (!cdone[c2] && (c < 0 || ccnt[c2] < ccnt[c])) c = c2;
    T *col = d.col(c);
    cdone[c] = 1;
    T col_max = T(0);
    for (int32_t r = 0; r < nr; ++r)
      if (!rdone[r]) col_max = std::max(col_max, std::fabs(col[r]));
    bld.ops_ += nr + nc;
    if (np == nr || col_max < tol) {
      raw.singular_pos.push_back(d.cols[c]);
      for (int32_t r = 0; r < nr; ++r)
        if (!rdone[r] && col[r] != T(0)) --rcnt[r];
      continue;
    }
    int32_t p = -1;
    for (int32_t r = 0; r < nr; ++r) {
      if (rdone[r] || std::fabs(col[r]) < u * col_max) continue;
      if (p < 0 || rcnt[r] < rcnt[p] || (rcnt[r] == rcnt[p] && std::fabs(col[r]) > std::fabs(col[p]))) p = r;
    }
    const T piv = col[p];
    raw.add_pivot(d.rows[p], d.cols[c], piv);
    rdone[p] = 1;
    ++np;
    lrows.clear();
    for (int32_t r = 0; r < nr; ++r) {
      if (rdone[r] || col[r] == T(0)) continue;
      col[r] /= piv;
      raw.lindex.push_back(d.rows[r]);
      raw.lvalue.push_back(col[r]);
      lrows.push_back(r);
      --rcnt[r];
    }
    raw.close_l();
    for (int32_t c2 = 0; c2 < nc; ++c2) {
      if (cdone[c2]) continue;
      T *col2 = d.col(c2);
      const T v = col2[p];
      if (v == T(0)) continue;
      raw.uindex.push_back(d.cols[c2]);
      raw.uvalue.push_back(v);
      --ccnt[c2];
      for (const int32_t r : lrows) {
        if (col2[r] == T(0)) { ++ccnt[c2]; ++rcnt[r]; }
        col2[r] -= col[r] * v;
      }
      bld.ops_ += lrows.size() + 1;
    }
    raw.close_u();
  }
  for (int32_t r = 0; r < nr; ++r)
    if (!rdone[r]) raw.unpivoted_rows.push_back(d.rows[r]);
}

template <class T>
void dense_factor(LuBuilder<T> &bld, LuRaw<T> &raw) {
  DenseBlock<T> d = load_dense_block(bld);
  if (bld.dense_partial_) dense_partial_pivoting(bld, raw, d);
  else dense_by_count(bld, raw, d);
  raw.dense_ops += 2.0 * static_cast<double>(d.nr) * d.nr * d.nr / 3.0;
  for (const int32_t i : d.rows) bld.row_done_[i] = 1;
  for (const int32_t j : d.cols) bld.col_done_[j] = 1;
  bld.active_rows_ = bld.active_cols_ = 0;
}

}  // namespace tvl::lp
