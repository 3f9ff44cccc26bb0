#include "frame/conflict_record.h"

namespace tvl {

int ConflictRecord::row_code(int32_t i) const {
  switch (row[i]) {
    case ConflictSide::Proved: return TVL_CONFLICT_MEMBER;
    case ConflictSide::Possible: return TVL_CONFLICT_POSSIBLE_MEMBER;
    case ConflictSide::Excluded: break;
  }
  return TVL_CONFLICT_EXCLUDED;
}

int ConflictRecord::col_code(int32_t j) const {
  const ConflictSide l = lo_side[j], u = up_side[j];
  if (l == ConflictSide::Excluded && u == ConflictSide::Excluded) return TVL_CONFLICT_EXCLUDED;
  if (u == ConflictSide::Excluded) return l == ConflictSide::Proved ? TVL_CONFLICT_LB : TVL_CONFLICT_POSSIBLE_LB;
  if (l == ConflictSide::Excluded) return u == ConflictSide::Proved ? TVL_CONFLICT_UB : TVL_CONFLICT_POSSIBLE_UB;
  // Both bounds take part: a member only when both were proved necessary.
  return l == ConflictSide::Proved && u == ConflictSide::Proved ? TVL_CONFLICT_MEMBER
                                                                : TVL_CONFLICT_POSSIBLE_MEMBER;
}

int32_t ConflictRecord::row_members() const {
  int32_t c = 0;
  for (ConflictSide s : row) c += s != ConflictSide::Excluded;
  return c;
}

int32_t ConflictRecord::col_members() const {
  int32_t c = 0;
  for (size_t j = 0; j < lo_side.size(); ++j)
    c += lo_side[j] != ConflictSide::Excluded || up_side[j] != ConflictSide::Excluded;
  return c;
}

}  // namespace tvl
