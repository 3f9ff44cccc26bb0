#include "mip/heuristics/box_search.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {

// Half-widths of the boxes tried, as multiples of max(1, |x_j|).
constexpr double kWidths[] = {10.0, 1000.0};

bool unbounded(double b) { return std::fabs(b) >= kInfBound; }

}  // namespace

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
  for (double width : kWidths) {
    MipModel sub = model;
    for (int32_t j : model.intcols) {
      const size_t k = static_cast<size_t>(j);
      const double w = width * std::max(1.0, std::fabs(x[k]));
      if (unbounded(sub.lp.collo[k])) sub.lp.collo[k] = std::floor(x[k] - w);
      if (unbounded(sub.lp.colup[k])) sub.lp.colup[k] = std::ceil(x[k] + w);
    }
    if (keep_if_feasible(in, search_(sub, node_limit_, in.cutoff), found)) return;
  }
}

}  // namespace tvl::mip
