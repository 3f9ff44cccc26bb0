#include "mip/heuristics/diving.h"

#include <cmath>
#include <limits>
#include "runtime/workcount.h"

namespace tvl::mip {

const char *Diving::name() const {
  switch (rule_) {
    case DiveRule::Fractional: return "fractional diving";
    case DiveRule::Coefficient: return "coefficient diving";
    case DiveRule::Pseudocost: return "pseudo-cost diving";
    case DiveRule::Guided: return "guided diving";
  }
  return "diving";
}

bool Diving::rule_direction(const HeurInput &in, int32_t j, double xj, double f, double &score) const {
  switch (rule_) {
    case DiveRule::Fractional:
      score = f > 0.5 ? 1.0 - f : f;
      return f > 0.5;
    case DiveRule::Coefficient: {
      const int32_t ld = locks_.down[j], lu = locks_.up[j];
      const bool up = lu < ld || (lu == ld && f > 0.5);
      // Fewest locks first; the fractionality in that direction breaks ties.
      score = static_cast<double>(up ? lu : ld) + (up ? 1.0 - f : f);
      return up;
    }
    case DiveRule::Pseudocost: {
      const double down = in.pseudocosts->down(j) * f, upc = in.pseudocosts->up(j) * (1.0 - f);
      const bool up = f > 0.7 || (f >= 0.3 && upc < down);
      score = -(1.0 + (up ? down : upc)) / (1.0 + (up ? upc : down));
      return up;
    }
    case DiveRule::Guided: {
      const double target = (*in.incumbent)[j];
      score = std::fabs(xj - target);
      return target > xj;
    }
  }
  score = 0.0;
  return false;
}

Diving::Choice Diving::choose(const HeurInput &in, const std::vector<double> &x) const {
  Choice best, best_free;
  double best_score = std::numeric_limits<double>::infinity(), free_score = best_score;
  for (int32_t j : in.model->intcols) {
    const double f = x[j] - std::floor(x[j]);
    if (f <= in.epint || f >= 1.0 - in.epint) continue;
    double score;
    const bool up = rule_direction(in, j, x[j], f, score);
    const bool trivial = locks_.down[j] == 0 || locks_.up[j] == 0;
    if (trivial) {
      if (score < free_score) free_score = score, best_free = {j, up};
    } else if (score < best_score) {
      best_score = score, best = {j, up};
    }
  }
  return best.col >= 0 ? best : best_free;
}

void Diving::run(HeurInput &in, Points &found) {
  if ((rule_ == DiveRule::Guided && !in.incumbent) || (rule_ == DiveRule::Pseudocost && !in.pseudocosts)) return;
  NodeLp &lp = *in.node_lp;
  std::vector<double> x = in.lp->x;
  const int64_t start = lp.iterations();
  const uint64_t work_start = thread_work();
  bool backtracked = false;
  // Bounds the dive changed, with their values before it: put back at the
  // end, so that the next heuristic at this node starts from the node.
  std::vector<BoundChange> saved;
  for (;;) {
    if (rounding_.try_point(in, x, found)) break;
    const Choice c = choose(in, x);
    if (c.col < 0) break;
    const int64_t left = budget_ - (lp.iterations() - start);
    if (left <= 0 || thread_work() - work_start >= work_budget_) break;
    in.lp_touched = true;
    const double lo = lp.lower(c.col), up = lp.upper(c.col);
    const double v = x[c.col];
    saved.push_back({c.col, lo, up});
    if (c.up) lp.set_bounds(c.col, std::ceil(v), up);
    else lp.set_bounds(c.col, lo, std::floor(v));
    lp::LpResult r = lp.solve(left);
    bool dead = r.status == lp::LpStatus::Infeasible || (r.status == lp::LpStatus::Optimal && r.objval >= in.cutoff);
    if (dead && !backtracked) {
      backtracked = true;
      if (c.up) lp.set_bounds(c.col, lo, std::floor(v));
      else lp.set_bounds(c.col, std::ceil(v), up);
      r = lp.solve(std::max<int64_t>(1, budget_ - (lp.iterations() - start)));
      dead = r.status == lp::LpStatus::Infeasible || (r.status == lp::LpStatus::Optimal && r.objval >= in.cutoff);
    }
    if (dead || r.status != lp::LpStatus::Optimal) break;
    x = std::move(r.x);
  }
  for (size_t k = saved.size(); k-- > 0;) lp.set_bounds(saved[k].col, saved[k].lower, saved[k].upper);
  spent_ += lp.iterations() - start;
  work_spent_ += thread_work() - work_start;
}

}  // namespace tvl::mip
