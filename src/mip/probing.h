// Probing on binary columns at the root.
//
// Each binary y is set to 0 and then to 1, and the bounds this forces are
// propagated through the rows (continuous columns included, unlike the
// node propagation, since here their implied bounds are what is sought).
// What the two probes show:
//   - one probe infeasible: y takes the other value in every solution and
//     is fixed (and that fixing propagated for good);
//   - both infeasible: the MIP is infeasible;
//   - a column bound implied by both probes holds globally;
//   - a bound implied by one probe is an implication "y = v => x <= b"
//     (or x >= b), kept for the implied bound cuts (mip/cuts) and as a
//     variable bound for the MIR aggregation; at most ten per column of
//     the model are kept (set-partitioning models imply far more).
// Work is counted in row entries walked, so a run stops at the same
// binary on every machine; TVL_PARAM_PROBE sets the budget (-1 off,
// 0 automatic, 1 to 3 larger budgets), every probe that fixes or tightens
// a bound extends it by ten probes of average cost (up to four times the
// budget), and
// TVL_PARAM_PROBETIME caps the seconds.
//
// Follows the probing of Savelsbergh, "Preprocessing and probing
// techniques for mixed integer programming problems", ORSA Journal on
// Computing 6 (1994), with the implication store of Achterberg,
// "Constraint Integer Programming", PhD thesis, TU Berlin (2007), ch. 10.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "mip/mip_model.h"
#include "mip/row_view.h"

namespace tvl::mip {

// bin == value implies col <= bound (upper) or col >= bound (!upper);
// `other` is the column's global bound on the same side when the
// implication was found (finite or +-kInfBound).
struct Implication {
  int32_t bin;
  int32_t col;
  double bound;
  double other;
  int8_t value;
  int8_t upper;
};

struct ProbingResult {
  bool infeasible = false;
  int32_t probed = 0;                 // binaries probed both ways
  int32_t fixed = 0;                  // binaries fixed
  std::vector<int32_t> changed;       // columns whose global bounds moved
  std::vector<double> lo, up;         // global bounds after probing
  std::vector<Implication> implications;
};

class Prober {
 public:
  Prober(const MipModel &model, double feastol);
  // Probes the binaries of `model` within the bounds lo/up, those with a
  // fractional value in `x` (may be empty) first; stops after `budget`
  // row entries or when `stop` returns true (checked between binaries).
  ProbingResult run(const std::vector<double> &lo, const std::vector<double> &up, const std::vector<double> &x,
                    int64_t budget, const std::function<bool()> &stop);

 private:
  struct Saved {
    int32_t col;
    double lo, up;
  };
  // Sets column j's bounds, recording the old ones and queueing its rows.
  void set(int32_t j, double lo, double up);
  // Propagates the queued rows; false when a row cannot be met.
  bool propagate();
  bool walk_row(int32_t i);
  void undo(size_t mark);
  // Bound moved far enough to be worth recording and propagating.
  bool significant(int32_t j, double old_b, double new_b) const;

  const MipModel &model_;
  double feastol_;
  RowView rows_;
  std::vector<double> lo_, up_;
  std::vector<Saved> trail_;
  std::vector<int32_t> queue_;
  std::vector<char> queued_;
  int64_t work_ = 0;
};

}  // namespace tvl::mip
