// The LP of the node being processed: the relaxation with the node's
// column bounds, solved by the dual simplex from a given basis (the
// parent's final basis after bound changes keeps dual feasibility, so the
// dual simplex warm-starts).  One object serves the whole search: scaling,
// factor and pricing weights carry over between solves.  A solve that ends
// in numerical trouble is repeated once from scratch.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/mip_model.h"
#include "mip/node.h"
#include "simplex/dualopt.h"

namespace tvl::mip {

class NodeLp {
 public:
  NodeLp(const MipModel &model, const lp::SimplexControl &control);
  // Puts the root bounds back and applies `changes` in order.
  void load(const std::vector<BoundChange> &changes);
  // Changes one column's bounds on top of the loaded node.
  void set_bounds(int32_t col, double lower, double upper);
  // Basis to start the next solve from.
  void set_basis(const lp::Basis &basis) { opt_->set_basis(basis); }
  double lower(int32_t col) const { return lo_[col]; }
  double upper(int32_t col) const { return up_[col]; }
  // Solves with at most `itlim` iterations (negative: no limit of its own;
  // the run's iteration limit, time limits and termination requests always
  // apply).  Iterations are counted in `iterations()`.
  lp::LpResult solve(int64_t itlim = -1);
  int64_t iterations() const { return iterations_; }

 private:
  void apply(int32_t col, double lower, double upper);

  const MipModel &model_;
  lp::SimplexControl control_;
  std::unique_ptr<lp::DualOptimizer> opt_;
  std::vector<double> lo_, up_;
  std::vector<int32_t> touched_;
  std::vector<char> is_touched_;
  int64_t budget_ = -1;
  int64_t iterations_ = 0;
};

}  // namespace tvl::mip
