// Reliability branching (Achterberg, Koch, Martin 2005): candidates are
// ranked by their pseudo-cost score; a candidate whose pseudo costs rest on
// fewer than `reliability` observations in either direction is evaluated
// by strong branching instead, which also records the observed
// degradations as pseudo costs.  Strong branching stops after the
// candidate limit, or after 8 evaluations in a row that did not improve
// the best score (lookahead), or when the search's strong-branching budget
// is spent: over the whole search, automatic reliability branching spends
// at most half as many iterations in strong branching as in node LPs, plus
// a fixed allowance for the first nodes.  Reliability 0 gives plain pseudo-cost
// branching; a huge one strong branching on the candidates within the
// limit.
#include <algorithm>
#include <cmath>

#include "mip/branching.h"

namespace tvl::mip {

namespace {

constexpr int kLookahead = 8;

struct Trial {
  bool dead = false;      // infeasible, or its bound is cut off
  bool exact = false;     // solved to optimality: its objective bounds the child
  double gain = 0.0;      // objective degradation against the node
  double objective = -1e75;
};

class Reliability : public BranchRule {
 public:
  Reliability(const BranchSettings &s, int reliability) : s_(s), reliability_(reliability) {}

  BranchChoice choose(BranchContext &ctx) override {
    const std::vector<Candidate> &cands = ctx.cands;
    std::vector<std::pair<double, int32_t>> order;
    order.reserve(cands.size());
    for (size_t k = 0; k < cands.size(); ++k) {
      const Candidate &c = cands[k];
      order.emplace_back(-Pseudocosts::score(ctx.pc.down(c.col) * c.frac, ctx.pc.up(c.col) * (1.0 - c.frac)),
                         static_cast<int32_t>(k));
    }
    std::stable_sort(order.begin(), order.end());
    BranchChoice best;
    best.first = first_direction(s_.brdir);
    kept_ = false;
    double best_score = -1.0;
    int evaluated = 0, no_gain = 0;
    for (const auto &entry : order) {
      const int32_t k = entry.second;
      const Candidate &c = cands[k];
      const bool unreliable = std::min(ctx.pc.count(c.col, false), ctx.pc.count(c.col, true)) < reliability_;
      const bool affordable = ctx.strong_budget < 0 || ctx.strong_iterations < ctx.strong_budget;
      if (unreliable && affordable && evaluated < s_.strong_cand_lim && no_gain < kLookahead) {
        ++evaluated;
        const Trial down = trial(ctx, c, false), up = trial(ctx, c, true);
        if (down.dead || up.dead) {
          BranchChoice only;
          if (down.dead && up.dead) return only;  // node infeasible
          only.index = k;
          only.first = down.dead ? 'U' : 'D';
          only.down_bound = down.dead ? 1e75 : (down.exact ? down.objective : -1e75);
          only.up_bound = up.dead ? 1e75 : (up.exact ? up.objective : -1e75);
          return only;
        }
        const double score = Pseudocosts::score(down.gain, up.gain);
        if (score > best_score) {
          best_score = score;
          best.index = k;
          best.down_bound = down.exact ? down.objective : -1e75;
          best.up_bound = up.exact ? up.objective : -1e75;
          no_gain = 0;
        } else {
          ++no_gain;
        }
        continue;
      }
      const double score = -entry.first;
      if (score > best_score) {
        best_score = score;
        best.index = k;
        best.down_bound = best.up_bound = -1e75;
      }
    }
    return best;
  }

 private:
  int64_t iteration_limit(const BranchContext &ctx) const {
    const int64_t own = s_.strong_it_lim > 0 ? s_.strong_it_lim : std::clamp<int64_t>(2 * ctx.avg_node_iterations, 10, 500);
    if (ctx.strong_budget < 0) return own;
    return std::max<int64_t>(1, std::min(own, ctx.strong_budget - ctx.strong_iterations));
  }

  // Each trial starts from the node's basis with its factor and weights,
  // kept before the first trial and restored after each.
  Trial trial(BranchContext &ctx, const Candidate &c, bool up) {
    if (!kept_) {
      ctx.lp.set_basis(ctx.result.basis);
      ctx.lp.keep_state();
      kept_ = true;
    }
    const double lo = ctx.lp.lower(c.col), hi = ctx.lp.upper(c.col);
    if (up) ctx.lp.set_bounds(c.col, std::ceil(c.value), hi);
    else ctx.lp.set_bounds(c.col, lo, std::floor(c.value));
    const lp::LpResult r = ctx.lp.trial(iteration_limit(ctx));
    if (!ctx.lp.restore_state()) ctx.lp.set_basis(ctx.result.basis);
    ctx.lp.set_bounds(c.col, lo, hi);
    ctx.strong_iterations += r.iterations;
    Trial t;
    if (r.status == lp::LpStatus::Infeasible) {
      t.dead = true;
      return t;
    }
    if (r.status != lp::LpStatus::Optimal && r.status != lp::LpStatus::IterLimit) return t;
    t.exact = r.status == lp::LpStatus::Optimal;
    t.objective = r.objval;
    t.gain = std::max(0.0, r.objval - ctx.result.objval);
    if (t.exact && ctx.prunes(r.objval)) {
      t.dead = true;
      return t;
    }
    const double dist = up ? 1.0 - c.frac : c.frac;
    ctx.pc.update(c.col, up, t.gain, dist);
    return t;
  }

  BranchSettings s_;
  int reliability_;
  bool kept_ = false;  // the node's basis is kept for the trials
};

}  // namespace

std::unique_ptr<BranchRule> make_reliability_rule(const BranchSettings &s, int reliability) {
  return std::make_unique<Reliability>(s, reliability);
}

}  // namespace tvl::mip
