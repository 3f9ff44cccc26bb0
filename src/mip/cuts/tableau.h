// Rows of the simplex tableau of an optimal basis, in the model's unscaled
// terms: for a basic variable x_B the equation
//   x_B + sum_{j nonbasic} alpha_j x_j + sum_{i nonbasic row} y_i s_i = 0
// of the system A x + s = 0 (s_i = -A_i x, so the slack's column in the
// basis is the unit vector e_i), with y = B^-T e_k for the basis position
// k of x_B and alpha_j = y' A_j.  The basis is factorized once, on the
// scaled matrix for accuracy (the LP layer's basis-solve factor,
// lp/binv_store.h); each row costs one transposed solve and a pass over
// the rows of A where y is nonzero.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/row_view.h"

namespace tvl {
struct FactorData;
}

namespace tvl::mip {

class TableauRows {
 public:
  // Nothing is factorized before the first row is asked for.
  TableauRows(const lp::LpModel &model, const lp::Basis &basis);
  ~TableauRows();
  TableauRows(const TableauRows &) = delete;
  TableauRows &operator=(const TableauRows &) = delete;
  // The tableau row of basic structural column j: alpha over the columns
  // (n) and y over the rows (m).  False when j is not basic or the basis
  // cannot be factorized.
  bool row(int32_t j, std::vector<double> &alpha, std::vector<double> &y);
  // A row-wise (valid after a successful row()).
  const RowView &rows() const { return rows_; }

 private:
  bool ready();

  const lp::LpModel &model_;
  const lp::Basis &basis_;
  std::unique_ptr<FactorData> fd_;
  std::vector<int32_t> position_;          // basis position of each structural column, -1 nonbasic
  RowView rows_;                           // A row-wise
  int state_ = 0;                          // 0 not built, 1 ready, -1 failed
};

}  // namespace tvl::mip
