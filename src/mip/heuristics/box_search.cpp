#include "mip/heuristics/box_search.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {

bool unbounded(double b) { return std::fabs(b) >= kInfBound; }

// The guided search of a model without objective may take this many times
// the box's nodes: it is the search's only way to a point there.
constexpr int64_t kGuidedNodeFactor = 10;

// For a model without an objective: a cost that pulls every integer column
// with one infinite side towards its finite one (+1 with only a lower
// bound, -1 with only an upper one); empty when the model has an
// objective or no such column.  Any point answers a feasibility model,
// and a flat objective leaves the relaxation's vertices to chance, out
// along its rays.  The pull is bounded below on the model's own bounds.
std::vector<double> pull_to_bounds(const MipModel &model) {
  for (double c : model.lp.cost)
    if (c != 0.0) return {};
  std::vector<double> cost(model.lp.cost.size(), 0.0);
  bool any = false;
  for (int32_t j : model.intcols) {
    const size_t k = static_cast<size_t>(j);
    const bool lo = !unbounded(model.lp.collo[k]), up = !unbounded(model.lp.colup[k]);
    if (lo == up) continue;
    cost[k] = lo ? 1.0 : -1.0;
    any = true;
  }
  return any ? cost : std::vector<double>{};
}

}  // namespace

double box_lower(double centre, double width) { return std::floor(centre - width * std::max(1.0, std::fabs(centre))); }

double box_upper(double centre, double width) { return std::ceil(centre + width * std::max(1.0, std::fabs(centre))); }

bool BoxSearch::wanted(const MipModel &model) {
  for (int32_t j : model.intcols)
    if (unbounded(model.lp.collo[static_cast<size_t>(j)]) || unbounded(model.lp.colup[static_cast<size_t>(j)]))
      return true;
  return false;
}

void BoxSearch::run(HeurInput &in, Points &found) {
  if (!search_) return;
  const MipModel &model = *in.model;
  const std::vector<double> &x = in.lp->x;
  std::vector<double> pull = in.cutoff < kInfBound ? std::vector<double>{} : pull_to_bounds(model);
  if (!pull.empty()) {
    MipModel pulled = model;
    pulled.lp.cost = std::move(pull);
    complete_mip_model(pulled);  // the granularity of the new objective
    // No cutoff: the pull is not the model's objective.
    if (keep_if_feasible(in, search_(pulled, kGuidedNodeFactor * node_limit_, kNoValue, SubMipAim::Guided), found))
      return;
  }
  for (double width : kBoxWidths) {
    MipModel sub = model;
    for (int32_t j : model.intcols) {
      const size_t k = static_cast<size_t>(j);
      if (unbounded(sub.lp.collo[k])) sub.lp.collo[k] = box_lower(x[k], width);
      if (unbounded(sub.lp.colup[k])) sub.lp.colup[k] = box_upper(x[k], width);
    }
    if (keep_if_feasible(in, search_(sub, node_limit_, in.cutoff, SubMipAim::AnyPoint), found)) return;
  }
}

}  // namespace tvl::mip
