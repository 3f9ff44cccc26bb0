#include "mip/heuristics/locks.h"

#include "frame/infinity.h"

namespace tvl::mip {

Locks compute_locks(const MipModel &model) {
  const lp::LpModel &m = model.lp;
  Locks l;
  l.down.assign(static_cast<size_t>(m.a.n), 0);
  l.up.assign(static_cast<size_t>(m.a.n), 0);
  for (int32_t j = 0; j < m.a.n; ++j) {
    for (int32_t k = m.a.start[j]; k < m.a.start[j + 1]; ++k) {
      const int32_t i = m.a.index[k];
      const bool has_lo = m.rowlo[i] > -kInfBound, has_up = m.rowup[i] < kInfBound;
      if (m.a.value[k] > 0.0) {
        l.down[j] += has_lo;
        l.up[j] += has_up;
      } else {
        l.down[j] += has_up;
        l.up[j] += has_lo;
      }
    }
  }
  return l;
}

}  // namespace tvl::mip
