#include "mip/heuristics/rins.h"

#include <cmath>

namespace tvl::mip {

void Rins::run(HeurInput &in, Points &found) {
  if (!in.incumbent || !search_) return;
  const MipModel &model = *in.model;
  const std::vector<double> &inc = *in.incumbent, &x = in.lp->x;
  MipModel sub = model;
  size_t fixed = 0;
  for (int32_t j : model.intcols) {
    if (std::fabs(x[j] - inc[j]) > in.epint) continue;
    const double v = std::round(inc[j]);
    if (v < model.lp.collo[j] || v > model.lp.colup[j]) continue;
    sub.lp.collo[j] = sub.lp.colup[j] = v;
    ++fixed;
  }
  if (fixed == model.intcols.size() || static_cast<double>(fixed) < 0.3 * static_cast<double>(model.intcols.size()))
    return;
  keep_if_feasible(in, search_(sub, node_limit_, in.cutoff, SubMipAim::Improve), found);
}

}  // namespace tvl::mip
