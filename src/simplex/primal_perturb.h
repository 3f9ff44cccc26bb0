// Bound perturbation against primal degeneracy (stalling of the primal
// simplex): the finite bounds of the basic variables are moved outward by
// small random amounts, so that degenerate basic variables sit strictly
// inside their bounds and ties in the ratio test become unlikely (Wolfe
// 1963, "A technique for resolving degeneracy in linear programming"; the
// random form of Benichou, Gauthier, Hentges & Ribiere 1977, "The efficient
// solution of large-scale linear programming problems").  The move of a
// bound is r M (1 + |bound|) with a fresh r in [0, 1) per bound, so that it
// stays relative to the size of the bound.  Removal restores the original
// bounds; the caller recomputes the primal values.
#pragma once

#include <cstdint>
#include <vector>

#include "simplex/perturb.h"

namespace tvl::lp {

// Widens lower/upper of every basic variable in `head` (fixed variables are
// left alone).  Returns the number of bounds moved.
int32_t perturb_basic_bounds(const std::vector<int32_t> &head, double magnitude, SimplexRandom &rng,
                             std::vector<double> &lower, std::vector<double> &upper);

// Next magnitude: the stored one the first time, later min(1e-6, M / 10).
inline double next_perturbation_magnitude(int count, double stored, double previous) {
  if (count == 0) return stored;
  const double m = previous / 10.0;
  return m < 1e-6 ? m : 1e-6;
}

}  // namespace tvl::lp
