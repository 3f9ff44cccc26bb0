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
  RowActivity act;
  for (int32_t p = b; p < e; ++p) act.add(rows_.val[p], lp.lower(rows_.col[p]), lp.upper(rows_.col[p]));
  const double rlo = model_.lp.rowlo[static_cast<size_t>(i)], rup = model_.lp.rowup[static_cast<size_t>(i)];
  if (act.infeasible(rlo, rup, feastol_)) return false;
  // Nothing to derive unless the activity range leaves a side reachable
  // only by restricting some column.
  for (int32_t p = b; p < e; ++p) {
    const int32_t j = rows_.col[p];
    if (!model_.integer[static_cast<size_t>(j)]) continue;
    const double lo = lp.lower(j), up = lp.upper(j);
    if (lo == up) continue;
    const double a = rows_.val[p];
    double new_lo = lo, new_up = up;
    implied_integer_bounds(a, rlo, rup, act.rest_min(a, lo, up), act.rest_max(a, lo, up), new_lo, new_up);
    if (new_lo == lo && new_up == up) continue;
    if (new_lo > new_up) return false;
    // The activity was computed with the old bounds; it stays a valid
    // (looser) range for the rest of this row.
    lp.set_bounds(j, new_lo, new_up);
    changes.push_back({j, new_lo, new_up});
    ++tightened_;
    queue_rows_of(j);
  }
  return true;
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
