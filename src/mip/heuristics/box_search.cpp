#include "mip/heuristics/box_search.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {

bool unbounded(double b) { return std::fabs(b) >= kInfBound; }

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
