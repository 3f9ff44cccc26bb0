// Activity ranges of rows and the column bounds they imply.
//
// The activity of a row sum a_j x_j ranges over [min, max] when every x_j
// moves within its bounds; an infinite bound makes its side infinite, so
// the finite part and the number of infinite contributions are kept
// apart.  The activity of the row without one entry then follows in O(1),
// and with it the bound the row implies for that entry's column.  MIP
// presolve's bound tightening and the node propagation share this.
//
// Follows the activity-based bound tightening of Savelsbergh,
// "Preprocessing and probing techniques for mixed integer programming
// problems", ORSA Journal on Computing 6 (1994).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "mip/row_view.h"

namespace tvl::mip {

struct RowActivity {
  double minfin = 0.0, maxfin = 0.0;  // sums of the finite contributions
  int mininf = 0, maxinf = 0;         // numbers of infinite contributions

  // Adds the entry a x with lo <= x <= up.
  void add(double a, double lo, double up);
  // Smallest (largest) activity of the row without the entry a x; -inf
  // (+inf) when another entry is unbounded on that side.
  double rest_min(double a, double lo, double up) const;
  double rest_max(double a, double lo, double up) const;
  // True when no point within the bounds meets rlo <= activity <= rup (up
  // to feastol, relative to the side's magnitude).
  bool infeasible(double rlo, double rup, double feastol) const;
};

// Bounds the row rlo <= a x + rest <= rup implies for an integer column x
// (current bounds lo, up) given the activity range of the rest, rounded
// inward to integers.  new_lo/new_up start at lo/up and only ever tighten;
// derivations from huge activities are skipped, as they are not trusted.
void implied_integer_bounds(double a, double rlo, double rup, double rest_min, double rest_max, double &new_lo,
                            double &new_up);

// What a walk of one row found.
enum class RowWalk { Done, RowInfeasible, ColumnInfeasible };

// One bound-tightening walk of row i (rlo <= row <= rup): the activity
// range from the current bounds, then for each integer column the bounds
// the rest of the row implies.  `bounds` reads and writes the column
// bounds (lower(j), upper(j), set(j, lo, up) for each tightening), so that
// presolve's arrays and a node's LP share the walk.  On ColumnInfeasible,
// `bad_col` is the column whose implied bounds cross.
template <class Bounds>
RowWalk tighten_row(const RowView &rows, int32_t i, double rlo, double rup, double feastol,
                    const std::vector<char> &integer, Bounds &bounds, int32_t &bad_col) {
  RowActivity act;
  for (int32_t p = rows.begin(i); p < rows.end(i); ++p)
    act.add(rows.val[static_cast<size_t>(p)], bounds.lower(rows.col[static_cast<size_t>(p)]),
            bounds.upper(rows.col[static_cast<size_t>(p)]));
  if (act.infeasible(rlo, rup, feastol)) return RowWalk::RowInfeasible;
  for (int32_t p = rows.begin(i); p < rows.end(i); ++p) {
    const int32_t j = rows.col[static_cast<size_t>(p)];
    if (!integer[static_cast<size_t>(j)]) continue;
    const double lo = bounds.lower(j), up = bounds.upper(j);
    if (lo == up) continue;
    const double a = rows.val[static_cast<size_t>(p)];
    double new_lo = lo, new_up = up;
    implied_integer_bounds(a, rlo, rup, act.rest_min(a, lo, up), act.rest_max(a, lo, up), new_lo, new_up);
    if (new_lo == lo && new_up == up) continue;
    if (new_lo > new_up) {
      bad_col = j;
      return RowWalk::ColumnInfeasible;
    }
    // The activity was computed with the old bounds; it stays a valid
    // (looser) range for the rest of this row.
    bounds.set(j, new_lo, new_up);
  }
  return RowWalk::Done;
}

}  // namespace tvl::mip
