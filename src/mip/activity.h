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
#include <limits>

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

}  // namespace tvl::mip
