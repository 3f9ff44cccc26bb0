// The root cut loop: rounds of separation on the root LP solution, the
// chosen cuts added as rows of the node LP (mip/node_lp.h), a warm dual
// re-solve, while the bound moves enough.
//
// Families and their parameters (-1 off, 0 automatic, > 0 more cuts per
// round): Gomory mixed-integer cuts (TVL_PARAM_FRACCUTS), lifted knapsack
// covers (TVL_PARAM_COVERS) and complemented MIR cuts on aggregated rows
// (TVL_PARAM_MIRCUTS, at most TVL_PARAM_AGGCUTLIM rows aggregated), clique
// cuts (TVL_PARAM_CLIQUES) and implied bound cuts from root probing
// (TVL_PARAM_IMPLBD).  The MIR cuts substitute the variable bounds of rows
// with two entries and, at TVL_PARAM_MIRCUTS 1 or more, those of probing's
// implications too (stronger cuts, but more of them, which slows the
// tree's node LPs on models such as mod011).  The number of rounds is
// TVL_PARAM_CUTPASS (-1 none; 0 no fixed limit, or 3 under
// TVL_PARAM_MIPEMPHASIS 1); the rows of the LP are limited to
// TVL_PARAM_CUTSFACTOR times the model's rows, the cuts' nonzeros to
// those of the model (at least 10000), one cut's length to ten times the
// model's average row (at least 200).  The loop stops early when
// ten rounds in a row raise the bound by less than 0.1% of the gap to
// the cutoff (without an incumbent: 1e-4 times the bound's magnitude),
// when a round finds no cut, or when the rounds have used more than four
// times the root LP's iterations.  The patience of ten rounds is for
// degenerate LPs: on rout, cuts leave the bound where it is for three
// rounds (the LP moves to another vertex of the same value) before the
// next rounds raise it from 982.2 to 986.5.
//
// Cut management: a cut whose slack is basic after a re-solve ages by
// one round, a tight one is young again; cuts that have aged three rounds
// are removed, and when the loop ends every cut with a basic slack is
// removed, so the tree's node LPs carry only the cuts that were binding
// at the end of the root.  Applied cuts are counted by type in the MIP
// record (TVLgetnumcuts, the cut summary).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/mip_state.h"
#include "mip/node_lp.h"

namespace tvl::mip {

struct CutLoopSettings {
  int passes = 0;          // TVL_PARAM_CUTPASS
  int emphasis = 0;        // TVL_PARAM_MIPEMPHASIS
  double rows_factor = 4;  // TVL_PARAM_CUTSFACTOR
  int fraccuts = 0, covers = 0, mircuts = 0;
  int aggregation = 3;     // TVL_PARAM_AGGCUTLIM
  int candidates = 200;    // TVL_PARAM_FRACCAND
  const tvlenv *env = nullptr;  // for the separators' progress lines
  int cliques = 0;         // TVL_PARAM_CLIQUES
  int implbd = 0;          // TVL_PARAM_IMPLBD
  // Implications of root probing, for the implied bound cuts (may be null).
  std::shared_ptr<const std::vector<Implication>> implications;
};

CutLoopSettings cut_loop_settings(const tvlenv *env);

// Nonzeros one cut may have: ten times the model's average row, at least
// 200 (long dense cuts slow every node LP more than they help), and no
// limit on a model of at most kDenseCutColumns columns, where even a cut
// over every column is a short row (rout's Gomory cuts span nearly all
// of its 556 columns: with them its tree shrinks from 82,117 to 39,776
// nodes, 98 s to 54 s, while on wider models such as mod011 long cuts
// slowed the node LPs more than they cut the tree).
inline constexpr int32_t kDenseCutColumns = 1000;
int32_t max_cut_length(const MipModel &model);

// A cut family that is on, with its effort parameter.
struct CutFamily {
  std::unique_ptr<CutSeparator> sep;
  int effort;
};

// The families whose parameter in `s` is at least `min_effort`, in
// separation order; Gomory cuts only with `with_gomory` (they rest on the
// bounds of the node they come from).
std::vector<CutFamily> make_cut_families(const CutLoopSettings &s, int min_effort, bool with_gomory);
// The MIR family alone, as make_cut_families builds it.
CutFamily make_mir_family(const CutLoopSettings &s);

// Called after each round with the new LP solution, the cut summary of
// the round (family index when one family was applied, -1 for several)
// and the number of cuts applied.
using CutPassReport = std::function<void(const lp::LpResult &r, int family, int64_t count)>;

class RootCutLoop {
 public:
  RootCutLoop(const MipModel &model, const CutLoopSettings &settings);
  ~RootCutLoop();
  // False when no family is on or no round is allowed.
  bool enabled() const { return !separators_.empty() && max_passes_ > 0; }
  // `r` is the optimal root LP solution of `lp`; it is replaced by the
  // final one, which is optimal too (a round whose re-solve does not end
  // optimal is taken back).  `cutoff` is the incumbent's pruning cutoff.
  void run(NodeLp &lp, lp::LpResult &r, double cutoff, MipRecord &record, const CutPassReport &report);

 private:
  // Removes the added rows marked in `drop` from the LP, the solution and
  // the list of active cuts.
  void remove(NodeLp &lp, lp::LpResult &r, const std::vector<char> &drop);

  const MipModel &model_;
  CutLoopSettings s_;
  int max_passes_ = 0;
  std::vector<CutFamily> separators_;
  std::vector<Cut> active_;   // cuts in the LP, in row order
  std::vector<int> age_;
};

}  // namespace tvl::mip
