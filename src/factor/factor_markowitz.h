// Elimination engine of the basis factor (template over the value type).
//
// 1. Triangular pre-pass: column singletons, then row singletons, taken in
//    queue order; they cost no fill and no arithmetic on the rest.
// 2. Markowitz phase on the nucleus (Markowitz 1957): rows hold values in a
//    row file, columns hold patterns in a column file (the layout of Suhl &
//    Suhl 1990).  Rows and columns sit in count buckets; the search scans
//    columns and rows of increasing count, accepts an entry when
//    |a| >= u * max|row| and |a| >= singtol, and minimizes
//    (r_i - 1)(c_j - 1), ties to the larger |a|.  The search stops after a
//    few examined lines once a candidate exists, or as soon as no later
//    candidate can be cheaper.
// 3. Dense kernel (factor_dense.h) once the active submatrix has density
//    above the switch threshold.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "factor/lu.h"

namespace tvl::lp {

template <class T>
class LuBuilder;
template <class T>
void dense_factor(LuBuilder<T> &bld, LuRaw<T> &raw);
template <class T>
struct DenseBlock;
template <class T>
DenseBlock<T> load_dense_block(LuBuilder<T> &bld);
template <class T>
void dense_partial_pivoting(LuBuilder<T> &bld, LuRaw<T> &raw, DenseBlock<T> &d);
template <class T>
void dense_by_count(LuBuilder<T> &bld, LuRaw<T> &raw, DenseBlock<T> &d);

template <class T>
class LuBuilder {
 public:
  // Eliminates the basis.  Singular positions and unpivoted rows are left
  // in raw (equal in number); the pivots found cover the rest.
  // dense_partial selects the dense kernel's partial pivoting
  // (factor_dense.h).
  void build(const BasisColumns &b, double u, double singtol, double dense_switch, bool dense_partial,
             LuRaw<T> &raw, uint64_t &work);

 private:
  static constexpr int32_t kSearchLines = 4;
  static T drop_tol() { return T(64) * std::numeric_limits<T>::epsilon(); }

  void build_rowwise(const BasisColumns &b);
  void column_singletons(const BasisColumns &b, LuRaw<T> &raw);
  void row_singletons(const BasisColumns &b, LuRaw<T> &raw);
  void load_nucleus(const BasisColumns &b);
  void markowitz_phase(LuRaw<T> &raw, double dense_switch);
  bool search(int32_t &p, int32_t &q, T &piv);
  void eliminate(int32_t p, int32_t q, T piv, LuRaw<T> &raw);
  void update_row(int32_t i, T l);
  void drop_singular(LuRaw<T> &raw);
  void dense_kernel(LuRaw<T> &raw);

  // Row and column files.
  void row_room(int32_t i, int32_t extra);
  void col_room(int32_t j, int32_t extra);
  void compact_rows(int32_t extra);
  void compact_cols(int32_t extra);
  int32_t find_in_row(int32_t i, int32_t j) const;
  void remove_from_col(int32_t j, int32_t i);
  T row_max(int32_t i);

  // Count buckets.
  void rlink(int32_t i);
  void runlink(int32_t i);
  void clink(int32_t j);
  void cunlink(int32_t j);

  int32_t m_ = 0;
  double u_ = 0.01, singtol_ = 1e-13;
  uint64_t ops_ = 0;
  // Basis row-wise (pre-pass).
  std::vector<int32_t> brstart_, brindex_;
  std::vector<double> brvalue_;
  std::vector<int32_t> count_, queue_;
  std::vector<char> row_done_, col_done_;
  // Active submatrix.
  std::vector<int32_t> rbeg_, rlen_, rcap_, ridx_;
  std::vector<T> rval_, rmax_;
  std::vector<int32_t> cbeg_, clen_, ccap_, cidx_;
  int32_t rused_ = 0, cused_ = 0;
  std::vector<int32_t> rhead_, rnext_, rprev_, chead_, cnext_, cprev_;
  int32_t active_rows_ = 0, active_cols_ = 0;
  int64_t active_nz_ = 0;
  // Elimination scratch.
  std::vector<T> wval_;
  std::vector<char> wmark_;
  std::vector<int32_t> plist_, qlist_;

  bool dense_partial_ = false;

