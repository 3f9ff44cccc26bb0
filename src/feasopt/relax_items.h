// The items of a feasibility relaxation and how far a point violates them.
//
// An item is one side of a row's activity range or one column bound that
// the caller's preferences allow to move.  Moving it by v costs v / p in
// the relaxation measure (p its preference); a preference <= 0, or an
// absent array, keeps the item fixed.  Which preference moves which side:
//   - rhspref[i]: the side given by the right-hand side (the upper end of an
//     'L' row, the lower end of a 'G' row, both ends of an 'E' row, and the
//     end at rhs of a ranged row);
//   - rngpref[i]: the far end rhs + rngval of a ranged row ('R'); ignored
//     for the other senses;
//   - lbpref[j], ubpref[j]: the finite lower and upper bound of column j
//     (an infinite bound has nothing to relax).
#pragma once

#include <cstdint>
#include <vector>

#include "frame/problem.h"

namespace tvl::feasopt {

enum class Side : uint8_t { RowLow, RowUp, ColLow, ColUp };

struct Item {
  Side side = Side::RowLow;
  int32_t index = 0;      // row or column of the problem
  double limit = 0.0;     // the activity end or bound being relaxed
  double weight = 0.0;    // cost of one unit of violation: 1 / preference
  int32_t vcol = -1;      // auxiliary model: violation column
  int32_t zcol = -1;      //   binary "item relaxed" column (number measure)
  int32_t tcol = -1;      //   epigraph column of the square (squared measure)
};

struct Prefs {
  const double *rng = nullptr, *rhs = nullptr, *lb = nullptr, *ub = nullptr;
};

// Which measure a mode minimises: sum, number or sum of squares of the
// weighted violations (TVL_PARAM_FEASOPTMODE / 2).
enum class Measure : int { Sum = 0, Number = 1, Squares = 2 };

// Lists the movable items, rows first, then columns, each in index order.
// Returns 0, or 1212 when a preference asks to move a bound of a
// semi-continuous or semi-integer column (their bounds are not a plain
// interval, so moving them has no single meaning).
int collect_items(const tvllp *lp, const Prefs &prefs, std::vector<Item> &items);

// Row activities A x of the problem's rows.
std::vector<double> row_activity(const LpData &d, const double *x);

// How far x (with row activities ax) lies beyond the item's side; >= 0.
double violation(const Item &item, const double *x, const double *ax);

// The measure of a point: sum of w v, sum of w over items with v > tol, or
// sum of w v^2.
double measure_of(const std::vector<Item> &items, Measure kind, const double *x, const double *ax, double tol);

}  // namespace tvl::feasopt
