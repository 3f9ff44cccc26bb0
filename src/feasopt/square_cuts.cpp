#include "feasopt/square_cuts.h"

#include <algorithm>
#include <cmath>

namespace tvl::feasopt {

namespace {

// First cuts after the seeding round: the tangent at the seed's violation
// for every item that moved, and for the others at the mean movement, so
// that no item starts with t_k >= 0 as its only cut (each such item would
// otherwise absorb the whole relaxation in turn, one round each).
int seed_cuts(AuxModel &aux, const std::vector<Item> &items, const std::vector<double> &x) {
  double sum = 0.0;
  int moved = 0;
  for (const Item &it : items)
    if (x[it.vcol] > 0.0) sum += x[it.vcol], ++moved;
  const double mean = moved ? sum / moved : 1.0;
  std::vector<const Item *> cut;
  std::vector<double> at;
  for (const Item &it : items) {
    cut.push_back(&it);
    at.push_back(x[it.vcol] > 0.0 ? x[it.vcol] : mean);
  }
  return aux.add_tangents(cut, at);
}

// Tangents at the point for the items whose t_k lies below v_k^2.
int cut_point(AuxModel &aux, const std::vector<Item> &items, const std::vector<double> &x, bool &added) {
  std::vector<const Item *> cut;
  std::vector<double> at;
  for (const Item &it : items) {
    const double v = x[it.vcol], t = x[it.tcol];
    if (v * v - t <= 1e-12 * std::max(1.0, v * v)) continue;
    cut.push_back(&it);
    at.push_back(v);
  }
  added = !cut.empty();
  return aux.add_tangents(cut, at);
}

}  // namespace

Outcome solve_squares(AuxModel &aux, const std::vector<Item> &items, bool seed, int64_t &iterations,
                      double &measure, int &rounds) {
  rounds = 0;
  Outcome out;
  if (seed) {
    if ((out.error = aux.weigh_violations(items, true)) != 0) return out;
    out = aux.solve(iterations);
    ++rounds;
    if (!out.optimal || out.error) {
      out.optimal = false;
      return out;
    }
    if ((out.error = seed_cuts(aux, items, out.x)) != 0) return out;
    if ((out.error = aux.weigh_violations(items, false)) != 0) return out;
  }
  double last_lower = -1.0, last_upper = -1.0;
  while (rounds < kSquareMaxRounds) {
    Outcome next = aux.solve(iterations, rounds > 0);
    ++rounds;
    if (!next.optimal || next.error) {
      // A stopped round: its incumbent (MIP) is still a relaxation; else
      // keep the last solved round's point, which is one too.
      if (next.point || next.error || !out.point) out = next;
      out.optimal = false;
      break;
    }
    out = next;
    double upper = 0.0, lower = 0.0;
    for (const Item &it : items) {
      const double v = out.x[it.vcol];
      upper += it.weight * v * v;
      lower += it.weight * out.x[it.tcol];
    }
    measure = upper;
    // A round that moves neither bound has met the floor the LP tolerances
    // set (cuts are satisfied only within the feasibility tolerance).
    const bool stalled = std::fabs(lower - last_lower) <= 1e-12 * std::max(1.0, upper) &&
                         std::fabs(upper - last_upper) <= 1e-12 * std::max(1.0, upper);
    last_lower = lower;
    last_upper = upper;
    bool added = false;
    if (!stalled && upper - lower > kSquareAccuracy * std::max(1.0, upper)) {
      if ((out.error = cut_point(aux, items, out.x, added)) != 0) return out;
    }
    if (!added) return out;  // within the accuracy: out.optimal holds
    out.optimal = false;
  }
  return out;
}

}  // namespace tvl::feasopt