  template <class U>
  friend void dense_factor(LuBuilder<U> &bld, LuRaw<U> &raw);
  template <class U>
  friend DenseBlock<U> load_dense_block(LuBuilder<U> &bld);
  template <class U>
  friend void dense_partial_pivoting(LuBuilder<U> &bld, LuRaw<U> &raw, DenseBlock<U> &d);
  template <class U>
  friend void dense_by_count(LuBuilder<U> &bld, LuRaw<U> &raw, DenseBlock<U> &d);
};

template <class T>
void LuBuilder<T>::build(const BasisColumns &b, double u, double singtol, double dense_switch,
                         bool dense_partial, LuRaw<T> &raw, uint64_t &work) {
  m_ = b.m;
  u_ = u;
  dense_partial_ = dense_partial;
  singtol_ = singtol;
  ops_ = 0;
  raw.clear();
  row_done_.assign(m_, 0);
  col_done_.assign(m_, 0);
  build_rowwise(b);
  column_singletons(b, raw);
  row_singletons(b, raw);
  if (static_cast<int32_t>(raw.prow.size()) < m_) {
    load_nucleus(b);
    markowitz_phase(raw, dense_switch);
  }
  work += ops_;
}

template <class T>
void LuBuilder<T>::build_rowwise(const BasisColumns &b) {
  brstart_.assign(m_ + 1, 0);
  const int32_t nz = b.start[m_];
  for (int32_t e = 0; e < nz; ++e) ++brstart_[b.index[e] + 1];
  for (int32_t i = 0; i < m_; ++i) brstart_[i + 1] += brstart_[i];
  brindex_.resize(nz);
  brvalue_.resize(nz);
  count_.assign(brstart_.begin(), brstart_.end() - 1);
  for (int32_t c = 0; c < m_; ++c) {
    for (int32_t e = b.start[c]; e < b.start[c + 1]; ++e) {
      const int32_t p = count_[b.index[e]]++;
      brindex_[p] = c;
      brvalue_[p] = b.value[e];
    }
  }
  ops_ += 2 * static_cast<uint64_t>(nz) + m_;
}

template <class T>
void LuBuilder<T>::column_singletons(const BasisColumns &b, LuRaw<T> &raw) {
  queue_.clear();
  count_.resize(m_);
  for (int32_t c = 0; c < m_; ++c) {
    count_[c] = b.start[c + 1] - b.start[c];
    if (count_[c] == 1) queue_.push_back(c);
  }
  for (size_t h = 0; h < queue_.size(); ++h) {
    const int32_t c = queue_[h];
    if (col_done_[c] || count_[c] != 1) continue;
    int32_t i = -1;
    double v = 0.0;
    for (int32_t e = b.start[c]; e < b.start[c + 1]; ++e) {
      if (!row_done_[b.index[e]]) { i = b.index[e]; v = b.value[e]; break; }
    }
    ops_ += b.start[c + 1] - b.start[c];
    if (i < 0 || std::fabs(v) < singtol_) continue;
    raw.add_pivot(i, c, T(v));
    raw.close_l();
    row_done_[i] = col_done_[c] = 1;
    for (int32_t e = brstart_[i]; e < brstart_[i + 1]; ++e) {
      const int32_t c2 = brindex_[e];
      if (col_done_[c2]) continue;
      raw.uindex.push_back(c2);
      raw.uvalue.push_back(T(brvalue_[e]));
      if (--count_[c2] == 1) queue_.push_back(c2);
    }
    raw.close_u();
    ops_ += brstart_[i + 1] - brstart_[i];
  }
}

template <class T>
void LuBuilder<T>::row_singletons(const BasisColumns &b, LuRaw<T> &raw) {
  queue_.clear();
  count_.assign(m_, 0);
  for (int32_t i = 0; i < m_; ++i) {
    if (row_done_[i]) continue;
    for (int32_t e = brstart_[i]; e < brstart_[i + 1]; ++e) count_[i] += !col_done_[brindex_[e]];
    if (count_[i] == 1) queue_.push_back(i);
  }
  ops_ += brstart_[m_];
  for (size_t h = 0; h < queue_.size(); ++h) {
    const int32_t i = queue_[h];
    if (row_done_[i] || count_[i] != 1) continue;
    int32_t c = -1;
    double v = 0.0;
    for (int32_t e = brstart_[i]; e < brstart_[i + 1]; ++e) {
      if (!col_done_[brindex_[e]]) { c = brindex_[e]; v = brvalue_[e]; break; }
    }
    ops_ += brstart_[i + 1] - brstart_[i];
    if (c < 0 || std::fabs(v) < singtol_) continue;
    raw.add_pivot(i, c, T(v));
    row_done_[i] = col_done_[c] = 1;
    const T tv = T(v);
    for (int32_t e = b.start[c]; e < b.start[c + 1]; ++e) {
      const int32_t i2 = b.index[e];
      if (row_done_[i2]) continue;
      raw.lindex.push_back(i2);
      raw.lvalue.push_back(T(b.value[e]) / tv);
      if (--count_[i2] == 1) queue_.push_back(i2);
    }
    raw.close_l();
    raw.close_u();
    ops_ += b.start[c + 1] - b.start[c];
  }
}

template <class T>
void LuBuilder<T>::load_nucleus(const BasisColumns &b) {
  rbeg_.assign(m_, 0);
  rlen_.assign(m_, 0);
  rcap_.assign(m_, 0);
  cbeg_.assign(m_, 0);
  clen_.assign(m_, 0);
  ccap_.assign(m_, 0);
  rmax_.assign(m_, T(-1));
  int64_t nz = 0;
  for (int32_t c = 0; c < m_; ++c) {
    if (col_done_[c]) continue;
    for (int32_t e = b.start[c]; e < b.start[c + 1]; ++e) {
      if (row_done_[b.index[e]]) continue;
      ++rlen_[b.index[e]];
      ++clen_[c];
      ++nz;
    }
  }
  // Each line gets its length plus slack for fill.
  int32_t rpos = 0, cpos = 0;
  for (int32_t k = 0; k < m_; ++k) {
    if (!row_done_[k]) {
      rbeg_[k] = rpos;
      rcap_[k] = rlen_[k] + 4 + rlen_[k] / 2;
      rpos += rcap_[k];
      rlen_[k] = 0;
    }
    if (!col_done_[k]) {
      cbeg_[k] = cpos;
      ccap_[k] = clen_[k] + 4 + clen_[k] / 2;
      cpos += ccap_[k];
      clen_[k] = 0;
    }
  }
  const size_t rsize = static_cast<size_t>(rpos) * 2 + 1024, csize = static_cast<size_t>(cpos) * 2 + 1024;
  if (ridx_.size() < rsize) { ridx_.resize(rsize); rval_.resize(rsize); }
  if (cidx_.size() < csize) cidx_.resize(csize);
  rused_ = rpos;
  cused_ = cpos;
  for (int32_t c = 0; c < m_; ++c) {
    if (col_done_[c]) continue;
    for (int32_t e = b.start[c]; e < b.start[c + 1]; ++e) {
      const int32_t i = b.index[e];
      if (row_done_[i]) continue;
      const int32_t rp = rbeg_[i] + rlen_[i]++;
      ridx_[rp] = c;
      rval_[rp] = T(b.value[e]);
      cidx_[cbeg_[c] + clen_[c]++] = i;
    }
  }
  active_nz_ = nz;
  ops_ += 2 * static_cast<uint64_t>(nz) + 2 * m_;
  // Buckets by count.
  rhead_.assign(m_ + 1, -1);
  chead_.assign(m_ + 1, -1);
  rnext_.assign(m_, -1);
  rprev_.assign(m_, -1);
  cnext_.assign(m_, -1);
  cprev_.assign(m_, -1);
  active_rows_ = active_cols_ = 0;
  for (int32_t k = m_ - 1; k >= 0; --k) {
    if (!row_done_[k]) { rlink(k); ++active_rows_; }
    if (!col_done_[k]) { clink(k); ++active_cols_; }
  }
  wval_.assign(m_, T(0));
  wmark_.assign(m_, 0);
}

template <class T>
void LuBuilder<T>::rlink(int32_t i) {
  const int32_t c = rlen_[i];
  rprev_[i] = -1;
  rnext_[i] = rhead_[c];
  if (rhead_[c] >= 0) rprev_[rhead_[c]] = i;
  rhead_[c] = i;
}

template <class T>
void LuBuilder<T>::runlink(int32_t i) {
  if (rprev_[i] >= 0) rnext_[rprev_[i]] = rnext_[i];
  else rhead_[rlen_[i]] = rnext_[i];
  if (rnext_[i] >= 0) rprev_[rnext_[i]] = rprev_[i];
}

template <class T>
void LuBuilder<T>::clink(int32_t j) {
  const int32_t c = clen_[j];
  cprev_[j] = -1;
  cnext_[j] = chead_[c];
  if (chead_[c] >= 0) cprev_[chead_[c]] = j;
  chead_[c] = j;
}

template <class T>
void LuBuilder<T>::cunlink(int32_t j) {
  if (cprev_[j] >= 0) cnext_[cprev_[j]] = cnext_[j];
  else chead_[clen_[j]] = cnext_[j];
  if (cnext_[j] >= 0) cprev_[cnext_[j]] = cprev_[j];
}

template <class T>
void LuBuilder<T>::compact_rows(int32_t extra) {
  // Rewrites the active rows contiguously; grows the file when less than
  // 20% would stay free.
  int64_t need = extra + 1024;
  for (int32_t i = 0; i < m_; ++i)
    if (!row_done_[i]) need += rlen_[i] + 4;
  size_t size = ridx_.size();
  if (static_cast<double>(need) > 0.8 * static_cast<double>(size)) size = static_cast<size_t>(need * 2);
  std::vector<int32_t> nidx(size);
  std::vector<T> nval(size);
  int32_t pos = 0;
  for (int32_t i = 0; i < m_; ++i) {
    if (row_done_[i]) continue;
    std::copy_n(ridx_.begin() + rbeg_[i], rlen_[i], nidx.begin() + pos);
    std::copy_n(rval_.begin() + rbeg_[i], rlen_[i], nval.begin() + pos);
    rbeg_[i] = pos;
    rcap_[i] = rlen_[i] + 4;
    pos += rcap_[i];
  }
  ops_ += pos;
  ridx_.swap(nidx);
  rval_.swap(nval);
  rused_ = pos;
}

template <class T>
void LuBuilder<T>::compact_cols(int32_t extra) {
  int64_t need = extra + 1024;
  for (int32_t j = 0; j < m_; ++j)
    if (!col_done_[j]) need += clen_[j] + 4;
  size_t size = cidx_.size();
  if (static_cast<double>(need) > 0.8 * static_cast<double>(size)) size = static_cast<size_t>(need * 2);
  std::vector<int32_t> nidx(size);
  int32_t pos = 0;
  for (int32_t j = 0; j < m_; ++j) {
    if (col_done_[j]) continue;
    std::copy_n(cidx_.begin() + cbeg_[j], clen_[j], nidx.begin() + pos);
    cbeg_[j] = pos;
    ccap_[j] = clen_[j] + 4;
    pos += ccap_[j];
  }
  ops_ += pos;
  cidx_.swap(nidx);
  cused_ = pos;
}

template <class T>
void LuBuilder<T>::row_room(int32_t i, int32_t extra) {
  if (rlen_[i] + extra <= rcap_[i]) return;
  const int32_t cap = rlen_[i] + extra + 4 + rlen_[i] / 2;
  if (static_cast<size_t>(rused_) + cap > ridx_.size()) compact_rows(cap);
  if (rlen_[i] + extra <= rcap_[i]) return;
  std::copy_n(ridx_.begin() + rbeg_[i], rlen_[i], ridx_.begin() + rused_);
  std::copy_n(rval_.begin() + rbeg_[i], rlen_[i], rval_.begin() + rused_);
  ops_ += rlen_[i];
  rbeg_[i] = rused_;
  rcap_[i] = cap;
  rused_ += cap;
}

template <class T>
void LuBuilder<T>::col_room(int32_t j, int32_t extra) {
  if (clen_[j] + extra <= ccap_[j]) return;
  const int32_t cap = clen_[j] + extra + 4 + clen_[j] / 2;
  if (static_cast<size_t>(cused_) + cap > cidx_.size()) compact_cols(cap);
  if (clen_[j] + extra <= ccap_[j]) return;
  std::copy_n(cidx_.begin() + cbeg_[j], clen_[j], cidx_.begin() + cused_);
  ops_ += clen_[j];
  cbeg_[j] = cused_;
  ccap_[j] = cap;
  cused_ += cap;
}

template <class T>
int32_t LuBuilder<T>::find_in_row(int32_t i, int32_t j) const {
  const int32_t end = rbeg_[i] + rlen_[i];
  for (int32_t e = rbeg_[i]; e < end; ++e)
    if (ridx_[e] == j) return e;
  return -1;
}

template <class T>
void LuBuilder<T>::remove_from_col(int32_t j, int32_t i) {
  const int32_t beg = cbeg_[j], last = beg + clen_[j] - 1;
  for (int32_t e = beg; e <= last; ++e) {
    if (cidx_[e] == i) {
      cidx_[e] = cidx_[last];
      --clen_[j];
      ops_ += e - beg + 1;
      return;
    }
  }
}

template <class T>
T LuBuilder<T>::row_max(int32_t i) {
  if (rmax_[i] < T(0)) {
    T mx = T(0);
    const int32_t end = rbeg_[i] + rlen_[i];
    for (int32_t e = rbeg_[i]; e < end; ++e) mx = std::max(mx, T(std::fabs(rval_[e])));
    ops_ += rlen_[i];
    rmax_[i] = mx;
  }
  return rmax_[i];
}

template <class T>
bool LuBuilder<T>::search(int32_t &p, int32_t &q, T &piv) {
  const T tol = T(singtol_), u = T(u_);
  int64_t best = std::numeric_limits<int64_t>::max();
  T best_abs = T(0);
  int32_t lines = 0;
  const int32_t top = std::max(active_rows_, active_cols_);
  auto take = [&](int64_t cost, T a, int32_t i, int32_t j) {
    const T aa = std::fabs(a);
    if (cost < best || (cost == best && aa > best_abs)) {
      best = cost;
      best_abs = aa;
      p = i;
      q = j;
      piv = a;
    }
  };
  for (int32_t cnt = 1; cnt <= top; ++cnt) {
    for (int32_t j = chead_[cnt]; j >= 0; j = cnext_[j]) {
      const int32_t end = cbeg_[j] + clen_[j];
      for (int32_t e = cbeg_[j]; e < end; ++e) {
        const int32_t i = cidx_[e];
        const int32_t f = find_in_row(i, j);
        ops_ += rlen_[i];
        const T a = rval_[f], aa = std::fabs(a);
        if (aa < tol) continue;
        if (cnt > 1 && aa < u * row_max(i)) continue;
        take(static_cast<int64_t>(rlen_[i] - 1) * (cnt - 1), a, i, j);
      }
      if (best == 0) return true;
      if (best_abs > T(0) && ++lines >= kSearchLines) return true;
    }
    if (best_abs > T(0) && best <= static_cast<int64_t>(cnt - 1) * cnt) return true;
    for (int32_t i = rhead_[cnt]; i >= 0; i = rnext_[i]) {
      const T lim = std::max(tol, u * row_max(i));
      const int32_t end = rbeg_[i] + rlen_[i];
      for (int32_t e = rbeg_[i]; e < end; ++e) {
        const T a = rval_[e];
        if (std::fabs(a) < lim) continue;
        take(static_cast<int64_t>(cnt - 1) * (clen_[ridx_[e]] - 1), a, i, ridx_[e]);
      }
      ops_ += rlen_[i];
      if (best == 0) return true;
      if (best_abs > T(0) && ++lines >= kSearchLines) return true;
    }
    if (best_abs > T(0) && best <= static_cast<int64_t>(cnt) * cnt) return true;
  }
  return best_abs > T(0);
}

template <class T>
void LuBuilder<T>::update_row(int32_t i, T l) {
  // row i -= l * pivot row (scattered in wval_/wmark_, pattern plist_).
  row_room(i, static_cast<int32_t>(plist_.size()));
  runlink(i);
  const T drop = drop_tol();
  int32_t e = rbeg_[i];
  int32_t end = rbeg_[i] + rlen_[i];
  while (e < end) {
    const int32_t j = ridx_[e];
    if (wmark_[j] == 1) {
      wmark_[j] = 2;
      const T v = rval_[e] - l * wval_[j];
      if (std::fabs(v) <= drop) {
        // Cancelled: remove from the row and from column j.
        ridx_[e] = ridx_[end - 1];
        rval_[e] = rval_[end - 1];
        --end;
        --rlen_[i];
        cunlink(j);
        remove_from_col(j, i);
        clink(j);
        --active_nz_;
        continue;
      }
      rval_[e] = v;
    }
    ++e;
  }
  ops_ += rlen_[i];
  for (const int32_t j : plist_) {
    if (wmark_[j] == 2) { wmark_[j] = 1; continue; }
    const T v = -l * wval_[j];
    if (std::fabs(v) <= drop) continue;
    const int32_t pos = rbeg_[i] + rlen_[i]++;
    ridx_[pos] = j;
    rval_[pos] = v;
    col_room(j, 1);
    cunlink(j);
    cidx_[cbeg_[j] + clen_[j]++] = i;
    clink(j);
    ++active_nz_;
  }
  ops_ += plist_.size();
  rmax_[i] = T(-1);
  rlink(i);
}

template <class T>
void LuBuilder<T>::eliminate(int32_t p, int32_t q, T piv, LuRaw<T> &raw) {
  raw.add_pivot(p, q, piv);
  // Pivot row -> U row; scatter it and take p out of the column patterns.
  plist_.clear();
  const int32_t pend = rbeg_[p] + rlen_[p];
  for (int32_t e = rbeg_[p]; e < pend; ++e) {
    const int32_t j = ridx_[e];
    if (j == q) continue;
    plist_.push_back(j);
    wval_[j] = rval_[e];
    wmark_[j] = 1;
    raw.uindex.push_back(j);
    raw.uvalue.push_back(rval_[e]);
    cunlink(j);
    remove_from_col(j, p);
    clink(j);
  }
  raw.close_u();
  ops_ += rlen_[p];
  runlink(p);
  active_nz_ -= rlen_[p];
  rlen_[p] = 0;
  row_done_[p] = 1;
  --active_rows_;
  // Pivot column -> L column; eliminate it from the other rows.
  qlist_.assign(cidx_.begin() + cbeg_[q], cidx_.begin() + cbeg_[q] + clen_[q]);
  cunlink(q);
  clen_[q] = 0;
  col_done_[q] = 1;
  --active_cols_;
  for (const int32_t i : qlist_) {
    if (i == p) continue;
    const int32_t f = find_in_row(i, q);
    ops_ += rlen_[i];
    const T l = rval_[f] / piv;
    const int32_t last = rbeg_[i] + rlen_[i] - 1;
    ridx_[f] = ridx_[last];
    rval_[f] = rval_[last];
    runlink(i);
    --rlen_[i];
    rlink(i);
    --active_nz_;
    raw.lindex.push_back(i);
    raw.lvalue.push_back(l);
    if (!plist_.empty()) update_row(i, l);
    else rmax_[i] = T(-1);
  }
  raw.close_l();
  for (const int32_t j : plist_) wmark_[j] = 0;
}

template <class T>
void LuBuilder<T>::drop_singular(LuRaw<T> &raw) {
  while (chead_[0] >= 0) {
    const int32_t j = chead_[0];
    cunlink(j);
    col_done_[j] = 1;
    --active_cols_;
    raw.singular_pos.push_back(j);
  }
  while (rhead_[0] >= 0) {
    const int32_t i = rhead_[0];
    runlink(i);
    row_done_[i] = 1;
    --active_rows_;
    raw.unpivoted_rows.push_back(i);
  }
}

template <class T>
void LuBuilder<T>::markowitz_phase(LuRaw<T> &raw, double dense_switch) {
  while (active_cols_ > 0 || active_rows_ > 0) {
    drop_singular(raw);
    if (active_cols_ == 0 || active_rows_ == 0) break;
    const double kk = static_cast<double>(active_rows_) * active_cols_;
    if (static_cast<double>(active_nz_) > dense_switch * kk + 1e-10 && kk <= 524999999.0) {
      dense_factor(*this, raw);
      return;
    }
    int32_t p = -1, q = -1;
    T piv = T(0);
    if (!search(p, q, piv)) {
      // No acceptable pivot anywhere: the rest is numerically singular.
      for (int32_t j = 0; j < m_; ++j)
        if (!col_done_[j]) { col_done_[j] = 1; raw.singular_pos.push_back(j); }
      for (int32_t i = 0; i < m_; ++i)
        if (!row_done_[i]) { row_done_[i] = 1; raw.unpivoted_rows.push_back(i); }
      active_cols_ = active_rows_ = 0;
      return;
    }
    eliminate(p, q, piv, raw);
  }
  // Rows or columns left over once the other side ran out.
  for (int32_t j = 0; j < m_; ++j)
    if (!col_done_[j]) { col_done_[j] = 1; raw.singular_pos.push_back(j); }
  for (int32_t i = 0; i < m_; ++i)
    if (!row_done_[i]) { row_done_[i] = 1; raw.unpivoted_rows.push_back(i); }
}

}  // namespace tvl::lp
