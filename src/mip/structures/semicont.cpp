// Semi-continuous and semi-integer columns: x = 0 or lower <= x <= upper.
// A value strictly between 0 and the lower bound is cut off by the
// children x = 0 and x in [lower, upper].
#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/structures/structures.h"

namespace tvl::mip {

void read_semicont(const tvllp *lp, MipModel &model) {
  if (!lp->mip) return;
  for (int32_t j = 0; j < model.user_cols; ++j) {
    const char t = lp->mip->ctype[j];
    if (t != 'S' && t != 'N') continue;
    double &lo = model.lp.collo[j], &up = model.lp.colup[j];
    // With a lower bound at or below 0 the set {0} u [lo, up] is an interval.
    if (lo > 0.0) model.semicont.push_back({j, lo, up});
    lo = std::min(lo, 0.0);
    up = std::max(up, 0.0);
  }
}

double semicont_violation(const MipModel &model, const std::vector<double> &x) {
  double worst = 0.0;
  for (const SemiCont &c : model.semicont) {
    const double v = x[c.col];
    const double off_interval = std::max({c.lower - v, v - c.upper, 0.0});
    worst = std::max(worst, std::min(std::fabs(v), off_interval));
  }
  return worst;
}

bool branch_semicont(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, SpecialBranch &out) {
  for (const SemiCont &c : model.semicont) {
    const double v = x[c.col];
    if (v <= kSpecialTol || v >= c.lower - kSpecialTol) continue;
    out.created[0] = restrict_col(lp, c.col, 0.0, 0.0, out.child[0]);
    out.created[1] = restrict_col(lp, c.col, c.lower, c.upper, out.child[1]);
    return true;
  }
  return false;
}

}  // namespace tvl::mip
