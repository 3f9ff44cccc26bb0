// Growable node lists for the U graphs of the basis factor.  The update
// deletes a row and a column of U and inserts a new column, so nodes must
// shrink and grow in place: each node owns [start, limit) of one shared
// storage, a node that outgrows its room moves to the free tail, and the
// storage is compacted (into a spare buffer of the same size) when the tail
// is exhausted.  Allocation happens only when compaction cannot make room.
#pragma once

#include <algorithm>

#include "factor/lu.h"

namespace tvl::lp {

template <class T>
void GrowLists<T>::seal(int32_t m) {
  const int32_t nnz = m > 0 ? this->end[m - 1] : 0;
  limit.assign(this->end.begin(), this->end.end());
  used = nnz;
  const size_t cap = static_cast<size_t>(2 * nnz + 4 * m + 16);
  this->index.resize(cap);
  this->value.resize(cap);
  spare_index.resize(cap);
  spare_value.resize(cap);
}

template <class T>
void GrowLists<T>::compact(int32_t need) {
  const int32_t m = static_cast<int32_t>(this->end.size());
  int64_t total = 0;
  for (int32_t v = 0; v < m; ++v) total += this->end[v] - this->start[v];
  const int64_t want = 2 * (total + need) + 4 * m + 16;
  if (static_cast<int64_t>(spare_index.size()) < want) {
    spare_index.resize(want);
    spare_value.resize(want);
  }
  int32_t at = 0;
  for (int32_t v = 0; v < m; ++v) {
    const int32_t s = this->start[v], e = this->end[v];
    std::copy(this->index.begin() + s, this->index.begin() + e, spare_index.begin() + at);
    std::copy(this->value.begin() + s, this->value.begin() + e, spare_value.begin() + at);
    this->start[v] = at;
    at += e - s;
    this->end[v] = at;
    limit[v] = at;
  }
  used = at;
  this->index.swap(spare_index);
  this->value.swap(spare_value);
  if (spare_index.size() < this->index.size()) {
    spare_index.resize(this->index.size());
    spare_value.resize(this->index.size());
  }
}

template <class T>
void GrowLists<T>::reserve(int32_t v, int32_t n) {
  if (this->end[v] + n <= limit[v]) return;
  const int32_t len = this->end[v] - this->start[v];
  const int32_t room = len + n + std::max(4, (len + n) / 2);
  if (static_cast<size_t>(used) + room > this->index.size()) compact(room);
  const int32_t s = this->start[v];
  std::copy(this->index.begin() + s, this->index.begin() + s + len, this->index.begin() + used);
  std::copy(this->value.begin() + s, this->value.begin() + s + len, this->value.begin() + used);
  this->start[v] = used;
  this->end[v] = used + len;
  limit[v] = used + room;
  used += room;
}

template <class T>
void GrowLists<T>::append(int32_t v, int32_t idx, T val) {
  if (this->end[v] == limit[v]) reserve(v, 1);
  const int32_t p = this->end[v]++;
  this->index[p] = idx;
  this->value[p] = val;
}

template <class T>
bool GrowLists<T>::remove(int32_t v, int32_t idx) {
  const int32_t last = this->end[v] - 1;
  for (int32_t e = this->start[v]; e <= last; ++e) {
    if (this->index[e] != idx) continue;
    this->index[e] = this->index[last];
    this->value[e] = this->value[last];
    this->end[v] = last;
    return true;
  }
  return false;
}

}  // namespace tvl::lp
