// Presolved MIP models that a search proved infeasible.
//
// The deletion filter often tests sets whose presolved models coincide:
// relaxing a bound that the rows imply again (a binary's upper bound 1
// under a knapsack row that allows at most one unit) gives back the very
// model of the last infeasible set, and its proof would be repeated node
// for node.  The memo keeps an exact image of the most recent infeasible
// models (bounds, rows, coefficients, integrality: everything that
// decides feasibility, not the objective) and answers a repeat at once.
// Presolve for these tests keeps every feasible point, so an equal
// presolved model is infeasible exactly when the remembered one was.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "mip/mip_model.h"

namespace tvl::conflict {

class ModelMemo {
 public:
  // Whether a model equal to `m` was proved infeasible.
  bool known_infeasible(const mip::MipModel &m);
  // Remembers `m` (the last image known_infeasible made) as infeasible.
  void add_infeasible();
  int64_t hits() const { return hits_; }

 private:
  struct Image {
    uint64_t hash = 0;
    std::vector<double> data;
  };
  static Image image_of(const mip::MipModel &m);

  std::deque<Image> infeasible_;  // most recent last
  Image last_;
  int64_t hits_ = 0;
};

}  // namespace tvl::conflict
