// Spike cache of the basis factor.  The Forrest-Tomlin update needs the
// entering column after L and the row etas but before U (the spike).  FTRAN
// computes it on the way, so each FTRAN keeps a sparse copy in a small
// ring of slots, one per vector object; update() takes the copy when the
// column it is given is exactly the result of that FTRAN under the current
// factor, and otherwise recomputes the spike as U alpha.  Right-hand sides
// with many nonzeros (BTRAN results FTRAN'd for pricing norms, not basis
// columns) are not kept: copying their dense spikes would cost more than
// the rare recomputation it could save.
#pragma once

#include <algorithm>

#include "factor/lu.h"

namespace tvl::lp {

template <class T>
void LuFactor<T>::keep_spike(const HVector &x, int32_t rhs_nnz, int32_t cnt) const {
  int slot = -1;
  for (int s = 0; s < kSpikeSlots && slot < 0; ++s)
    if (spikes_[s].owner == &x) slot = s;
  if (rhs_nnz > std::max(100, m_ / 10)) {
    if (slot >= 0) spikes_[slot].owner = nullptr;
    return;
  }
  if (slot < 0) {
    spike_next_ = (spike_next_ + 1) % kSpikeSlots;
    slot = spike_next_;
  }
  SpikeSlot<T> &k = spikes_[slot];
  k.owner = &x;
  k.version = version_;
  k.count = -1;
  const T *row = sw_.row.data();
  int32_t n = 0;
  auto keep = [&](int32_t i) {
    if (row[i] == T(0)) return;
    k.index[n] = i;
    k.value[n++] = row[i];
  };
  if (cnt >= 0) {
    for (int32_t t = 0; t < cnt; ++t) keep(sw_.list_a[t]);
  } else {
    for (int32_t i = 0; i < m_; ++i) keep(i);
  }
  k.n = n;
  work_ += cnt >= 0 ? cnt : m_;
}

// Sums that identify an FTRAN result: plain and index-weighted.
inline void result_sums(const HVector &x, double &sum, double &wsum) {
  sum = 0.0;
  wsum = 0.0;
  for (int32_t t = 0; t < x.count; ++t) {
    const double v = x.array[x.index[t]];
    sum += v;
    wsum += (x.index[t] + 1.0) * v;
  }
}

template <class T>
void LuFactor<T>::seal_spike(const HVector &x) const {
  for (SpikeSlot<T> &k : spikes_) {
    if (k.owner != &x || k.version != version_) continue;
    result_sums(x, k.sum, k.wsum);
    k.count = x.count;
    work_ += x.count;
  }
}

// Loads the kept spike of `col` into sw_.row / spike_list_; -1 if none.
template <class T>
int32_t LuFactor<T>::spike_cached(const HVector &col) {
  for (SpikeSlot<T> &k : spikes_) {
    if (k.owner != &col || k.version != version_ || k.count != col.count || col.count < 0) continue;
    double sum = 0.0, wsum = 0.0;
    result_sums(col, sum, wsum);
    work_ += col.count;
    if (sum != k.sum || wsum != k.wsum) return -1;
    for (int32_t t = 0; t < k.n; ++t) {
      sw_.row[k.index[t]] = k.value[t];
      spike_list_[t] = k.index[t];
    }
    work_ += k.n;
    return k.n;
  }
  return -1;
}

}  // namespace tvl::lp
