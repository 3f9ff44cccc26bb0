// Rows appended to an LP model: the node LP's cuts, the local branching
// row, the feasibility pump's distance rows.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::mip {

// A row lower <= sum val[k] x[ind[k]] <= upper.
struct LpRow {
  std::vector<int32_t> ind;
  std::vector<double> val;
  double lower, upper;
};

// Appends `rows` (over the model's columns) after the model's rows.  The
// matrix is rebuilt column by column: each column keeps its entries and
// gets its entries of the new rows after them, in row order.
void append_rows(lp::LpModel &model, const std::vector<LpRow> &rows);

}  // namespace tvl::mip
