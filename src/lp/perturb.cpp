#include "lp/perturb.h"

#include <algorithm>
#include <cmath>

#include "lp/simplex_lp.h"

namespace tvl::lp {

double SimplexRandom::uniform() {
  state_ += 0x9e3779b97f4a7c15ULL;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void perturb_costs(const std::vector<double> &base, const std::vector<double> &lower,
                   const std::vector<double> &upper, const std::vector<int8_t> &status,
                   double magnitude, double least, SimplexRandom &rng, std::vector<double> &cost) {
  // Scale with the typical cost size so that tiny and huge cost vectors both
  // see a perturbation that matters but does not dominate.
  double cmax = 0.0;
  for (double c : base) cmax = std::max(cmax, std::fabs(c));
  const double scale = std::min(1.0, std::max(cmax, 1e-3));
  const size_t nv = base.size();
  for (size_t j = 0; j < nv; ++j) {
    const double r = rng.uniform();  // drawn for every variable: keeps runs repeatable
    if (status[j] == kBasic || status[j] == kFreeNb) continue;
    if (lower[j] == upper[j]) continue;
    const double delta = (1.0 + r) * std::max(magnitude * (scale + std::fabs(base[j])), least);
    if (status[j] == kAtLower) cost[j] += delta;
    else cost[j] -= delta;
  }
}

}  // namespace tvl::lp
