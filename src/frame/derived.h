// Data derived from a problem's model: solution record, basis, factor,
// presolved model, MIP search state, solution pool and the inner problem of
// the fixed types.  The problem module calls only these hooks; each owning
// module adds the lines for its own part in derived.cpp.
#pragma once

#include <cstdint>

#include "frame/problem.h"

namespace tvl {

// Parts that a change can discard (bit set).
enum DerivedPart : unsigned {
  kDropSolution = 1u << 0,   // solution record and its status
  kDropBasis = 1u << 1,      // stored basis
  kDropFactor = 1u << 2,     // basis factor and norms
  kDropPresolve = 1u << 3,   // presolved model
  kDropMipState = 1u << 4,   // MIP search data and incumbents
  kDropPool = 1u << 5,       // marks the solution pool stale
  kDropInner = 1u << 6,      // inner problem of a fixed type
  kDropConflict = 1u << 7,   // the last conflict (frame/conflict_record.h)
};
inline constexpr unsigned kDropAll = 0xffu;
// What a data change discards while the basis is kept (adjusted) for the
// next optimization.
inline constexpr unsigned kDropOnChange = kDropAll & ~kDropBasis;

// Kinds of data change, used to try keeping a presolved model up to date
// and to choose the warning when that is not possible.
enum class ChangeKind {
  AddRows,
  AddCols,
  Bounds,
  Rhs,
  Obj,
  Objective,   // objective sense and other whole-objective changes
  Other,       // matrix, senses, ranges, types, deletions
};

// Discards the given parts.
void discard_derived(tvllp *lp, unsigned what);

// Records a data change: tries to carry it into the presolved model (the
// owner of that model decides); when that fails the warning of the kind is
// printed and the presolved model discarded.  Then discards `what`.
void note_change(const tvlenv *env, tvllp *lp, ChangeKind kind, unsigned what);

// Frees every derived part (problem being freed).
void free_derived(tvllp *lp);

// Copies the derived parts that a clone keeps (none so far).  Returns 0 or
// a status.
int clone_derived(const tvllp *src, tvllp *dst);

// Adjusts the kept parts (basis) after rows/columns were appended.
void extend_derived_rows(tvllp *lp, int32_t oldm, int32_t newm);
void extend_derived_cols(tvllp *lp, int32_t oldn, int32_t newn);

// Adjusts the kept parts after deletion; delstat holds the new index of
// each old row (column) or -1 for deleted ones.
void adjust_derived_rows(tvllp *lp, const int32_t *delstat, int32_t oldm);
void adjust_derived_cols(tvllp *lp, const int32_t *delstat, int32_t oldn);

// Frees the MIP search state.  Column deletion calls it with
// announce=true, which also frees the user cuts and lazy constraints (their
// column indices no longer hold) with a warning for each pool freed.
void drop_mip_derived(const tvlenv *env, tvllp *lp, bool announce);

// Builds the inner fixed continuous problem of a fixed type from the
// current incumbent.  Returns 0, or 1217 when there is no incumbent.
int make_fixed_problem(tvlenv *env, tvllp *lp, int type);

}  // namespace tvl
