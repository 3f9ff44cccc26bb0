#include "mip/heuristics/diving.h"

#include <cmath>
#include <limits>
#include "runtime/workcount.h"

namespace tvl::mip {

Diving::Choice Diving::choose(const MipModel &model, const std::vector<double> &x, double epint) const {
  Choice best, best_free;
  double best_score = std::numeric_limits<double>::infinity(), free_score = best_score;
  for (int32_t j : model.intcols) {
    const double f = x[j] - std::floor(x[j]);
    if (f <= epint || f >= 1.0 - epint) continue;
    bool up;
    double score;
    if (rule_ == DiveRule::Fractional) {
      up = f > 0.5;
      score = up ? 1.0 - f : f;
    } else {
      const int32_t ld = locks_.down[j], lu = locks_.up[j];
      up = lu < ld || (lu == ld && f > 0.5);
      // Fewest locks first; the fractionality in that direction breaks ties.
      score = static_cast<double>(up ? lu : ld) + (up ? 1.0 - f : f);
    }
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
  const MipModel &model = *in.model;
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
    const Choice c = choose(model, x, in.epint);
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
