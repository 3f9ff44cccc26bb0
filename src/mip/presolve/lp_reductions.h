// The reductions of the LP presolve that keep integrality, as one MIP
// reduction.  The LP presolve is told which columns are integer: it never
// computes such a column from others (column singletons, doubletons, free
// substitution), never merges it with a parallel column (of such a pair
// beside a free column, one rests at a bound instead), derives no row
// dual from it, and rounds the bounds it derives for it.  What remains of
// it (fixing at bounds, removing rows that are redundant or forced,
// singleton rows, duplicate rows, dual fixing) holds for integer columns
// as it does for an LP.  Postsolve maps the incumbent back through the LP
// postsolve, which computes every removed column from the kept ones.
#pragma once

#include "mip/presolve/mip_reduction.h"
#include "presolve/presolve.h"

namespace tvl::mip {

class IntegralLpReductions : public MipReduction {
 public:
  // `settings` as for an LP; its integer marks are filled from the model.
  explicit IntegralLpReductions(lp::PresolveSettings settings) : settings_(std::move(settings)) {}
  ReductionOutcome apply(MipModel &model) override;
  const lp::PresolveCounts &counts() const { return counts_; }

 private:
  lp::PresolveSettings settings_;
  lp::PresolveCounts counts_;
};

}  // namespace tvl::mip
