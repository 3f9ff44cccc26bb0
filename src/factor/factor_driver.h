// Factorize driver of the basis factor: runs the elimination, rejects
// unstable factors by the pivot-ratio table (raising the Markowitz threshold
// and retrying), repairs singular bases by putting slacks of the unpivoted
// rows in place of the dependent columns, and arranges the accepted factor
// into the four solve graphs used by ftsolve_sparse.h.
#pragma once

#include <algorithm>
#include <cmath>
#include <new>

#include "factor/factor_dense.h"
#include "factor/factor_lists.h"
#include "factor/lu.h"

namespace tvl::lp {

template <class T>
void LuRaw<T>::clear() {
  prow.clear();
  pcol.clear();
  diag.clear();
  lstart.assign(1, 0);
  lindex.clear();
  lvalue.clear();
  ustart.assign(1, 0);
  uindex.clear();
  uvalue.clear();
  singular_pos.clear();
  unpivoted_rows.clear();
  dense_ops = 0.0;
}

template <class T>
LuFactor<T>::LuFactor(int32_t m, int32_t n, const FactorSettings &settings)
    : m_(m), n_(n), settings_(settings) {
  u_ = std::clamp(settings.markowitz, 0.0001, 0.99999);
  dense_switch_ = settings.dense_switch;
  if (settings.update_limit > 0) {
    update_limit_ = settings.update_limit - 1;
    automatic_ = false;
  } else {
    update_limit_ = 10000;
    automatic_ = true;
  }
  sw_.setup(m);
  spike_list_.assign(m, 0);
  for (SpikeSlot<T> &k : spikes_) {
    k.index.assign(m, 0);
    k.value.assign(m, T(0));
  }
}

template <class T>
LuFactor<T>::~LuFactor() = default;

// The kept spikes belong to solves of the factor copied over; none of them
// may be taken for a later update of this one.
template <class T>
void LuFactor<T>::assign(const BasisFactor &copy) {
  *this = static_cast<const LuFactor<T> &>(copy);
  for (SpikeSlot<T> &k : spikes_) k.owner = nullptr;
}

template <class T>
void LuFactor<T>::raise_threshold() {
  const double old = u_;
  u_ = u_ < 0.1 ? 0.1 : u_ + 0.1;
  u_ = std::min(u_, 0.99999);
  if (u_ - old > 0.01) report_.threshold_raised = true;
}

template <class T>
bool LuFactor<T>::stable(double &pmax, double &pmin) const {
  pmax = 1.0;
  pmin = 1.0;
  for (const T d : raw_->diag) {
    const double a = static_cast<double>(std::fabs(d));
    if (a > pmax) pmax = a;
    else if (a < pmin) pmin = a;
  }
  const double r = pmax / pmin;
  static constexpr double kRatio[5] = {1e9, 1e10, 1e11, 1e12, 1e13};
  static constexpr double kU[5] = {0.1, 0.2, 0.3, 0.5, 0.9999899999};
  for (int t = 0; t < 5; ++t)
    if (r > kRatio[t] && u_ < kU[t]) return false;
  return true;
}

template <class T>
int LuFactor<T>::factorize_once(const BasisColumns &b) {
  try {
    builder_->build(b, u_, settings_.singtol, dense_switch_, settings_.dense_partial_pivoting, *raw_, work_);
  } catch (const std::bad_alloc &) {
    return 3;
  }
  if (!raw_->singular_pos.empty()) return 1;
  arrange(*raw_);
  double pmax = 1.0, pmin = 1.0;
  const bool ok = stable(pmax, pmin);
  report_.max_pivot = pmax;
  report_.min_pivot = pmin;
  return ok ? 0 : 2;
}

template <class T>
void LuFactor<T>::repair(std::vector<int32_t> &head, std::vector<int32_t> *replaced) {
  const size_t n = std::min(raw_->singular_pos.size(), raw_->unpivoted_rows.size());
  for (size_t k = 0; k < n; ++k) {
    const int32_t pos = raw_->singular_pos[k];
    const int32_t old = head[pos];
    head[pos] = n_ + raw_->unpivoted_rows[k];
    report_.positions.push_back(pos);
    report_.old_vars.push_back(old);
    if (replaced) replaced->push_back(old);
  }
}

template <class T>
FactorStatus LuFactor<T>::factorize(const CscMatrix &a, std::vector<int32_t> &head,
                                    std::vector<int32_t> *replaced) {
  const WorkSince counted(work_, kWorkShift);
  report_ = FactorReport{};
  valid_ = false;
  eta_.clear();
  ++version_;
  work_at_start_ = work_;
  bool have_factor = false;
  try {
    cols_.gather(a, head, m_, n_);
  } catch (const std::bad_alloc &) {
    return FactorStatus::OutOfMemory;
  }
  for (int attempt = 0; attempt <= 10; ++attempt) {
    ++report_.attempts;
    const int res = factorize_once(cols_);
    have_factor = res == 0 || res == 2;
    if (res == 0) break;
    if (res == 3) {
      report_.markowitz = u_;
      return FactorStatus::OutOfMemory;
    }
    if (res == 2) {
      if (u_ >= 0.99999) break;  // nothing left to raise: keep this factor
      raise_threshold();
      continue;
    }
    // Singular.
    ++report_.singular_rounds;
    if (!settings_.repair) {
      report_.markowitz = u_;
      return FactorStatus::Singular;
    }
    if (report_.singular_rounds == 1) raise_threshold();
    repair(head, replaced);
    cols_.gather(a, head, m_, n_);
  }
  report_.markowitz = u_;
  if (!have_factor) return FactorStatus::Singular;
  valid_ = true;
  reset_update_state();
  return report_.positions.empty() ? FactorStatus::Ok : FactorStatus::Repaired;
}

// Fills node lists from (node, index, value) triples produced by `each`,
// which is called twice: once to count, once to place.
template <class T, class Each>
void fill_node_lists(NodeLists<T> &g, int32_t m, Each each) {
  g.start.assign(m + 2, 0);
  each([&](int32_t node, int32_t, T) { ++g.start[node + 2]; });
  for (int32_t v = 0; v < m; ++v) g.start[v + 2] += g.start[v + 1];
  g.index.resize(g.start[m + 1]);
  g.value.resize(g.start[m + 1]);
  each([&](int32_t node, int32_t idx, T val) {
    const int32_t p = g.start[node + 1]++;
    g.index[p] = idx;
    g.value[p] = val;
  });
  g.start.pop_back();
  g.end.assign(g.start.begin() + 1, g.start.end());
}

template <class T>
void LuFactor<T>::arrange(const LuRaw<T> &raw) {
  LuData<T> &d = lu_;
  d.m = m_;
  d.prow = raw.prow;
  d.pcol = raw.pcol;
  d.uprow = raw.prow;
  d.upcol = raw.pcol;
  d.pos_of_row.assign(m_, -1);
  d.row_of_pos.assign(m_, -1);
  d.dinv_row.assign(m_, T(0));
  d.dinv_pos.assign(m_, T(0));
  d.lpivots.clear();
  for (int32_t k = 0; k < m_; ++k) {
    const int32_t r = raw.prow[k], c = raw.pcol[k];
    d.pos_of_row[r] = c;
    d.row_of_pos[c] = r;
    d.dinv_row[r] = T(1) / raw.diag[k];
    d.dinv_pos[c] = d.dinv_row[r];
    if (raw.lstart[k + 1] > raw.lstart[k]) d.lpivots.push_back(k);
  }
  fill_node_lists(d.lcol, m_, [&](auto emit) {
    for (int32_t k = 0; k < m_; ++k)
      for (int32_t e = raw.lstart[k]; e < raw.lstart[k + 1]; ++e) emit(raw.prow[k], raw.lindex[e], raw.lvalue[e]);
  });
  fill_node_lists(d.lrow, m_, [&](auto emit) {
    for (int32_t k = 0; k < m_; ++k)
      for (int32_t e = raw.lstart[k]; e < raw.lstart[k + 1]; ++e) emit(raw.lindex[e], raw.prow[k], raw.lvalue[e]);
  });
  fill_node_lists(d.urow, m_, [&](auto emit) {
    for (int32_t k = 0; k < m_; ++k)
      for (int32_t e = raw.ustart[k]; e < raw.ustart[k + 1]; ++e) emit(raw.pcol[k], raw.uindex[e], raw.uvalue[e]);
  });
  fill_node_lists(d.ucol, m_, [&](auto emit) {
    for (int32_t k = 0; k < m_; ++k)
      for (int32_t e = raw.ustart[k]; e < raw.ustart[k + 1]; ++e)
        emit(d.row_of_pos[raw.uindex[e]], raw.prow[k], raw.uvalue[e]);
  });
  d.urow.seal(m_);
  d.ucol.seal(m_);
  d.l_nonzeros = static_cast<int64_t>(raw.lindex.size());
  d.u_nonzeros = static_cast<int64_t>(raw.uindex.size());
  work_ += 4 * static_cast<uint64_t>(d.l_nonzeros + d.u_nonzeros) + 4 * m_;
}

template <class T>
int64_t LuFactor<T>::factor_nonzeros() const {
  return lu_.l_nonzeros + lu_.u_nonzeros + m_ + eta_.entries();
}

}  // namespace tvl::lp
