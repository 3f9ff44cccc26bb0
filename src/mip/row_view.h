// A row-wise copy of a column-wise matrix, for the parts of the MIP
// optimizer that walk rows: separators, bound tightening, propagation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "factor/factor.h"

namespace tvl::mip {

struct RowView {
  std::vector<int32_t> start;   // m + 1 entries
  std::vector<int32_t> col;
  std::vector<double> val;
  std::vector<int32_t> pos;     // each entry's position in the column-wise matrix
  void build(const lp::CscMatrix &a);
  int32_t begin(int32_t i) const { return start[static_cast<size_t>(i)]; }
  int32_t end(int32_t i) const { return start[static_cast<size_t>(i) + 1]; }
};

}  // namespace tvl::mip
