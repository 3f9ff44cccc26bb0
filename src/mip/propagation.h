// Bound propagation at a node of the search.
//
// A branching bound, or a bound fixed by reduced costs, often forces
// others through the rows: in a set-partitioning row one column at 1
// fixes the rest at 0, a knapsack row with a column fixed at 1 may leave
// no room for another.  Before the node LP is solved, the rows of the
// columns whose bounds changed are walked; each implies bounds on its
// integer columns from the activity range of the others (mip/activity.h),
// a tightened column queues its own rows, and so on until nothing moves
// or the work budget is spent.  A row whose activity range misses its
// sides proves the node infeasible without an LP solve.  The bounds found
// are applied to the node LP and recorded with the node's changes, so
// that its children start from them.
//
// Continuous columns take part in the activities but keep their bounds,
// as in presolve (an implied bound on them does not shrink the search).
//
// Follows the domain propagation for linear constraints described by
// Achterberg, "Constraint Integer Programming", PhD thesis, TU Berlin
// (2007), chapter 7.1, on top of the activity bounds of Savelsbergh (1994).
#pragma once

#include <cstdint>
#include <vector>

#include "mip/mip_model.h"
#include "mip/node.h"
#include "mip/node_lp.h"
#include "mip/row_view.h"

namespace tvl::mip {

class NodePropagator {
 public:
  NodePropagator(const MipModel &model, double feastol);
  // Propagates the bounds of the loaded node LP from the columns in
  // `seeds`, tightening the LP's bounds and appending each tightening to
  // `changes`.  Returns false when the node is proved infeasible.
  bool run(NodeLp &lp, const std::vector<int32_t> &seeds, std::vector<BoundChange> &changes);
  int64_t tightened() const { return tightened_; }
  int64_t cutoffs() const { return cutoffs_; }

 private:
  void queue_rows_of(int32_t col);
  // Walks row i; false when it cannot be met within the bounds.
  bool propagate_row(int32_t i, NodeLp &lp, std::vector<BoundChange> &changes);

  const MipModel &model_;
  double feastol_;
  RowView rows_;
  std::vector<int32_t> queue_;
  std::vector<char> queued_;
  int64_t budget_ = 0;  // entries still to walk in this run
  int64_t tightened_ = 0, cutoffs_ = 0;
};

}  // namespace tvl::mip
