#include "mip/heuristics/one_opt.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/heuristics/simple_rounding.h"

namespace tvl::mip {

namespace {

// Largest shift of column j in direction dir (+1 or -1) that keeps its
// bounds and every row's sides, for the activities act.
double room(const MipModel &model, const std::vector<double> &x, const std::vector<double> &act, int32_t j, int dir) {
  const lp::LpModel &m = model.lp;
  const size_t c = static_cast<size_t>(j);
  const double bound = dir > 0 ? m.colup[c] : m.collo[c];
  double s = std::fabs(bound) >= kInfBound ? kInfBound : std::fabs(bound - x[c]);
  for (int32_t p = m.a.start[c]; p < m.a.start[c + 1] && s > 0.0; ++p) {
    const size_t i = static_cast<size_t>(m.a.index[static_cast<size_t>(p)]);
    const double rate = dir * m.a.value[static_cast<size_t>(p)];
    if (rate > 0.0 && m.rowup[i] < kInfBound) s = std::min(s, (m.rowup[i] - act[i]) / rate);
    else if (rate < 0.0 && m.rowlo[i] > -kInfBound) s = std::min(s, (act[i] - m.rowlo[i]) / -rate);
  }
  return s;
}

}  // namespace

bool one_opt(const MipModel &model, std::vector<double> &x) {
  if (model.has_special()) return false;
  const lp::LpModel &m = model.lp;
  std::vector<int32_t> order;
  for (int32_t j : model.intcols)
    if (m.cost[static_cast<size_t>(j)] != 0.0) order.push_back(j);
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    return std::fabs(m.cost[static_cast<size_t>(a)]) > std::fabs(m.cost[static_cast<size_t>(b)]);
  });
  std::vector<double> act;
  const std::vector<double> start = x;
  bool improved = false;
  for (int32_t j : order) {
    if (act.empty()) row_activities(m, x, act);
    const size_t c = static_cast<size_t>(j);
    const int dir = m.cost[c] > 0.0 ? -1 : 1;
    const double s = room(model, x, act, j, dir);
    if (s >= kInfBound) continue;  // an unbounded ray is not this unit's business
    const double steps = std::floor(s + 1e-9);
    if (steps < 1.0) continue;
    x[c] += dir * steps;
    for (int32_t p = m.a.start[c]; p < m.a.start[c + 1]; ++p)
      act[static_cast<size_t>(m.a.index[static_cast<size_t>(p)])] += dir * steps * m.a.value[static_cast<size_t>(p)];
    improved = true;
  }
  // A step rounded up across a sliver of room must not break a row.
  if (improved && max_violation(model, x) > kAcceptTol) {
    x = start;
    return false;
  }
  return improved;
}

}  // namespace tvl::mip
