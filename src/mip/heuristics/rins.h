// Relaxation induced neighbourhood search, after
//   E. Danna, E. Rothberg, C. Le Pape, "Exploring relaxation induced
//   neighborhoods to improve MIP solutions", Mathematical Programming 102
//   (2005) 71-90.
//
// Integer columns whose value in the node's LP solution agrees with the
// incumbent (within the integrality tolerance) are fixed at that value in
// a copy of the model, and the copy is searched as a MIP of its own with
// a node limit (TVL_PARAM_SUBMIPNODELIM), the search's iteration budget
// for sub-MIPs (mip/mipbb.cpp) and the incumbent's pruning
// cutoff, so that only better solutions count.  The sub-MIP runs without
// node log, information callback, pump or RINS of its own.  Nothing is
// done when fewer than 30 percent of the integer columns can be fixed
// (the neighbourhood would be as hard as the problem) or when all of them
// are (nothing left to search).
#pragma once

#include <cstdint>
#include <functional>

#include "mip/heuristics/heuristic.h"

namespace tvl::mip {

// What a sub-MIP is after: a better point than the cutoff (RINS, local
// branching), any point of a model that has none yet (box search), or any
// point of a model without objective, searched under a guiding cost that
// is its only aim (box search: the search has nothing else to do there, so
// the sub-MIP's work is bounded by its nodes, not by the search's).
enum class SubMipAim { Improve, AnyPoint, Guided };

// Searches `sub` (a restriction of the model) with at most `nodes` nodes
// and the given cutoff; its incumbent, or nothing.  Supplied by the search
// so that this unit does not depend on it.
using SubMipSearch =
    std::function<std::vector<double>(const MipModel &sub, int64_t nodes, double cutoff, SubMipAim aim)>;

class Rins : public Heuristic {
 public:
  Rins(SubMipSearch search, int64_t node_limit) : search_(std::move(search)), node_limit_(node_limit) {}
  const char *name() const override { return "RINS"; }
  void run(HeurInput &in, Points &found) override;

 private:
  SubMipSearch search_;
  int64_t node_limit_;
};

}  // namespace tvl::mip
