// Factor update after a basis change and the refactorization rules.
//
// The update follows Forrest & Tomlin 1972, "Updated triangular factors of
// the basis to maintain sparsity in the product form simplex method", in
// the row-eta form of Suhl & Suhl 1993 ("A fast LU update for linear
// programming").  With B = L R U (R the row etas so far) and the entering
// column's spike s = R L^-1 a_q, the column of U at the leaving position p
// is replaced by s.  The pivot of p moves to the end of U's order; its old
// row of U is eliminated by the later rows, giving multipliers mu with
// mu' U_J = u_p,J, which become a new row eta, and the new diagonal
// s_p - mu' s_J.  Everything else of U stays in place.
//
// The interface carries only alpha = B^-1 a_q.  The spike is taken from
// the FTRAN that produced alpha (factor_spike.h) or, when alpha did not
// come straight from FTRAN, recomputed as s = U alpha.  The new diagonal
// must equal alpha_r times the old one (both are determinant ratios); an
// update whose diagonal is tiny or disagrees is refused before anything
// changes, and the caller refactorizes.
//
// Refactorization is requested when the update limit is reached (interval
// setting v > 0 gives v - 1 updates; 0 gives 10000 with the automatic
// rule), when the factor has grown by over 20 times its fresh size, when the
// update is refused, or by the automatic rule.  That rule amortizes: with
// W the work of the last factorization, T the solve and update work since
// then and k updates, the cost per iteration is Q = (W + T) / (k + 1); it
// starts to rise once the work of an iteration exceeds Q.  The
// per-iteration work is a running average over about 16 iterations so
// that one dense solve does not end the cycle, and at least 61 updates are
// made.
#pragma once

#include <algorithm>
#include <cmath>

#include "factor/factor_lists.h"
#include "factor/factor_spike.h"
#include "factor/ftsolve_sparse.h"
#include "factor/lu.h"

