// A node of the search tree: the bound changes that distinguish it from the
// root, the basis to warm-start its LP from, and what selection and
// branching need to know about it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::mip {

struct BoundChange {
  int32_t col;
  double lower, upper;
};

struct Node {
  double bound = -1e75;      // lower bound of its subtree (internal form)
  double estimate = 0.0;     // estimated degradation to an integer solution
  double parent_obj = -1e75; // LP objective of the parent
  int32_t depth = 0;
  int32_t iinf = 0;          // integer infeasibilities of the parent's LP
  int64_t id = 0, parent = -1;
  int32_t branch_col = -1;   // column branched on to create it (-1: root)
  char dir = 'N';            // 'U' up or 'D' down branch
  double branch_dist = 0.0;  // distance the branched value had to move
  std::vector<BoundChange> changes;           // in order; later entries win
  int32_t fresh = 0;         // changes[fresh..] are new since the parent was propagated
  std::shared_ptr<const lp::Basis> basis;     // parent's final basis
};

}  // namespace tvl::mip
