// Entry points of the conflict refiner (conflict/refine.h) and the query
// of the last conflict.
//
// TVLgetconflict lists the members only, rows before columns, with their
// codes (TVL_CONFLICT_*); a column is reported with the bound that
// matters.  After a refinement that found the model feasible (status 30)
// or stopped before any infeasible set was established (33 to 39) it
// answers with that status and no members.  Before any refinement, and
// after any change of the model's data since, it answers 1719.
#include "conflict/refine.h"
#include "frame/conflict_record.h"
#include "frame/error.h"
#include "frame/parts_api.h"
#include "tavlo.h"

using tvl::boundary;

namespace tvl::conflict {
namespace {

int entry(tvlenv *env, tvllp *lp, int start, int *nrows_p, int *ncols_p) {
  int st = parts_api::enter_query(env, lp);
  if (st == 0) st = refine(env, lp, start, nrows_p, ncols_p);
  return st;
}

int get(const tvlenv *env, tvllp *lp, int *confstat_p, int *rowind, int *rowbdstat, int *confnumrows_p, int *colind,
        int *colbdstat, int *confnumcols_p) {
  if (int st = parts_api::enter_query(env, lp)) return st;
  const ConflictRecord *rec = conflict_of(lp);
  if (!rec) return TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  if (confstat_p) *confstat_p = rec->status;
  // The members in index order with their codes; returns their number.
  auto list = [](int32_t count, auto code_of, int *ind, int *stat) {
    int k = 0;
    for (int32_t i = 0; i < count; ++i) {
      const int code = code_of(i);
      if (code == TVL_CONFLICT_EXCLUDED) continue;
      if (ind) ind[k] = i;
      if (stat) stat[k] = code;
      ++k;
    }
    return k;
  };
  const int r = list(static_cast<int32_t>(rec->row.size()), [rec](int32_t i) { return rec->row_code(i); }, rowind,
                     rowbdstat);
  const int c = list(static_cast<int32_t>(rec->lo_side.size()), [rec](int32_t j) { return rec->col_code(j); }, colind,
                     colbdstat);
  if (confnumrows_p) *confnumrows_p = r;
  if (confnumcols_p) *confnumcols_p = c;
  return 0;
}

}  // namespace
}  // namespace tvl::conflict

extern "C" {

TVLPUBLIC int TVLrefineconflict(TVLENVptr env, TVLLPptr lp, int *confnumrows_p, int *confnumcols_p) {
  return boundary(env, tvl::conflict::entry(env, lp, tvl::conflict::kNoMipStart, confnumrows_p, confnumcols_p));
}

TVLPUBLIC int TVLrefinemipstartconflict(TVLENVptr env, TVLLPptr lp, int mipstartindex, int *confnumrows_p,
                                        int *confnumcols_p) {
  return boundary(env, tvl::conflict::entry(env, lp, mipstartindex, confnumrows_p, confnumcols_p));
}

TVLPUBLIC int TVLgetconflict(TVLCENVptr env, TVLCLPptr lp, int *confstat_p, int *rowind, int *rowbdstat,
                             int *confnumrows_p, int *colind, int *colbdstat, int *confnumcols_p) {
  return boundary(env, tvl::conflict::get(env, tvl::parts_api::mut(lp), confstat_p, rowind, rowbdstat, confnumrows_p,
                                          colind, colbdstat, confnumcols_p));
}

}  // extern "C"
