#include "mip/heuristics/simple_rounding.h"

#include <cmath>

namespace tvl::mip {

namespace {

// Whether moving column j by `delta` keeps every row of the column inside
// its sides (given the activities act).
bool move_fits(const lp::LpModel &m, int32_t j, double delta, const std::vector<double> &act, double feastol) {
  for (int32_t k = m.a.start[j]; k < m.a.start[j + 1]; ++k) {
    const int32_t i = m.a.index[k];
    const double a = act[i] + m.a.value[k] * delta;
    if (a < m.rowlo[i] - feastol || a > m.rowup[i] + feastol) return false;
  }
  return true;
}

void apply_move(const lp::LpModel &m, int32_t j, double delta, std::vector<double> &x, std::vector<double> &act) {
  x[j] += delta;
  for (int32_t k = m.a.start[j]; k < m.a.start[j + 1]; ++k) act[m.a.index[k]] += m.a.value[k] * delta;
}

}  // namespace

void row_activities(const lp::LpModel &m, const std::vector<double> &x, std::vector<double> &act) {
  act.assign(static_cast<size_t>(m.a.m), 0.0);
  for (int32_t j = 0; j < m.a.n; ++j)
    if (x[j] != 0.0)
      for (int32_t k = m.a.start[j]; k < m.a.start[j + 1]; ++k) act[m.a.index[k]] += m.a.value[k] * x[j];
}

bool round_by_locks(const MipModel &model, const Locks &locks, double epint, double feastol, std::vector<double> &x,
                    std::vector<double> &act) {
  const lp::LpModel &m = model.lp;
  for (int32_t j : model.intcols) {
    const double v = x[j];
    const double down = std::floor(v + epint), up = std::ceil(v - epint);
    if (down == up) {
      x[j] = down;
      continue;
    }
    const double ddown = down - v, dup = up - v;
    if (locks.down[j] == 0) {
      apply_move(m, j, ddown, x, act);
    } else if (locks.up[j] == 0) {
      apply_move(m, j, dup, x, act);
    } else {
      const bool down_first = locks.down[j] <= locks.up[j];
      const double first = down_first ? ddown : dup, second = down_first ? dup : ddown;
      if (move_fits(m, j, first, act, feastol)) apply_move(m, j, first, x, act);
      else if (move_fits(m, j, second, act, feastol)) apply_move(m, j, second, x, act);
      else return false;
    }
  }
  return true;
}

bool SimpleRounding::try_point(const HeurInput &in, const std::vector<double> &lpx, Points &found) {
  std::vector<double> x = lpx;
  row_activities(in.model->lp, x, act_);
  if (!round_by_locks(*in.model, locks_, in.epint, 0.5 * kAcceptTol, x, act_)) return false;
  return keep_if_feasible(in, std::move(x), found);
}

}  // namespace tvl::mip
