#include "simplex/primal_perturb.h"

#include <cmath>

#include "runtime/workcount.h"

namespace tvl::lp {

int32_t perturb_basic_bounds(const std::vector<int32_t> &head, double magnitude, SimplexRandom &rng,
                             std::vector<double> &lower, std::vector<double> &upper) {
  int32_t moved = 0;
  for (int32_t j : head) {
    // Both draws happen for every variable: the sequence, and so the run,
    // does not depend on which bounds are finite.
    const double rl = rng.uniform(), ru = rng.uniform();
    if (lower[j] == upper[j]) continue;
    if (std::isfinite(lower[j])) {
      lower[j] -= rl * magnitude * (1.0 + std::fabs(lower[j]));
      ++moved;
    }
    if (std::isfinite(upper[j])) {
      upper[j] += ru * magnitude * (1.0 + std::fabs(upper[j]));
      ++moved;
    }
  }
  work_add(2 * static_cast<uint64_t>(head.size()));
  return moved;
}

}  // namespace tvl::lp
