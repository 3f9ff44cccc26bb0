// One side of a model row read as a 0/1 knapsack, shared by the cover and
// clique separators.
//
// The side is written as  sum a_j x_j <= b.  Columns that are not binary
// (and binaries fixed by their bounds) go to the right-hand side at the
// bound that makes their term smallest; binaries with a negative
// coefficient are complemented (z = 1 - x).  What remains is
// sum w_j z_j <= b  with every w_j > 0.
#pragma once

#include <cstdint>
#include <vector>

#include "mip/mip_model.h"
#include "mip/row_view.h"

namespace tvl::mip {

struct KnapsackItem {
  int32_t col;
  double w;   // weight > 0
  double z;   // LP value of z (x, or 1 - x when complemented); 0 without a point
  bool flip;  // z = 1 - x
};

// Side `sign` (+1: a x <= rowup, -1: -a x <= -rowlo) of model row i under
// the column bounds collo/colup, with z taken from x when x is not null.
// False when a column that leaves is unbounded on the side that counts,
// or fewer than two items remain, or b is not positive.
bool knapsack_side(const MipModel &model, const RowView &rows, const std::vector<double> &collo,
                   const std::vector<double> &colup, const std::vector<double> *x, int32_t i, double sign,
                   std::vector<KnapsackItem> &items, double &b);

}  // namespace tvl::mip
