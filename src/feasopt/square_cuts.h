// Minimum of the weighted sum of squared violations, sum w_k v_k^2, on the
// auxiliary model, without a quadratic optimizer: the cutting-plane method
// of J. E. Kelley, "The cutting-plane method for solving convex programs",
// Journal of the SIAM 8(4), 1960, 703-712, applied to the separable
// epigraphs t_k >= v_k^2.
//
// Each round solves the linear (or mixed-integer) model min sum w_k t_k
// under the tangent cuts t_k >= 2 a v_k - a^2 found so far, then adds the
// tangent at the new point for every item whose square its t_k
// underestimates.  The model's optimum L is a lower bound of the true
// minimum and the point's measure F an upper bound; the run stops when
// F - L <= kSquareAccuracy * max(1, F), so the measure returned is within
// that relative accuracy of the minimum, or when a round moves neither
// bound: the cuts hold only within the LP's feasibility tolerance, which
// sets a floor of about that tolerance times the sum of the weights.  The first round of phase 1
// minimises the plain weighted sum to place the first cuts near the
// answer.  With a bound row on sum w_k t_k (phase 2) the same loop keeps
// the true measure within the accuracy of that bound.
#pragma once

#include <cstdint>
#include <vector>

#include "feasopt/aux_model.h"

namespace tvl::feasopt {

inline constexpr double kSquareAccuracy = 1e-6;
inline constexpr int kSquareMaxRounds = 1000;

// Runs the rounds; the outcome is `optimal` when the accuracy was reached
// (for a MIP model: each round within its gap), `point` when it holds a
// relaxation at all.  `measure` receives the measure F of the point and
// `rounds` the number of solves.
Outcome solve_squares(AuxModel &aux, const std::vector<Item> &items, bool seed, int64_t &iterations,
                      double &measure, int &rounds);

}  // namespace tvl::feasopt
