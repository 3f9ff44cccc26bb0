// Cost perturbation against dual degeneracy (stalling of the dual simplex).
//
// Random cost changes push the reduced costs of nonbasic variables away
// from zero in their feasible direction, so that ties in the dual ratio test
// become unlikely (Wolfe 1963's "ad hoc" perturbation in the form used for
// the dual by Koberstein 2005, section 6.3, and Bixby 2002, "Solving
// real-world linear programs: a decade and more of progress").  The change
// of variable j is proportional to 1 + |c_j| and to the magnitude, and at
// least a given size (a change below the ratio test's tolerance would not
// break its ties); it is added to a variable at its lower bound and
// subtracted from one at its upper bound.  Removal restores the original costs; the caller then
// recomputes the duals and repairs any dual infeasibility.
#pragma once

#include <cstdint>
#include <vector>

namespace tvl::lp {

// Deterministic pseudo-random numbers (splitmix64): same seed, same run.
class SimplexRandom {
 public:
  explicit SimplexRandom(uint64_t seed = 0x5eed1234abcdULL) : state_(seed) {}
  double uniform();  // in [0, 1)

 private:
  uint64_t state_;
};

struct PerturbRecord {
  bool active = false;
  int count = 0;            // perturbations done in this run
  double magnitude = 1e-6;  // relative magnitude of the next perturbation
};

// Perturbs `cost` (size n+m) for the nonbasic variables given by `status`;
// fixed and free variables are left alone.  `base` holds the unperturbed
// costs; `least` is the smallest change (before the random factor).
void perturb_costs(const std::vector<double> &base, const std::vector<double> &lower,
                   const std::vector<double> &upper, const std::vector<int8_t> &status,
                   double magnitude, double least, SimplexRandom &rng, std::vector<double> &cost);

}  // namespace tvl::lp
