#include "simplex/row_partition.h"

#include <algorithm>
#include <utility>

#include "runtime/workcount.h"

namespace tvl::lp {

void RowPartition::build(const SimplexLp &lp, const std::vector<int8_t> &active) {
  const int32_t m = lp.m, n = lp.n;
  const int32_t nnz = lp.a.start[n];
  start_ = lp.rstart;  // rows keep the extents of the row-wise copy
  mid_.assign(static_cast<size_t>(m), 0);
  // Active entries counted per row first, so that the two parts can be
  // filled in one pass over the columns in ascending order.
  std::vector<int32_t> &fill_active = mid_;
  for (int32_t j = 0; j < n; ++j)
    if (active[j])
      for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) ++fill_active[lp.a.index[k]];
  std::vector<int32_t> &fill_rest = fill_rest_;
  fill_rest.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    fill_rest[i] = start_[i] + fill_active[i];
    fill_active[i] = start_[i];
  }
  col_.resize(static_cast<size_t>(nnz));
  val_.resize(static_cast<size_t>(nnz));
  entry_.resize(static_cast<size_t>(nnz));
  where_.resize(static_cast<size_t>(nnz));
  for (int32_t j = 0; j < n; ++j) {
    std::vector<int32_t> &fill = active[j] ? fill_active : fill_rest;
    for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) {
      const int32_t p = fill[lp.a.index[k]]++;
      col_[p] = j;
      val_[p] = lp.a.value[k];
      entry_[p] = k;
      where_[k] = p;
    }
  }
  // fill_active (mid_) now ends each row's active part.
  active_.assign(active.begin(), active.begin() + n);
  work_add(3 * static_cast<uint64_t>(nnz) + static_cast<uint64_t>(n) + static_cast<uint64_t>(m));
}

void RowPartition::swap_entries(int32_t p, int32_t q) {
  if (p == q) return;
  std::swap(col_[p], col_[q]);
  std::swap(val_[p], val_[q]);
  std::swap(entry_[p], entry_[q]);
  where_[entry_[p]] = p;
  where_[entry_[q]] = q;
}

void RowPartition::activate(const SimplexLp &lp, int32_t j) {
  active_[j] = 1;
  for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) {
    const int32_t i = lp.a.index[k];
    swap_entries(where_[k], mid_[i]++);
  }
  work_add(static_cast<uint64_t>(lp.a.start[j + 1] - lp.a.start[j]));
}

void RowPartition::deactivate(const SimplexLp &lp, int32_t j) {
  active_[j] = 0;
  for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) {
    const int32_t i = lp.a.index[k];
    swap_entries(where_[k], --mid_[i]);
  }
  work_add(static_cast<uint64_t>(lp.a.start[j + 1] - lp.a.start[j]));
}

void RowPartition::refresh(const SimplexLp &lp, const std::vector<int8_t> &active) {
  for (int32_t j = 0; j < lp.n; ++j) {
    if ((active[j] != 0) == (active_[j] != 0)) continue;
    if (active[j]) activate(lp, j);
    else deactivate(lp, j);
  }
  work_add(static_cast<uint64_t>(lp.n));
}

bool RowPartition::consistent(const SimplexLp &lp, const std::vector<int8_t> &active) const {
  const int32_t m = lp.m, n = lp.n;
  if (static_cast<int32_t>(start_.size()) != m + 1 || start_[m] != lp.a.start[n]) return false;
  for (int32_t k = 0; k < lp.a.start[n]; ++k) {
    const int32_t p = where_[k];
    if (entry_[p] != k || val_[p] != lp.a.value[k]) return false;
  }
  for (int32_t j = 0; j < n; ++j)
    if ((active_[j] != 0) != (active[j] != 0)) return false;
  for (int32_t i = 0; i < m; ++i) {
    if (mid_[i] < start_[i] || mid_[i] > start_[i + 1]) return false;
    for (int32_t p = start_[i]; p < start_[i + 1]; ++p) {
      const int32_t j = col_[p];
      const int32_t k = entry_[p];
      if (k < lp.a.start[j] || k >= lp.a.start[j + 1] || lp.a.index[k] != i) return false;
      if ((p < mid_[i]) != (active[j] != 0)) return false;
    }
  }
  return true;
}

}  // namespace tvl::lp
