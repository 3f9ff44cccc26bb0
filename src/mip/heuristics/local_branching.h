// Local branching as a primal heuristic, after
//   M. Fischetti, A. Lodi, "Local branching", Mathematical Programming 98
//   (2003) 23-47.
//
// Around the incumbent x~ the copy of the model gains the soft local
// branching row over the binary columns B,
//   sum_{j in B, x~_j = 0} x_j + sum_{j in B, x~_j = 1} (1 - x_j) <= k,
// which admits the points that flip at most k of them (k = 10, at most a
// fifth of B), and is searched as a MIP of its own with a node limit
// (TVL_PARAM_SUBMIPNODELIM) and the incumbent's pruning cutoff, like RINS.
// Nothing is done without an incumbent, with fewer than 20 binaries or
// with special structures.
#pragma once

#include <cstdint>

#include "mip/heuristics/heuristic.h"
#include "mip/heuristics/rins.h"

namespace tvl::mip {

class LocalBranching : public Heuristic {
 public:
  LocalBranching(SubMipSearch search, int64_t node_limit) : search_(std::move(search)), node_limit_(node_limit) {}
  const char *name() const override { return "local branching"; }
  void run(HeurInput &in, Points &found) override;

 private:
  SubMipSearch search_;
  int64_t node_limit_;
};

// The model with the local branching row of radius k around x appended;
// false (and `out` untouched) when the model has fewer than `min_binaries`
// binary columns.
bool local_branching_model(const MipModel &model, const std::vector<double> &x, int32_t k, int32_t min_binaries,
                           MipModel &out);

}  // namespace tvl::mip
