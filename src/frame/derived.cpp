// Hooks through which the problem module discards, frees, copies and
// adjusts the derived parts of a problem.  Each owning module adds the
// handling of its own part here.
#include "frame/derived.h"

#include "frame/basis.h"
#include "frame/cutrows.h"
#include "frame/error.h"
#include "frame/poolholder.h"
#include "frame/solution.h"

namespace tvl {

static void drop_state(DerivedState *&state) {
  delete state;
  state = nullptr;
}

void discard_derived(tvllp *lp, unsigned what) {
  if (what & kDropInner) {
    if (lp->inner) {
      tvllp *inner = lp->inner;
      lp->inner = nullptr;
      problem_free(lp->env, inner);
    }
  }
  // The factor belongs to the final basis of the stored run: it goes with
  // the solution record, and a record without it no longer claims one.
  if (what & (kDropSolution | kDropFactor)) {
    drop_state(lp->factor);
    if (lp->soln) lp->soln->has_factor = false;
  }
  if (what & kDropSolution) solution_free(lp->soln);
  if (what & kDropBasis) basis_free(lp->basis);
  if (what & kDropPresolve) drop_state(lp->presolve);
  if (what & kDropMipState) drop_state(lp->mipstate);
  if (what & kDropConflict) drop_state(lp->conflict);
  if ((what & kDropPool) && lp->pool) lp->pool->invalidate();
}

static const char *presolve_warning(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::AddRows: return "Warning: Adding rows to the presolved model fails.\n";
    case ChangeKind::AddCols: return "Warning: Adding columns to the presolved model fails.\n";
    case ChangeKind::Bounds: return "Warning: Changing bounds of the presolved model fails.\n";
    case ChangeKind::Rhs: return "Warning: Changing rhs of the presolved model fails.\n";
    case ChangeKind::Obj: return "Warning: Changing obj. of the presolved model fails.\n";
    case ChangeKind::Objective: return "Warning: Changing the objective of the presolved model fails.\n";
    case ChangeKind::Other: return nullptr;
  }
  return nullptr;
}

void note_change(const tvlenv *env, tvllp *lp, ChangeKind kind, unsigned what) {
  if (lp->presolve) {
    // The presolved model cannot follow changes yet: it is discarded.
    const char *w = presolve_warning(kind);
    if (w) msg_warning(env, "%s", w);
    discard_derived(lp, kDropPresolve);
  }
  discard_derived(lp, what);
}

void free_derived(tvllp *lp) {
  discard_derived(lp, kDropAll);
  delete lp->pool;
  lp->pool = nullptr;
}

int clone_derived(const tvllp *, tvllp *) { return 0; }

void extend_derived_rows(tvllp *lp, int32_t oldm, int32_t newm) {
  basis_extend_rows(lp->basis, oldm, newm);
}
void extend_derived_cols(tvllp *lp, int32_t oldn, int32_t newn) {
  basis_extend_cols(lp->basis, oldn, newn);
}
void adjust_derived_rows(tvllp *lp, const int32_t *delstat, int32_t oldm) {
  basis_adjust_rows(lp->basis, delstat, oldm);
}
void adjust_derived_cols(tvllp *lp, const int32_t *delstat, int32_t oldn) {
  basis_adjust_cols(lp->basis, delstat, oldn);
  if (lp->pool) lp->pool->renumber_cols(delstat, oldn);
}

void drop_mip_derived(const tvlenv *env, tvllp *lp, bool announce) {
  discard_derived(lp, kDropMipState);
  if (announce) cutrows_drop_on_col_delete(env, lp->parts);
}

int make_fixed_problem(tvlenv *, tvllp *, int) {
  // Fixing the integer columns needs an incumbent of the MIP optimizer;
  // until one can be stored there is never one.
  return 1217;
}

}  // namespace tvl
