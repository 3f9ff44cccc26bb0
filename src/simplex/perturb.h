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
// subtracted from one at its upper bound.  The magnitude grows when few
// variables carry a cost (perturbation_magnitude).  Removal restores the original costs; the caller then
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
  // Counts a perturbation just applied; returns its log line.
  const char *started() {
    active = true;
    return ++count == 1 ? "Perturbation started.\n" : "Reperturbation started.\n";
  }
};

// Share of nonzero costs at or below which the perturbation's relative
// magnitude is at least kTiedMagnitude, and at or above which it is left as
// requested; in between the least magnitude falls geometrically by 1000.
inline constexpr double kTiedShareLow = 0.10;
inline constexpr double kTiedShareHigh = 0.15;
inline constexpr double kTiedMagnitude = 2e-3;

// Relative magnitude for the costs `base`: `requested`, raised when few of
// the costs are nonzero.
double perturbation_magnitude(const std::vector<double> &base, double requested);

// Perturbs `cost` (size n+m) for the nonbasic variables given by `status`;
// fixed and free variables are left alone.  `base` holds the unperturbed
// costs; `least` is the smallest change (before the random factor).
void perturb_costs(const std::vector<double> &base, const std::vector<double> &lower,
                   const std::vector<double> &upper, const std::vector<int8_t> &status,
                   double magnitude, double least, SimplexRandom &rng, std::vector<double> &cost);

}  // namespace tvl::lp
