// Cuts separated at nodes of the tree.
//
// A family whose parameter is 2 or more (TVL_PARAM_COVERS,
// TVL_PARAM_MIRCUTS, TVL_PARAM_CLIQUES, TVL_PARAM_IMPLBD) is separated in
// the tree too.  At the automatic setting 0 and at 1, MIR cuts are also
// separated in the tree when the root found some and the tree's row
// allowance (below) holds at least one full round of cuts (20, so models
// of 80 rows or more), and the other families at the root only (air05's
// root finds no MIR cut, and ten idle tree rounds of the family would
// cost it a quarter of its run).  At a node whose LP solution is
// fractional, one round of those families is separated against the root
// bounds, so that every cut is valid for the whole tree; the violated ones
// enter the node LP as rows (after the cleaning and parallelism filter of
// mip/cuts/cut_pool.h) and the node is solved again.  Gomory cuts stay at
// the root: the tableau of a node rests on its local bounds.
//
// Rows are only appended, never removed during the tree, so that the
// basis stored with an open node stays valid (its missing rows get basic
// slacks, mip/node_lp.h): the tree may add at most a quarter as many rows
// as the model has (at least one).  Separation runs at nodes of depth 1
// to 10 and at every fourth level below, and stops for good once its
// re-solves' simplex iterations exceed a tenth of the node LPs' plus 2000,
// or after ten rounds in a row that added at most one cut each (mod011
// had 75 rounds, 46 of them idle, 15 of the rest with a single cut: tree
// MIR separation there cost 10% of the run without shrinking the tree;
// one A/B pair: 49 s instead of 57 s).  On rout (291 rows), with MIR
// cuts in the tree it adds 72 cuts in nine rounds and the best bound
// after 40 s with the optimum as cutoff reaches 1077.45 instead of 1065.4;
// on small dense models (mas76, pk1) the few cuts a quarter of their rows
// allows slow every node LP more than they shrink the tree, which is why
// the automatic setting needs room for a full round.
//
// The paper followed for separation inside the tree (cuts of global
// validity only, at a frequency that falls with depth):
//   T. Achterberg, "Constraint Integer Programming", PhD thesis, TU
//   Berlin, 2007 (chapter 8, cutting plane separation in the tree).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/cuts/cut_loop.h"
#include "mip/mip_state.h"
#include "mip/node_lp.h"

namespace tvl::mip {

class TreeCuts {
 public:
  // `root_mir_cuts`: the MIR cuts the root cut loop added.
  TreeCuts(const MipModel &model, const CutLoopSettings &settings, int64_t root_mir_cuts);
  ~TreeCuts();
  // False when no family is separated in the tree.
  bool enabled() const { return !separators_.empty(); }
  // True when a node at `depth` is due for a round, given the node LPs'
  // simplex iterations so far.
  bool due(int32_t depth, int64_t node_lp_iterations) const;
  // True when no node will be due any more: the row allowance is used up,
  // ten rounds in a row found nothing, or the re-solves have used their
  // share of the node LPs' iterations (which a longer search would renew:
  // a search that stops separating here takes it as the end).
  bool finished(int64_t node_lp_iterations) const;
  // One round at the node whose optimal LP solution is `r`: returns the
  // number of cuts added; when some were, `r` is the re-solved node LP's
  // result (which may be infeasible or stopped by a limit).  `cutoff` is
  // the incumbent's pruning cutoff.
  int64_t separate(NodeLp &lp, lp::LpResult &r, double cutoff, MipRecord &record);

 private:
  const MipModel &model_;
  CutLoopSettings s_;
  std::vector<CutFamily> separators_;
  std::vector<Cut> present_;  // the tree's cuts, for the parallelism filter
  int64_t rows_left_ = 0;
  int64_t iterations_ = 0;
  int idle_rounds_ = 0;
};

}  // namespace tvl::mip
