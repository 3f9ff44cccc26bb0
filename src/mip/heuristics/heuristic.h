// What a primal heuristic of the search sees and hands back.
//
// A heuristic is given the model, the LP solution of the node being
// processed and the node's LP (with the node's bounds loaded) and returns
// integer-feasible points of the model; the search offers each of them as
// an incumbent (mip/incumbent.h), marked in the node log as found by a
// heuristic.  A heuristic may change bounds of the node LP and solve it
// again (diving); the caller puts the node's bounds and basis back
// afterwards when `HeurInput::lp_touched` says so.  Every point returned
// satisfies max_violation(model, x) <= kAcceptTol.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "mip/pseudocost.h"

struct tvlenv;

namespace tvl::mip {

struct HeurInput {
  tvlenv *env = nullptr;
  const MipModel *model = nullptr;
  const lp::LpResult *lp = nullptr;  // optimal LP solution of the node
  NodeLp *node_lp = nullptr;         // the node's LP, node bounds loaded
  double cutoff = 1e75;              // points must have an objective below this (internal form)
  bool has_incumbent = false;
  const std::vector<double> *incumbent = nullptr;  // the incumbent's point, when there is one
  const Pseudocosts *pseudocosts = nullptr;        // the search's, when it keeps them
  double epint = 1e-5;
  int depth = 0;
  int64_t search_iterations = 0;     // simplex iterations the search spent so far
  uint64_t search_work = 0;          // work units the search spent so far (heuristics included)
  bool lp_touched = false;           // out: the heuristic changed the node LP
  // Whether a point of objective z would end the search (its gap to the
  // search's bound within the gap tolerances); empty: never.  The
  // heuristics after a point that does are skipped.
  std::function<bool(double z)> closes_gap;
};

using Points = std::vector<std::vector<double>>;

class Heuristic {
 public:
  virtual ~Heuristic() = default;
  virtual const char *name() const = 0;
  // Appends the integer-feasible points found to `found`.
  virtual void run(HeurInput &in, Points &found) = 0;
};

// Appends x to `found` when it satisfies the model and its objective lies
// below `in.cutoff`; true when it was appended.
bool keep_if_feasible(const HeurInput &in, std::vector<double> x, Points &found);

}  // namespace tvl::mip
