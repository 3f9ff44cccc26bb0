// A row-wise copy of the working form's structural matrix whose rows list
// the "active" columns first: in row i the positions [begin(i), end(i))
// hold the columns that can enter the basis (nonbasic and not fixed), the
// rest of the row the basic and fixed ones.  The dual simplex builds its
// pivot row from the active part only: alpha_rj of a basic column is 0 or
// 1 by construction and a fixed column never enters, so on a typical LP a
// third to a half of each row's entries would be computed only to be
// skipped by the ratio test.  (A row-wise copy of the nonbasic part of the
// matrix, kept up to date at each basis change, is described in Koberstein
// 2005, "The dual simplex method, techniques for a fast and stable
// implementation", on computing the transformed pivot row.)
//
// A column that enters or leaves the active set moves its entries across
// the boundary of each of its rows by one swap each, so a basis change costs
// the entries of the entering and the leaving column.  The order within a
// row therefore depends on the history of pivots; the pivot row's values do
// not (each alpha_j sums over the rows of rho in rho's order), and the
// ratio test breaks ties by column index, so neither does the choice.
#pragma once

#include <cstdint>
#include <vector>

#include "simplex/simplex_lp.h"

namespace tvl::lp {

class RowPartition {
 public:
  // Builds the copy from lp's column-wise matrix; column j is active when
  // active[j] is nonzero (n entries).  Within each part the columns are in
  // ascending order.
  void build(const SimplexLp &lp, const std::vector<int8_t> &active);
  // Moves column j into the active part or out of it (it must be on the
  // other side now).
  void activate(const SimplexLp &lp, int32_t j);
  void deactivate(const SimplexLp &lp, int32_t j);
  // Brings a built copy of the same matrix to a new active set, moving
  // only the columns whose flag changed: after a few bound changes (the
  // node LPs of a search) this costs a pass over the flags instead of a
  // rebuild.
  void refresh(const SimplexLp &lp, const std::vector<int8_t> &active);

  int32_t begin(int32_t i) const { return start_[i]; }
  int32_t end(int32_t i) const { return mid_[i]; }
  const int32_t *column() const { return col_.data(); }
  const double *value() const { return val_.data(); }
  // Whether row i's active part holds exactly the columns with active[j]
  // set, and the cross references agree (for debug checks and tests).
  bool consistent(const SimplexLp &lp, const std::vector<int8_t> &active) const;

 private:
  void swap_entries(int32_t p, int32_t q);
  std::vector<int32_t> start_, mid_;  // m + 1 (those of lp.rstart) and m
  std::vector<int32_t> col_;          // column of each row-wise position
  std::vector<double> val_;           // its value
  std::vector<int32_t> entry_;        // column-wise entry held at each position
  std::vector<int32_t> where_;        // row-wise position of each column-wise entry
  std::vector<int32_t> fill_rest_;    // scratch of build
  std::vector<int8_t> active_;        // n: whether each column is in the active parts
};

}  // namespace tvl::lp
