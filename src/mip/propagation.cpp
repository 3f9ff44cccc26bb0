#include "mip/propagation.h"

#include "mip/activity.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

// Entries walked per node at most, as a multiple of the matrix size; the
// propagation is cheap next to an LP solve only while it stays bounded.
constexpr int64_t kBudgetFactor = 2;
constexpr int64_t kBudgetMin = 20000;

}  // namespace

NodePropagator::NodePropagator(const MipModel &model, double feastol)
    : model_(model), feastol_(feastol), queued_(static_cast<size_t>(model.m()), 0) {
  rows_.build(model.lp.a);
}

void NodePropagator::queue_rows_of(int32_t col) {
  const lp::CscMatrix &a = model_.lp.a;
  for (int32_t p = a.start[static_cast<size_t>(col)]; p < a.start[static_cast<size_t>(col) + 1]; ++p) {
    const int32_t i = a.index[static_cast<size_t>(p)];
    if (queued_[static_cast<size_t>(i)]) continue;
    queued_[static_cast<size_t>(i)] = 1;
    queue_.push_back(i);
  }
}

bool NodePropagator::propagate_row(int32_t i, NodeLp &lp, std::vector<BoundChange> &changes) {
  const int32_t b = rows_.begin(i), e = rows_.end(i);
  budget_ -= 2 * (e - b);
  work_add(static_cast<uint64_t>(2 * (e - b)));
  // The node LP's bounds; a tightening is applied, recorded with the
  // node's changes and queues the column's rows.
  struct LpBounds {
    NodePropagator &self;
    NodeLp &lp;
    std::vector<BoundChange> &changes;
    double lower(int32_t j) const { return lp.lower(j); }
    double upper(int32_t j) const { return lp.upper(j); }
    void set(int32_t j, double lo, double up) {
      lp.set_bounds(j, lo, up);
      changes.push_back({j, lo, up});
      ++self.tightened_;
      self.queue_rows_of(j);
    }
  } bounds{*this, lp, changes};
  int32_t bad_col = -1;
  const size_t r = static_cast<size_t>(i);
  return tighten_row(rows_, i, model_.lp.rowlo[r], model_.lp.rowup[r], feastol_, model_.integer, bounds, bad_col) ==
         RowWalk::Done;
}

bool NodePropagator::run(NodeLp &lp, const std::vector<int32_t> &seeds, std::vector<BoundChange> &changes) {
  budget_ = std::max<int64_t>(kBudgetMin, kBudgetFactor * static_cast<int64_t>(rows_.col.size()));
  for (int32_t j : seeds) queue_rows_of(j);
  bool feasible = true;
  size_t head = 0;
  for (; head < queue_.size() && feasible && budget_ > 0; ++head) {
    const int32_t i = queue_[head];
    queued_[static_cast<size_t>(i)] = 0;
    feasible = propagate_row(i, lp, changes);
  }
  for (size_t k = head; k < queue_.size(); ++k) queued_[static_cast<size_t>(queue_[k])] = 0;
  queue_.clear();
  if (!feasible) ++cutoffs_;
  return feasible;
}

}  // namespace tvl::mip
