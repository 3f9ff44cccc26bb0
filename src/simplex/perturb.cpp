#include "simplex/perturb.h"

#include <algorithm>
#include <cmath>

#include "runtime/workcount.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

double SimplexRandom::uniform() {
  state_ += 0x9e3779b97f4a7c15ULL;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

// Relative magnitude used for costs `base`: at least `requested`, and larger
// when few variables carry a cost.  Columns of zero cost start with equal
// reduced costs and stay tied through long runs of the ratio test; a change
// of the order of the dual tolerance (what `requested` gives by default)
// leaves those ties nearly intact, so such problems get a relative change
// up to kTiedMagnitude.  The floor is full below kTiedShareLow nonzero costs,
// falls geometrically to nothing at kTiedShareHigh, and a problem with many
// costs keeps the small change (a large one there only leaves many dual
// infeasibilities for the cleanup after removal).
double perturbation_magnitude(const std::vector<double> &base, double requested) {
  if (base.empty()) return requested;
  const auto nonzero = std::count_if(base.begin(), base.end(), [](double c) { return c != 0.0; });
  const double share = static_cast<double>(nonzero) / static_cast<double>(base.size());
  if (share >= kTiedShareHigh) return requested;
  const double t = std::min(1.0, (kTiedShareHigh - share) / (kTiedShareHigh - kTiedShareLow));
  return std::max(requested, kTiedMagnitude * std::pow(10.0, -3.0 * (1.0 - t)));
}

void perturb_costs(const std::vector<double> &base, const std::vector<double> &lower,
                   const std::vector<double> &upper, const std::vector<int8_t> &status,
                   double magnitude, double least, SimplexRandom &rng, std::vector<double> &cost) {
  // Scale with the typical cost size so that tiny and huge cost vectors both
  // see a perturbation that matters but does not dominate.
  double cmax = 0.0;
  for (double c : base) cmax = std::max(cmax, std::fabs(c));
  const double scale = std::min(1.0, std::max(cmax, 1e-3));
  magnitude = perturbation_magnitude(base, magnitude);
  const size_t nv = base.size();
  for (size_t j = 0; j < nv; ++j) {
    const double r = rng.uniform();  // drawn for every variable: keeps runs repeatable
    if (status[j] == kBasic || status[j] == kFreeNb) continue;
    if (lower[j] == upper[j]) continue;
    const double delta = (1.0 + r) * std::max(magnitude * (scale + std::fabs(base[j])), least);
    if (status[j] == kAtLower) cost[j] += delta;
    else cost[j] -= delta;
  }
  work_add(4 * static_cast<uint64_t>(nv));
}

}  // namespace tvl::lp
