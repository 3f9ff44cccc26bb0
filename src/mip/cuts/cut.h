// What a cut family sees and returns.
//
// A separator is given the MIP model, the LP of the node being processed
// (its rows: the model's followed by the cuts in the LP), the node LP's
// optimal solution with its basis, the column bounds at the node and, on
// request, rows of the simplex tableau of that basis.  It returns valid
// inequalities  sum val[k] * x[ind[k]] <= rhs  in the columns of the
// model, each tagged with the cut type index it is counted under (the
// index of TVLgetnumcuts).  Separators run at the root only, where the
// node bounds are the global ones, so what they return is valid for the
// whole tree.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/mip_model.h"

namespace tvl::mip {

class TableauRows;
struct Implication;

// Cut type indices (the counters of the MIP record, TVLgetnumcuts).
inline constexpr int kCutCover = 0;
inline constexpr int kCutClique = 3;
inline constexpr int kCutFract = 4;
inline constexpr int kCutMir = 5;
inline constexpr int kCutImplied = 8;

struct Cut {
  std::vector<int32_t> ind;
  std::vector<double> val;
  double rhs = 0.0;
  int family = 0;
};

// A column bound found valid for the whole tree by a separator (e.g. a
// Gomory candidate whose branching degradation exceeds the gap).
struct RootBound {
  int32_t col;
  double lower, upper;
};

struct CutContext {
  const MipModel &model;
  const lp::LpModel &lp;           // rows of the node LP (model rows, then cuts), node bounds
  const lp::LpResult &solution;    // optimal node LP solution and basis
  TableauRows &tableau;
  double cutoff = kNoValue;        // incumbent's pruning cutoff (internal form)
  double epint = 1e-5;
  int effort = 0;                  // the family's parameter: 0 automatic, > 0 more
  std::vector<RootBound> *bounds = nullptr;  // where tightened bounds go (may be null)
  const tvlenv *env = nullptr;     // for progress lines and the clock (may be null)
  int candidates = 200;            // TVL_PARAM_FRACCAND: Gomory candidates at most
};

class CutSeparator {
 public:
  virtual ~CutSeparator() = default;
  virtual void separate(const CutContext &ctx, std::vector<Cut> &out) = 0;
};

std::unique_ptr<CutSeparator> make_gomory_separator();
std::unique_ptr<CutSeparator> make_cover_separator();
std::unique_ptr<CutSeparator> make_clique_separator();
// `max_aggregation`: rows added to the starting row at most; the
// implications of root probing (may be null) add variable bounds.
std::unique_ptr<CutSeparator> make_mir_separator(int max_aggregation,
                                                std::shared_ptr<const std::vector<Implication>> implications);
// Cuts from the implications of root probing (mip/probing.h).
std::unique_ptr<CutSeparator> make_implied_bound_separator(std::shared_ptr<const std::vector<Implication>> table);

}  // namespace tvl::mip
