#include "mip/heuristics/local_branching.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/lp_rows.h"

namespace tvl::mip {

namespace {

constexpr int32_t kRadius = 10;
constexpr int32_t kMinBinaries = 20;

}  // namespace

bool local_branching_model(const MipModel &model, const std::vector<double> &x, int32_t k, int32_t min_binaries,
                           MipModel &out) {
  const lp::LpModel &m = model.lp;
  // sum over binaries at 0 of x_j + sum over binaries at 1 of (1 - x_j) <= radius.
  LpRow row{{}, {}, -kInfBound, 0.0};
  int32_t ones = 0;
  for (int32_t j : model.intcols) {
    const size_t c = static_cast<size_t>(j);
    if (m.collo[c] != 0.0 || m.colup[c] != 1.0) continue;
    const bool one = std::round(x[c]) == 1.0;
    row.ind.push_back(j);
    row.val.push_back(one ? -1.0 : 1.0);
    ones += one;
  }
  const int32_t binaries = static_cast<int32_t>(row.ind.size());
  if (binaries < min_binaries || model.has_special()) return false;
  row.upper = static_cast<double>(std::min(k, std::max<int32_t>(1, binaries / 5)) - ones);
  out = model;
  append_rows(out.lp, {row});
  return true;
}

void LocalBranching::run(HeurInput &in, Points &found) {
  if (!in.incumbent || !search_) return;
  MipModel sub;
  if (!local_branching_model(*in.model, *in.incumbent, kRadius, kMinBinaries, sub)) return;
  keep_if_feasible(in, search_(sub, node_limit_, in.cutoff, SubMipAim::Improve), found);
}

}  // namespace tvl::mip
