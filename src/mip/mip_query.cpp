// Queries of the last MIP optimization: gap, best bound, cutoff, node,
// iteration and cut counts, and the last failed subproblem.
#include <cmath>

#include "frame/error.h"
#include "mip/mip_state.h"

namespace tvl::mip {

double relative_gap(int sense, double z, double b) {
  if (std::fabs(z - b) <= 1e-9) return 0.0;
  const double gap = sense * (z - b) / (std::fabs(z) + 1e-10);
  return std::fabs(gap) <= 1e-10 ? 0.0 : gap;
}

namespace {

bool is_mip_problem(const tvllp *lp) { return lp->type == 1 || lp->type == 7 || lp->type == 11; }

// Entry checks shared by the queries: environment and problem, MIP kind,
// the output pointer (when the query has one), a MIP record.
int open_record(const tvlenv *env, const tvllp *lp, const void *out, bool needs_out, const MipRecord **rec) {
  int st = check_problem(env, lp);
  if (st) return st;
  if (!is_mip_problem(lp)) return TVLERR_NOT_A_MIXED_INTEGER_PROBLEM;
  if (needs_out && !out) return TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  *rec = mip_record(lp);
  return *rec ? 0 : TVLERR_NO_SOLUTION_EXISTS;
}

// A query that answers with a double.
template <class F>
int double_query(TVLCENVptr env, TVLCLPptr lp, double *out, F value) {
  const MipRecord *rec = nullptr;
  const int st = open_record(env, lp, out, true, &rec);
  if (st) return boundary(env, st);
  *out = value(*rec);
  return 0;
}

// A query that answers with a count (or `fail` after reporting an error).
template <class F>
int count_query(TVLCENVptr env, TVLCLPptr lp, int fail, F value) {
  const MipRecord *rec = nullptr;
  const int st = open_record(env, lp, nullptr, false, &rec);
  if (st) {
    boundary(env, st);
    return fail;
  }
  const int64_t v = value(*rec);
  return static_cast<int>(v > kNoLimit ? kNoLimit : v);
}

}  // namespace
}  // namespace tvl::mip

using tvl::mip::MipRecord;

extern "C" {

int TVLgetmiprelgap(TVLCENVptr env, TVLCLPptr lp, double *gap_p) {
  return tvl::mip::double_query(env, lp, gap_p, [](const MipRecord &r) {
    if (!r.incumbent.present()) return 1.0;
    const double b = tvl::mip::record_bound(r);
    return tvl::mip::relative_gap(r.objsense, r.incumbent.value * r.objsense, b * r.objsense);
  });
}

int TVLgetbestobjval(TVLCENVptr env, TVLCLPptr lp, double *objval_p) {
  return tvl::mip::double_query(env, lp, objval_p,
                                [](const MipRecord &r) { return tvl::mip::record_bound(r) * r.objsense; });
}

int TVLgetcutoff(TVLCENVptr env, TVLCLPptr lp, double *cutoff_p) {
  return tvl::mip::double_query(env, lp, cutoff_p,
                                [](const MipRecord &r) { return r.incumbent.value * r.objsense; });
}

int TVLgetnodecnt(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, 0, [](const MipRecord &r) { return r.nodes + r.aux_nodes; });
}

int TVLgetnodeleftcnt(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, 0, [](const MipRecord &r) { return r.nodes_left; });
}

int TVLgetnodeint(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, -1, [](const MipRecord &r) { return r.incumbent.node; });
}

int TVLgetmipitcnt(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, 0, [](const MipRecord &r) { return r.iterations; });
}

int TVLgetsubstat(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, 0, [](const MipRecord &r) { return int64_t{r.substat}; });
}

int TVLgetsubmethod(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::mip::count_query(env, lp, 0, [](const MipRecord &r) { return int64_t{r.submethod}; });
}

int TVLgetnumcuts(TVLCENVptr env, TVLCLPptr lp, int cuttype, int *num_p) {
  const MipRecord *rec = nullptr;
  int st = tvl::check_problem(env, lp);
  if (!st && !tvl::mip::is_mip_problem(lp)) st = TVLERR_NOT_A_MIXED_INTEGER_PROBLEM;
  if (!st && (cuttype < 0 || cuttype >= tvl::mip::kCutTypes)) st = TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  if (!st) st = tvl::mip::open_record(env, lp, num_p, true, &rec);
  if (st) return tvl::boundary(env, st);
  int64_t count = rec->cuts[static_cast<size_t>(cuttype)];
  if (cuttype == 0) count += rec->extra_cover_cuts;
  if (cuttype == 14) count += rec->extra_user_cuts;
  *num_p = static_cast<int>(count > tvl::kNoLimit ? tvl::kNoLimit : count);
  return 0;
}

}  // extern "C"
