#include "mip/heuristics/local_branching.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {

constexpr int32_t kRadius = 10;
constexpr int32_t kMinBinaries = 20;

}  // namespace

bool local_branching_model(const MipModel &model, const std::vector<double> &x, int32_t k, int32_t min_binaries,
                           MipModel &out) {
  const lp::LpModel &m = model.lp;
  std::vector<double> coef(static_cast<size_t>(m.a.n), 0.0);
  int32_t binaries = 0, ones = 0;
  for (int32_t j : model.intcols) {
    const size_t c = static_cast<size_t>(j);
    if (m.collo[c] != 0.0 || m.colup[c] != 1.0) continue;
    ++binaries;
    const bool one = std::round(x[c]) == 1.0;
    coef[c] = one ? -1.0 : 1.0;
    ones += one;
  }
  if (binaries < min_binaries || model.has_special()) return false;
  out = model;
  lp::LpModel &l = out.lp;
  const int32_t row = l.a.m;
  // Rebuild the columns with the new row's entry last in each.
  lp::CscMatrix a;
  a.m = row + 1;
  a.n = l.a.n;
  a.start.assign(1, 0);
  for (int32_t j = 0; j < l.a.n; ++j) {
    for (int32_t p = l.a.start[static_cast<size_t>(j)]; p < l.a.start[static_cast<size_t>(j) + 1]; ++p) {
      a.index.push_back(l.a.index[static_cast<size_t>(p)]);
      a.value.push_back(l.a.value[static_cast<size_t>(p)]);
    }
    if (coef[static_cast<size_t>(j)] != 0.0) {
      a.index.push_back(row);
      a.value.push_back(coef[static_cast<size_t>(j)]);
    }
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  l.a = std::move(a);
  l.rowlo.push_back(-kInfBound);
  l.rowup.push_back(static_cast<double>(std::min(k, std::max<int32_t>(1, binaries / 5)) - ones));
  return true;
}

void LocalBranching::run(HeurInput &in, Points &found) {
  if (!in.incumbent || !search_) return;
  MipModel sub;
  if (!local_branching_model(*in.model, *in.incumbent, kRadius, kMinBinaries, sub)) return;
  keep_if_feasible(in, search_(sub, node_limit_, in.cutoff), found);
}

}  // namespace tvl::mip
