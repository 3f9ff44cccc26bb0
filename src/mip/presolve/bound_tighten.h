// Bound tightening from row activities: for every row and every integer
// column in it, the bounds of the other columns limit how far the column
// can move before the row is violated; the limit, rounded to an integer,
// becomes the column's bound.  Passes repeat while a bound moved (at most
// a few passes, so a chain of small steps cannot run long).  A row whose
// activity range misses its bounds, or an integer column left without an
// integer value, proves the MIP infeasible.
//
// Continuous columns keep their bounds: an implied bound on them does not
// shrink the search, and a bound that is only just implied can leave the
// node LPs degenerate.
//
// Follows the activity-based domain propagation of Savelsbergh,
// "Preprocessing and probing techniques for mixed integer programming
// problems", ORSA Journal on Computing 6 (1994).
#pragma once

#include <functional>
#include <string>

#include "mip/presolve/mip_reduction.h"

namespace tvl::mip {

class ActivityBoundTightening : public ReportingReduction {
 public:
  // `feastol`: rows may be violated by this much; `report`: where the
  // infeasibility message goes (may be empty).
  ActivityBoundTightening(double feastol, std::function<void(const std::string &)> report)
      : ReportingReduction(std::move(report)), feastol_(feastol) {}
  ReductionOutcome apply(MipModel &model) override;
  int improved() const { return improved_; }

 private:
  double feastol_;
  int improved_ = 0;
};

}  // namespace tvl::mip
