// The last conflict found on a problem (TVLrefineconflict and
// TVLrefinemipstartconflict fill it, TVLgetconflict and TVLclpwrite read
// it).  It lives in tvllp::conflict and goes with any change of the
// model's data (the kDropConflict part of frame/derived.h), since a change
// of a bound, row or type may make the set feasible or no longer minimal;
// optimizations leave it alone.
//
// Every side of a column bound is kept separately: a column's code names
// the bound that matters (LB, UB, or MEMBER when both do).  The bounds the
// codes refer to are stored beside them because a MIP-start conflict
// refers to the start's values, not the model's bounds: `lo`/`up` are the
// bounds that the conflict contains, `base_lo`/`base_up` those a column
// keeps when its own bound is not part of the conflict (infinite, except
// for a start's columns, which keep their model bounds).
#pragma once

#include <cstdint>
#include <vector>

#include "frame/problem.h"

namespace tvl {

// Membership of one row or one side of a column bound.
enum class ConflictSide : int8_t { Excluded, Possible, Proved };

struct ConflictRecord : DerivedState {
  int status = 0;                       // TVL_STAT_CONFLICT_*
  std::vector<ConflictSide> row;        // per row
  std::vector<ConflictSide> lo_side, up_side;  // per column
  std::vector<double> lo, up;           // per column: bounds in the conflict
  std::vector<double> base_lo, base_up; // per column: bounds kept outside it

  // The code TVLgetconflict reports for a row or a column.
  int row_code(int32_t i) const;
  int col_code(int32_t j) const;
  int32_t row_members() const;
  int32_t col_members() const;
};

inline const ConflictRecord *conflict_of(const tvllp *lp) {
  return static_cast<const ConflictRecord *>(lp->conflict);
}

}  // namespace tvl