namespace tvl::lp {

inline constexpr int64_t kEtaFileCap = 524999999;
// Smallest |alpha_r| and smallest new diagonal accepted by the update.
inline constexpr double kUpdatePivotTiny = 1e-11;
// Largest relative disagreement between the new diagonal and alpha_r times
// the old one.
inline constexpr double kUpdateMismatch = 1e-8;
// Share of the latest iteration in the running per-iteration work.
inline constexpr double kRecentShare = 1.0 / 16.0;
// Spike entries and multipliers of smaller magnitude are not stored.
inline constexpr double kUpdateDrop = 1e-14;

template <class T>
void LuFactor<T>::reset_update_state() {
  updates_ = 0;
  refactor_due_ = false;
  n0_ = lu_.l_nonzeros + lu_.u_nonzeros + m_;
  factor_work_ = work_ - work_at_start_;
  work_at_factor_ = work_;
  work_at_update_ = 0.0;
  recent_work_ = 0.0;
}

template <class T>
void LuFactor<T>::note_update_cost() {
  if (!automatic_) return;
  const double total = static_cast<double>(work_ - work_at_factor_);
  const double step = total - work_at_update_;
  work_at_update_ = total;
  recent_work_ = updates_ == 1 ? step : recent_work_ + kRecentShare * (step - recent_work_);
  const double q = (static_cast<double>(factor_work_) + total) / (updates_ + 1);
  if (updates_ >= 61 && recent_work_ > q) refactor_due_ = true;
}

// Spike s = U alpha in row space, into sw_.row with its rows in spike_list_.
template <class T>
int32_t LuFactor<T>::spike_from(const HVector &col) {
  T *row = sw_.row.data();
  int32_t *mark = sw_.mark.data(), *list = spike_list_.data();
  const GrowLists<T> &g = lu_.ucol;
  const int32_t stamp = sw_.next_stamp();
  int32_t n = 0;
  uint64_t ops = 0;
  auto add = [&](int32_t i, T v) {
    if (mark[i] != stamp) { mark[i] = stamp; list[n++] = i; }
    row[i] += v;
  };
  auto column = [&](int32_t c) {
    const double a = col.array[c];
    if (a == 0.0) return;
    const T v = T(a);
    const int32_t i = lu_.row_of_pos[c];
    add(i, v / lu_.dinv_row[i]);
    for (int32_t e = g.start[i]; e < g.end[i]; ++e) add(g.index[e], g.value[e] * v);
    ops += g.end[i] - g.start[i] + 1;
  };
  if (col.count >= 0) {
    for (int32_t t = 0; t < col.count; ++t) column(col.index[t]);
  } else {
    for (int32_t c = 0; c < m_; ++c) column(c);
  }
  work_ += ops;
  return n;
}

// Multipliers eliminating the row of U at position p by the rows after it:
// solves mu' U_J = u_p,J.  Results in sw_.pos, their positions in list_a.
template <class T>
int32_t LuFactor<T>::row_multipliers(int32_t p) {
  const GrowLists<T> &g = lu_.urow;
  int32_t cnt = 0;
  for (int32_t e = g.start[p]; e < g.end[p]; ++e) {
    sw_.pos[g.index[e]] = g.value[e];
    sw_.list_a[cnt++] = g.index[e];
  }
  work_ += cnt;
  if (cnt == 0) return 0;
  return upper_tsolve(cnt, cnt < kHyperSparseRatio * m_);
}

// New diagonal of the moved pivot: s_p - mu' s_J.
template <class T>
T LuFactor<T>::new_diagonal(int32_t p, int32_t nmult) const {
  const T *row = sw_.row.data(), *pos = sw_.pos.data();
  const int32_t *list = sw_.list_a.data();
  T d = row[lu_.row_of_pos[p]];
  for (int32_t t = 0; t < nmult; ++t) d -= pos[list[t]] * row[lu_.row_of_pos[list[t]]];
  work_ += nmult;
  return d;
}

// Clears the spike and the multipliers from the workspace.
template <class T>
void LuFactor<T>::drop_update(int32_t nspike, int32_t nmult) {
  for (int32_t t = 0; t < nspike; ++t) sw_.row[spike_list_[t]] = T(0);
  for (int32_t t = 0; t < nmult; ++t) sw_.pos[sw_.list_a[t]] = T(0);
}

// Stores the multipliers as a row eta on `row` (none when all are zero) and
// clears them from the workspace.
template <class T>
void LuFactor<T>::record_row_eta(int32_t row, int32_t nmult) {
  const size_t before = eta_.index.size();
  for (int32_t t = 0; t < nmult; ++t) {
    const int32_t c = sw_.list_a[t];
    const T mu = sw_.pos[c];
    sw_.pos[c] = T(0);
    if (std::fabs(mu) <= T(kUpdateDrop)) continue;
    eta_.index.push_back(lu_.row_of_pos[c]);
    eta_.value.push_back(mu);
  }
  work_ += nmult;
  if (eta_.index.size() == before) return;
  eta_.pos.push_back(row);
  eta_.start.push_back(static_cast<int32_t>(eta_.index.size()));
}

// Replaces row and column of U at position p: the old column and row leave
// both graphs, the spike becomes the new column with diagonal `diag`.
template <class T>
void LuFactor<T>::replace_column(int32_t p, T diag, int32_t nspike) {
  GrowLists<T> &uc = lu_.ucol, &ur = lu_.urow;
  const int32_t ip = lu_.row_of_pos[p];
  uint64_t ops = 0;
  int64_t removed = 0;
  for (int32_t e = uc.start[ip]; e < uc.end[ip]; ++e) {
    const int32_t c = lu_.pos_of_row[uc.index[e]];
    ops += ur.end[c] - ur.start[c];
    removed += ur.remove(c, p);
  }
  uc.clear_node(ip);
  for (int32_t e = ur.start[p]; e < ur.end[p]; ++e) {
    const int32_t i = lu_.row_of_pos[ur.index[e]];
    ops += uc.end[i] - uc.start[i];
    removed += uc.remove(i, ip);
  }
  ur.clear_node(p);
  uc.reserve(ip, nspike);
  T *row = sw_.row.data();
  int64_t added = 0;
  for (int32_t t = 0; t < nspike; ++t) {
    const int32_t i = spike_list_[t];
    const T v = row[i];
    row[i] = T(0);
    if (i == ip || std::fabs(v) <= T(kUpdateDrop)) continue;
    uc.append(ip, i, v);
    ur.append(lu_.pos_of_row[i], p, v);
    ++added;
  }
  lu_.u_nonzeros += added - removed;
  lu_.dinv_row[ip] = T(1) / diag;
  lu_.dinv_pos[p] = lu_.dinv_row[ip];
  work_ += ops + nspike + 2 * static_cast<uint64_t>(added);
}

// Moves the pivot of position p to the end of U's order.
template <class T>
void LuFactor<T>::move_pivot_last(int32_t p) {
  std::vector<int32_t> &rows = lu_.uprow, &cols = lu_.upcol;
  const auto at = std::find(cols.begin(), cols.end(), p) - cols.begin();
  std::move(cols.begin() + at + 1, cols.end(), cols.begin() + at);
  std::move(rows.begin() + at + 1, rows.end(), rows.begin() + at);
  cols.back() = p;
  rows.back() = lu_.row_of_pos[p];
  work_ += m_ - at;
}

template <class T>
bool LuFactor<T>::update(int32_t r, const HVector &col) {
  if (!valid_) return false;
  const WorkSince counted(work_, kWorkShift);
  const double alpha = col.array[r];
  if (updates_ >= update_limit_ || std::fabs(alpha) < kUpdatePivotTiny) {
    valid_ = false;
    return false;
  }
  int32_t nspike = spike_cached(col);
  if (nspike < 0) nspike = spike_from(col);
  const int32_t nmult = row_multipliers(r);
  const T diag = new_diagonal(r, nmult);
  const T expected = T(alpha) / lu_.dinv_pos[r];
  const T mismatch = std::fabs(diag - expected);
  if (!(std::fabs(diag) >= T(kUpdatePivotTiny)) || !(mismatch <= T(kUpdateMismatch) * std::fabs(diag)) ||
      eta_.entries() + nmult > kEtaFileCap) {
    drop_update(nspike, nmult);
    valid_ = false;
    return false;
  }
  record_row_eta(lu_.row_of_pos[r], nmult);
  replace_column(r, diag, nspike);
  move_pivot_last(r);
  ++version_;
  ++updates_;
  note_update_cost();
  if (factor_nonzeros() - n0_ > 20 * (n0_ + m_)) refactor_due_ = true;
  return !refactor_due_;
}

}  // namespace tvl::lp
