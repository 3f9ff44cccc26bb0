// FTRAN and BTRAN with the basis factor.
//
// Each triangular stage runs in one of two ways.  When the current
// right-hand side has few nonzeros, the nonzero pattern of the result is
// found first by a depth-first search over the factor's column structure
// (Gilbert & Peierls 1988, "Sparse partial pivoting in time proportional to
// arithmetic operations"), and only the reached pivots are processed in
// the topological order the search yields, so work follows the nonzeros of
// the result (hyper-sparse solves, cf. Hall & McKinnon 2005).  Otherwise
// the stage loops over the pivots in order.  The row etas of the update
// are applied between L and U in FTRAN and between U' and L' in BTRAN.
//
// Spaces: FTRAN takes a vector indexed by rows and returns one indexed by
// basis positions; BTRAN the reverse.  Internally: L and U in row space,
// U' in position space, L' in row space.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "factor/lu.h"

namespace tvl::lp {

// Fraction of m below which a stage uses the symbolic reach.
inline constexpr double kHyperSparseRatio = 0.10;
// Expected result density above which the solves go dense at once: the
// symbolic reach costs about as much as the numeric work it saves and pays
// only while the result stays well below this density.
inline constexpr double kDenseHint = 0.10;
// Result entries of smaller magnitude are dropped.
inline constexpr double kSolveTiny = 1e-14;

template <class T>
void SolveWork<T>::setup(int32_t m) {
  row.assign(m, T(0));
  pos.assign(m, T(0));
  list_a.assign(m, 0);
  list_b.assign(m, 0);
  stack.assign(m + 1, 0);
  ptr.assign(m + 1, 0);
  mark.assign(m, 0);
  stamp = 0;
}

template <class T>
int32_t SolveWork<T>::next_stamp() {
  if (stamp == INT_MAX) {
    std::fill(mark.begin(), mark.end(), 0);
    stamp = 0;
  }
  return ++stamp;
}

// Topological reach of `seeds` in graph g: the reached nodes are written to
// out[m - count, m) so that every node precedes the nodes it points to.
template <class T>
int32_t graph_reach(const NodeLists<T> &g, const int32_t *seeds, int32_t nseed, SolveWork<T> &sw,
                    int32_t *out, int32_t m, uint64_t &ops) {
  const int32_t stamp = sw.next_stamp();
  int32_t *mark = sw.mark.data(), *stack = sw.stack.data(), *ptr = sw.ptr.data();
  const int32_t *start = g.start.data(), *end_of = g.end.data(), *index = g.index.data();
  int32_t top = m;
  uint64_t edges = 0;
  for (int32_t s = 0; s < nseed; ++s) {
    const int32_t seed = seeds[s];
    if (mark[seed] == stamp) continue;
    mark[seed] = stamp;
    int32_t depth = 0;
    stack[0] = seed;
    ptr[0] = start[seed];
    while (depth >= 0) {
      const int32_t v = stack[depth];
      int32_t p = ptr[depth];
      const int32_t end = end_of[v];
      while (p < end && mark[index[p]] == stamp) ++p;
      edges += p - ptr[depth];
      if (p < end) {
        const int32_t w = index[p];
        ptr[depth] = p + 1;
        mark[w] = stamp;
        ++depth;
        stack[depth] = w;
        ptr[depth] = start[w];
      } else {
        out[--top] = v;
        --depth;
      }
    }
  }
  ops += edges + 2 * static_cast<uint64_t>(m - top);
  return m - top;
}

template <class T>
int32_t LuFactor<T>::load(const HVector &xin, std::vector<T> &w, std::vector<int32_t> &list) const {
  HVector &x = const_cast<HVector &>(xin);
  int32_t cnt = 0;
  if (x.count >= 0) {
    for (int32_t t = 0; t < x.count; ++t) {
      const int32_t i = x.index[t];
      const double v = x.array[i];
      if (v == 0.0) continue;
      x.array[i] = 0.0;
      w[i] = T(v);
      list[cnt++] = i;
    }
    work_ += x.count;
  } else {
    for (int32_t i = 0; i < m_; ++i) {
      const double v = x.array[i];
      if (v == 0.0) continue;
      x.array[i] = 0.0;
      w[i] = T(v);
      list[cnt++] = i;
    }
    work_ += m_;
  }
  return cnt;
}

template <class T>
int32_t LuFactor<T>::lower_solve(int32_t cnt, bool sparse) const {
  T *row = sw_.row.data();
  const NodeLists<T> &g = lu_.lcol;
  uint64_t ops = 0;
  if (sparse && cnt >= 0) {
    int32_t *out = sw_.list_b.data();
    const int32_t n = graph_reach(g, sw_.list_a.data(), cnt, sw_, out, m_, ops);
    for (int32_t t = m_ - n; t < m_; ++t) {
      const int32_t i = out[t];
      const T v = row[i];
      if (v == T(0)) continue;
      for (int32_t e = g.start[i]; e < g.end[i]; ++e) row[g.index[e]] -= g.value[e] * v;
      ops += g.end[i] - g.start[i];
    }
    std::copy(out + (m_ - n), out + m_, sw_.list_a.data());
    work_ += ops + n;
    return n;
  }
  for (const int32_t k : lu_.lpivots) {
    const int32_t i = lu_.prow[k];
    const T v = row[i];
    if (v == T(0)) continue;
    for (int32_t e = g.start[i]; e < g.end[i]; ++e) row[g.index[e]] -= g.value[e] * v;
    ops += g.end[i] - g.start[i];
  }
  work_ += ops + lu_.lpivots.size();
  return -1;
}

// Back substitution with U, column-wise over the entries of U (FTRAN on
// row-indexed values) or row-wise (BTRAN on position-indexed values): the
// two differ only in the vector, the lists, the diagonal and the dense
// order, which `node_at(k)` gives for step k.  The sparse path visits the
// nodes reached from the input in topological order; both divide by the
// diagonal, collect the nonzeros of the result and count the work.
template <class T>
template <class NodeAt>
int32_t LuFactor<T>::upper_pass(T *vec, const NodeLists<T> &g, const T *dinv, int32_t cnt, bool sparse,
                                NodeAt node_at) const {
  int32_t *list = sw_.list_a.data();
  uint64_t ops = 0;
  auto eliminate = [&](int32_t i, int32_t &nz) {
    T v = vec[i];
    if (v == T(0)) return;
    v *= dinv[i];
    vec[i] = v;
    list[nz++] = i;
    for (int32_t e = g.start[i]; e < g.end[i]; ++e) vec[g.index[e]] -= g.value[e] * v;
    ops += g.end[i] - g.start[i];
  };
  int32_t nz = 0;
  if (sparse && cnt >= 0) {
    int32_t *out = sw_.list_b.data();
    const int32_t n = graph_reach(g, list, cnt, sw_, out, m_, ops);
    for (int32_t t = m_ - n; t < m_; ++t) eliminate(out[t], nz);
    work_ += ops + n;
    return nz;
  }
  for (int32_t k = 0; k < m_; ++k) eliminate(node_at(k), nz);
  work_ += ops + m_;
  return nz;
}

template <class T>
int32_t LuFactor<T>::upper_solve(int32_t cnt, bool sparse) const {
  return upper_pass(sw_.row.data(), lu_.ucol, lu_.dinv_row.data(), cnt, sparse,
                    [this](int32_t k) { return lu_.uprow[m_ - 1 - k]; });
}

template <class T>
int32_t LuFactor<T>::upper_tsolve(int32_t cnt, bool sparse) const {
  return upper_pass(sw_.pos.data(), lu_.urow, lu_.dinv_pos.data(), cnt, sparse,
                    [this](int32_t k) { return lu_.upcol[k]; });
}

template <class T>
int32_t LuFactor<T>::lower_tsolve(int32_t cnt, bool sparse) const {
  T *row = sw_.row.data();
  const NodeLists<T> &g = lu_.lrow;
  int32_t *list = sw_.list_a.data();
  uint64_t ops = 0;
  if (sparse && cnt >= 0) {
    int32_t *out = sw_.list_b.data();
    const int32_t n = graph_reach(g, list, cnt, sw_, out, m_, ops);
    int32_t nz = 0;
    for (int32_t t = m_ - n; t < m_; ++t) {
      const int32_t i = out[t];
      const T v = row[i];
      if (v == T(0)) continue;
      list[nz++] = i;
      for (int32_t e = g.start[i]; e < g.end[i]; ++e) row[g.index[e]] -= g.value[e] * v;
      ops += g.end[i] - g.start[i];
    }
    work_ += ops + n;
    return nz;
  }
  int32_t nz = 0;
  for (int32_t k = m_ - 1; k >= 0; --k) {
    const int32_t i = lu_.prow[k];
    const T v = row[i];
    if (v == T(0)) continue;
    list[nz++] = i;
    for (int32_t e = g.start[i]; e < g.end[i]; ++e) row[g.index[e]] -= g.value[e] * v;
    ops += g.end[i] - g.start[i];
  }
  work_ += ops + m_;
  return nz;
}

template <class T>
int32_t LuFactor<T>::pos_to_row(int32_t cnt) const {
  int32_t *list = sw_.list_a.data();
  for (int32_t t = 0; t < cnt; ++t) {
    const int32_t c = list[t], i = lu_.row_of_pos[c];
    sw_.row[i] = sw_.pos[c];
    sw_.pos[c] = T(0);
    list[t] = i;
  }
  work_ += cnt;
  return cnt;
}

// Applies the row etas in order between L and U.  Each eta changes one
// entry (its row) by a dot product with the current vector; with an index
// list the row joins it when it becomes nonzero.
template <class T>
int32_t LuFactor<T>::row_etas_forward(int32_t cnt) const {
  if (eta_.count() == 0) return cnt;
  T *row = sw_.row.data();
  int32_t *list = sw_.list_a.data(), *mark = sw_.mark.data();
  const int32_t *idx = eta_.index.data(), *first = eta_.start.data();
  const T *val = eta_.value.data();
  const int32_t stamp = cnt >= 0 ? sw_.next_stamp() : 0;
  for (int32_t t = 0; t < cnt; ++t) mark[list[t]] = stamp;
  for (int32_t t = 0; t < eta_.count(); ++t) {
    T s = T(0);
    for (int32_t e = first[t]; e < first[t + 1]; ++e) s += val[e] * row[idx[e]];
    if (s == T(0)) continue;
    const int32_t r = eta_.pos[t];
    row[r] -= s;
    if (cnt >= 0 && mark[r] != stamp) { mark[r] = stamp; list[cnt++] = r; }
  }
  work_ += static_cast<uint64_t>(eta_.entries()) + eta_.count() + std::max(cnt, 0);
  return cnt;
}

// Applies the transposed row etas in reverse order between U' and L': the
// row of eta t scatters its value over the eta's rows, so etas whose row is
// zero cost one test.
template <class T>
int32_t LuFactor<T>::row_etas_backward(int32_t cnt) const {
  if (eta_.count() == 0) return cnt;
  T *row = sw_.row.data();
  int32_t *list = sw_.list_a.data(), *mark = sw_.mark.data();
  const int32_t stamp = sw_.next_stamp();
  for (int32_t t = 0; t < cnt; ++t) mark[list[t]] = stamp;
  uint64_t ops = cnt + eta_.count();
  for (int32_t t = eta_.count() - 1; t >= 0; --t) {
    const T v = row[eta_.pos[t]];
    if (v == T(0)) continue;
    for (int32_t e = eta_.start[t]; e < eta_.start[t + 1]; ++e) {
      const int32_t j = eta_.index[e];
      if (mark[j] != stamp) { mark[j] = stamp; list[cnt++] = j; }
      row[j] -= eta_.value[e] * v;
    }
    ops += eta_.start[t + 1] - eta_.start[t];
  }
  work_ += ops;
  return cnt;
}

// Moves the listed entries of w into x (each to position place(i)),
// clearing w, and drops those of magnitude at most kSolveTiny.  The FTRAN
// places the row-indexed result of U's solve at the basis positions
// (pos_of_row) in this one pass; the BTRAN keeps the rows.
template <class T>
template <class Place>
void LuFactor<T>::store(HVector &x, T *w, int32_t cnt, Place place) const {
  int32_t nz = 0;
  const int32_t *list = sw_.list_a.data();
  for (int32_t t = 0; t < cnt; ++t) {
    const int32_t i = list[t];
    const T v = w[i];
    w[i] = T(0);
    if (std::fabs(v) <= T(kSolveTiny)) continue;
    const int32_t c = place(i);
    x.array[c] = static_cast<double>(v);
    x.index[nz++] = c;
  }
  x.count = nz;
  work_ += cnt;
}

template <class T>
void LuFactor<T>::ftran(HVector &x, double expected_density) const {
  const WorkSince counted(work_, kWorkShift);
  const bool hint_dense = expected_density > kDenseHint;
  const double lim = kHyperSparseRatio * m_;
  const int32_t rhs_nnz = load(x, sw_.row, sw_.list_a);
  int32_t cnt = lower_solve(rhs_nnz, !hint_dense && rhs_nnz < lim);
  cnt = row_etas_forward(cnt);
  keep_spike(x, rhs_nnz, cnt);
  cnt = upper_solve(cnt, !hint_dense && cnt >= 0 && cnt < lim);
  const int32_t *pos_of_row = lu_.pos_of_row.data();
  store(x, sw_.row.data(), cnt, [pos_of_row](int32_t i) { return pos_of_row[i]; });
  // The work of the permutation, counted as when it was a pass of its own,
  // so that work-paced decisions stay as they were.
  work_ += cnt;
  seal_spike(x);
}

template <class T>
void LuFactor<T>::btran(HVector &y, double expected_density) const {
  const WorkSince counted(work_, kWorkShift);
  const bool hint_dense = expected_density > kDenseHint;
  const double lim = kHyperSparseRatio * m_;
  int32_t cnt = load(y, sw_.pos, sw_.list_a);
  cnt = upper_tsolve(cnt, !hint_dense && cnt < lim);
  cnt = pos_to_row(cnt);
  cnt = row_etas_backward(cnt);
  cnt = lower_tsolve(cnt, !hint_dense && cnt < lim);
  store(y, sw_.row.data(), cnt, [](int32_t i) { return i; });
}

}  // namespace tvl::lp
