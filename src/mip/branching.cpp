#include "mip/branching.h"

#include <algorithm>
#include <cmath>

namespace tvl::mip {

namespace {

double infeasibility(double frac) { return std::min(frac, 1.0 - frac); }

// Maximum infeasibility: the candidate farthest from an integer (the first
// of equals).  Minimum infeasibility: the one nearest to an integer among
// those farther than 0.01.
class InfeasibilityRule : public BranchRule {
 public:
  InfeasibilityRule(int brdir, bool maximum) : first_(first_direction(brdir)), maximum_(maximum) {}
  BranchChoice choose(BranchContext &ctx) override {
    BranchChoice c;
    c.first = first_;
    double best = maximum_ ? -1.0 : 2.0;
    for (size_t k = 0; k < ctx.cands.size(); ++k) {
      const double v = infeasibility(ctx.cands[k].frac);
      const bool better = maximum_ ? v > best : (v > 0.01 && v < best);
      if (better) best = v, c.index = static_cast<int32_t>(k);
    }
    if (c.index < 0) c.index = 0;  // every candidate within 0.01 of an integer
    return c;
  }

 private:
  char first_;
  bool maximum_;
};

// Degradations from the reduced costs: moving a nonbasic-like column by
// its fractional part costs at least |d_j| per unit in the direction its
// reduced cost opposes.
class PseudoReducedCost : public BranchRule {
 public:
  BranchChoice choose(BranchContext &ctx) override {
    BranchChoice c;
    double best = -1.0;
    for (size_t k = 0; k < ctx.cands.size(); ++k) {
      const Candidate &cand = ctx.cands[k];
      const double f = cand.frac;
      double score = 0.0, d = 0.0, u = 0.0;
      if (f > ctx.epint && f < 1.0 - ctx.epint) {
        const double dj = ctx.result.dj.empty() ? 0.0 : ctx.result.dj[cand.col];
        d = std::max(dj, 0.0) * f + 1e-3 * f;
        u = std::max(-dj, 0.0) * (1.0 - f) + 1e-3 * (1.0 - f);
        score = Pseudocosts::score(d, u);
      }
      if (score > best) {
        best = score;
        c.index = static_cast<int32_t>(k);
        c.first = u <= d ? 'U' : 'D';
      }
    }
    return c;
  }
};

}  // namespace

char first_direction(int brdir) { return brdir < 0 ? 'D' : 'U'; }

std::unique_ptr<BranchRule> make_branch_rule(const BranchSettings &s) {
  switch (s.varsel) {
    case -1: return std::make_unique<InfeasibilityRule>(s.brdir, false);
    case 1: return std::make_unique<InfeasibilityRule>(s.brdir, true);
    case 2: return make_reliability_rule(s, 0);
    case 3: return make_reliability_rule(s, 1 << 30);
    case 4: return std::make_unique<PseudoReducedCost>();
    default: return make_reliability_rule(s, 4);
  }
}

}  // namespace tvl::mip
