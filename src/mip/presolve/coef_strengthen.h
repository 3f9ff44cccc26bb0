// Coefficient strengthening of one-sided rows on binary columns.
//
// Take a row sum a_j x_j <= b whose largest activity M (over the column
// bounds) exceeds b, and a binary x_k in it.  When a_k > 0 and the row is
// slack for x_k = 0 by d = b - (M - a_k) > 0, the row with a_k - d and
// b - d has the same integer points (it is still slack for x_k = 0 and
// unchanged for x_k = 1) and a tighter relaxation.  When a_k < 0 and the
// row is slack for x_k = 1 by d = b - (M + a_k) > 0, a_k + d does the same
// with b kept.  A >= row is read negated.  Ranged, equality and free rows
// and rows of unbounded activity are left alone.
//
// Follows Savelsbergh, "Preprocessing and probing techniques for mixed
// integer programming problems", ORSA Journal on Computing 6 (1994),
// coefficient reduction.
#pragma once

#include "mip/presolve/mip_reduction.h"

namespace tvl::mip {

class CoefficientStrengthening : public MipReduction {
 public:
  explicit CoefficientStrengthening(double feastol) : feastol_(feastol) {}
  ReductionOutcome apply(MipModel &model) override;
  int strengthened() const { return strengthened_; }

 private:
  double feastol_;
  int strengthened_ = 0;
};

}  // namespace tvl::mip
