// The auxiliary model a feasibility relaxation is solved on: a copy of the
// problem (its columns first, in their order) with a nonnegative violation
// column per movable item, and, by measure:
//   - sum:     minimise  sum w_k v_k;
//   - number:  a binary z_k per item with the indicator constraint
//              "z_k = 0 implies v_k <= 0"; minimise sum w_k z_k.  The
//              indicator needs no big-M constant; v_k is still bounded by
//              kNumberMaxMove * (1 + |limit|), since the branch-and-bound
//              relaxation drops the indicators and an unbounded v_k would
//              make it unbounded in phase 2;
//   - squares: an epigraph column t_k >= v_k^2, enforced by tangent cuts
//              (square_cuts.h); minimise sum w_k t_k.
// A row side moves through its violation column's coefficient in the row
// (+1 widens the lower end, -1 the upper end); a column bound moves
// through a link row x_j + v >= lb_j or x_j - v <= ub_j, the bound itself
// being removed from the copy.
// Phase 2 bounds the measure by a row and gives the columns back their
// own objective.
#pragma once

#include <cstdint>
#include <vector>

#include "feasopt/relax_items.h"
#include "tavlo.h"

namespace tvl::feasopt {

inline constexpr double kNumberMaxMove = 1e6;

// Outcome of one solve of the auxiliary model.
struct Outcome {
  int error = 0;            // a failure of the optimizer call itself
  int stat = 0;             // solution status of the auxiliary model
  bool point = false;       // x holds a point of the auxiliary model
  bool optimal = false;     // ... proved optimal (within the MIP gap)
  bool infeasible = false;  // the auxiliary model has no point
  double objval = 0.0;      // its objective value at x
  std::vector<double> x;    // every column of the auxiliary model
};

class AuxModel {
 public:
  AuxModel(TVLENVptr env, Measure kind) : env_(env), kind_(kind) {}
  ~AuxModel();
  AuxModel(const AuxModel &) = delete;
  AuxModel &operator=(const AuxModel &) = delete;

  // Builds the model for the items (their auxiliary columns are filled
  // in).  Returns 0 or a status.
  int build(tvllp *orig, std::vector<Item> &items);
  // Solves it as it stands and reads the outcome; adds the run's
  // iterations to `iterations`.  `reoptimize`: the model only gained rows
  // since its last optimal solve, so the dual simplex continues from that
  // basis (the LP method parameter chooses otherwise).
  Outcome solve(int64_t &iterations, bool reoptimize = false);
  // Phase 2: measure <= bound, the original objective and sense.
  int bound_measure(const std::vector<Item> &items, double bound);
  // Objective coefficient of the violation columns (w_k or 0) and of the
  // epigraph columns (the other one), for the squared measure's seeding.
  int weigh_violations(const std::vector<Item> &items, bool on);
  // Adds the tangent cut t_k >= 2 a v_k - a^2 of each listed item.
  int add_tangents(const std::vector<const Item *> &items, const std::vector<double> &at);

  TVLENVptr env() const { return env_; }
  TVLLPptr lp() const { return lp_; }
  bool mip() const { return mip_; }

 private:
  int strip(tvllp *orig);
  int add_violation_columns(std::vector<Item> &items);
  int link_bounds(const std::vector<Item> &items);
  int add_indicators(std::vector<Item> &items);
  int add_epigraphs(std::vector<Item> &items);
  int add_columns(int count, const double *obj, const int *beg, const int *ind, const double *val,
                  const double *lb, const double *ub, int32_t &first);

  TVLENVptr env_;
  Measure kind_;
  TVLLPptr lp_ = nullptr;
  bool mip_ = false;
  int32_t n_ = 0;                 // columns of the problem
  int objsense_ = 1;
  std::vector<double> obj_;       // the problem's objective
};

}  // namespace tvl::feasopt
