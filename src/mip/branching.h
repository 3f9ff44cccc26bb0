// Choice of the branching column at a node (TVL_PARAM_VARSEL).  Each rule
// is one unit behind BranchRule:
//   -1 minimum infeasibility, 1 maximum infeasibility (branching.cpp);
//    2 pseudo costs, 0 automatic = reliability branching, pseudo costs
//      initialised by strong branching (Achterberg, Koch, Martin 2005,
//      "Branching rules revisited"), 3 strong branching on every candidate
//      (Applegate, Bixby, Chvatal, Cook 1995) (reliability.cpp);
//    4 pseudo reduced costs: degradations estimated from the node LP's
//      reduced costs (branching.cpp).
// Strong branching solves both children of a candidate with a few dual
// simplex iterations from the node's basis; a child proved infeasible (or
// above the cutoff) is not created, and a node whose children are both
// such is infeasible.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "mip/pseudocost.h"

namespace tvl::mip {

struct Candidate {
  int32_t col;
  double value;
  double frac;  // value - floor(value)
};

struct BranchContext {
  const MipModel &model;
  NodeLp &lp;                     // holds the node's bounds; strong branching restores them
  const lp::LpResult &result;     // the node's LP solution
  const std::vector<Candidate> &cands;
  Pseudocosts &pc;
  std::function<bool(double)> prunes;  // whether a child bound is cut off
  double epint;
  int64_t avg_node_iterations;
  int64_t strong_iterations = 0;  // out: strong branching iterations spent
  // Iterations strong branching may spend at this node under reliability
  // branching (negative: no budget); candidates beyond it are ranked by
  // their pseudo costs alone.
  int64_t strong_budget = -1;
};

struct BranchChoice {
  int32_t index = -1;             // into the candidates; -1: the node is infeasible
  char first = 'U';               // child processed first
  double down_bound = -1e75, up_bound = -1e75;  // known child bounds (1e75: not created)
};

class BranchRule {
 public:
  virtual ~BranchRule() = default;
  virtual BranchChoice choose(BranchContext &ctx) = 0;
};

struct BranchSettings {
  int varsel = 0;
  int brdir = 0;            // -1 down first, 1 up first, 0 automatic (up first)
  int strong_cand_lim = 10;
  int strong_it_lim = 0;    // 0: automatic
};

std::unique_ptr<BranchRule> make_branch_rule(const BranchSettings &s);
std::unique_ptr<BranchRule> make_reliability_rule(const BranchSettings &s, int reliability);

// Direction of the first child from the settings ('U' or 'D').
char first_direction(int brdir);

}  // namespace tvl::mip
