// Public functions of the solution pool's filters: adding diversity and
// range filters, deleting them, and the list queries (in list order).
// Adding a filter creates the pool when the capacity allows one.  The
// filter list is user data: it survives the invalidation of the stored
// solutions by a data change, so the list queries need only a pool.
#include <cstring>

#include "frame/matrixcheck.h"
#include "frame/listedit.h"
#include "frame/parts_api.h"
#include "mip/solnpool.h"

namespace tvl {
namespace {

using namespace parts_api;

struct FilterArgs {
  int32_t type;
  double lower, upper;
  int cnt;
  const int *ind;
  const double *wt;   // diversity weights (optional)
  const double *val;  // reference values or coefficients
  const char *name;
};

int check_filter(const tvlenv *env, const tvllp *lp, const FilterArgs &a) {
  if (!is_mip_type(lp->type)) return 3003;
  if (a.cnt < 0) return 1003;
  if (a.cnt > 0 && (!a.ind || !a.val)) return 1004;
  int st = check_indices(env, 'c', a.ind, a.cnt, lp->lp->ncols);
  if (st) return st;
  if (a.type == kFilterDiversity)
    for (int k = 0; k < a.cnt; ++k)
      if (lp->mip->ctype[a.ind[k]] != 'B') return 3414;
  if (datacheck_on(env)) {
    if ((st = check_unique(env, a.ind, a.cnt, lp->lp->ncols)) != 0) return st;
    if ((st = check_numbers(env, a.val, a.cnt)) != 0) return st;
    if (a.wt && (st = check_numbers(env, a.wt, a.cnt)) != 0) return st;
  }
  return 0;
}

int add_filter(const tvlenv *env, tvllp *lp, const FilterArgs &a) {
  int st = enter_query(env, lp);
  if (!st) st = check_filter(env, lp, a);
  if (!st) st = solnpool_create(env, lp);
  if (st) return st;
  PoolFilter f;
  f.type = a.type;
  f.lower = a.lower;
  f.upper = a.upper;
  if (a.name) f.name = a.name;
  f.ind.assign(a.ind, a.ind + a.cnt);
  f.val.assign(a.val, a.val + a.cnt);
  if (a.wt) f.wt.assign(a.wt, a.wt + a.cnt);
  SolnPool *p = solnpool_of(lp);
  p->lock();
  p->filters().push_back(std::move(f));
  p->unlock();
  return 0;
}

// Validation of a filter-list function: problem, MIP type, a pool.
int enter_filters(const tvlenv *env, tvllp *lp, SolnPool **pool) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (!is_mip_type(lp->type)) return 3003;
  *pool = solnpool_of(lp);
  return *pool ? 0 : 3024;
}

int enter_filter(const tvlenv *env, tvllp *lp, int which, const PoolFilter **f) {
  SolnPool *p = nullptr;
  int st = enter_filters(env, lp, &p);
  if (st) return st;
  if (which < 0 || which >= static_cast<int>(p->filters().size())) return 1200;
  *f = &p->filters()[static_cast<size_t>(which)];
  return 0;
}


// Removes filters under the pool lock; the flags become the new positions.
int delete_filters(const tvlenv *env, tvllp *lp, int begin, int end, int *delstat, bool by_flags) {
  SolnPool *p = nullptr;
  int st = enter_filters(env, lp, &p);
  if (st) return st;
  return delete_range_or_flagged(static_cast<int32_t>(p->filters().size()), begin, end, delstat, by_flags,
                                 [p](int32_t *del) {
                                   p->lock();
                                   erase_flagged(p->filters(), del);
                                   p->unlock();
                                 });
}

// One filter's bounds and entries under the surplus convention; refval
// receives the reference values of a diversity filter, val its weights (1
// when none were given) or a range filter's coefficients.
int get_filter(const tvlenv *env, tvllp *lp, int which, int want_type, int *type_p, double *lower_p,
               double *upper_p, int *nzcnt_p, int *ind, double *val, double *refval, int space, int *surplus_p) {
  const PoolFilter *f = nullptr;
  int st = enter_filter(env, lp, which, &f);
  if (st) return st;
  if (want_type && f->type != want_type) return 1003;
  if (type_p) *type_p = f->type;
  if (lower_p) *lower_p = f->lower;
  if (upper_p) *upper_p = f->upper;
  const bool div = f->type == kFilterDiversity;
  return single_vector(static_cast<int64_t>(f->ind.size()), nzcnt_p, space, surplus_p, ind && val,
                       [&](int64_t n) {
                         for (int64_t k = 0; k < n; ++k) {
                           ind[k] = f->ind[k];
                           val[k] = div ? (f->wt.empty() ? 1.0 : f->wt[k]) : f->val[k];
                           if (div && refval) refval[k] = f->val[k];
                         }
                       });
}

int filter_type(const tvlenv *env, tvllp *lp, int *type_p, int which) {
  const PoolFilter *f = nullptr;
  int st = enter_filter(env, lp, which, &f);
  if (!st && !type_p) st = 1004;
  if (st) return st;
  *type_p = f->type;
  return 0;
}

int filter_name(const tvlenv *env, tvllp *lp, char *buf, int space, int *surplus_p, int which) {
  const PoolFilter *f = nullptr;
  int st = enter_filter(env, lp, which, &f);
  if (st) return st;
  if (f->name.empty()) return 1219;
  return single_name(f->name.c_str(), buf, space, surplus_p);
}

int filter_index(const tvlenv *env, tvllp *lp, const char *name, int *index_p) {
  SolnPool *p = nullptr;
  int st = enter_filters(env, lp, &p);
  if (!st && (!name || !index_p)) st = 1004;
  if (st) return st;
  const std::vector<PoolFilter> &fl = p->filters();
  for (size_t k = 0; k < fl.size(); ++k)
    if (fl[k].name == name) {
      *index_p = static_cast<int>(k);
      return 0;
    }
  return 1210;
}

}  // namespace
}  // namespace tvl

using tvl::boundary;
using tvl::parts_api::mut;

extern "C" {

int TVLaddsolnpooldivfilter(TVLENVptr env, TVLLPptr lp, double lower_cutoff, double upper_cutoff, int nzcnt,
                            const int *ind, const double *weight, const double *refval, const char *lname_str) {
  tvl::FilterArgs a{tvl::kFilterDiversity, lower_cutoff, upper_cutoff, nzcnt, ind, weight, refval, lname_str};
  return boundary(env, tvl::add_filter(env, lp, a));
}

int TVLaddsolnpoolrngfilter(TVLENVptr env, TVLLPptr lp, double lb, double ub, int nzcnt, const int *ind,
                            const double *val, const char *lname_str) {
  tvl::FilterArgs a{tvl::kFilterRange, lb, ub, nzcnt, ind, nullptr, val, lname_str};
  return boundary(env, tvl::add_filter(env, lp, a));
}

int TVLdelsolnpoolfilters(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  return boundary(env, tvl::delete_filters(env, lp, begin, end, nullptr, false));
}

int TVLdelsetsolnpoolfilters(TVLENVptr env, TVLLPptr lp, int *delstat) {
  return boundary(env, tvl::delete_filters(env, lp, 0, 0, delstat, true));
}

int TVLgetsolnpoolnumfilters(TVLCENVptr env, TVLCLPptr lp) {
  tvl::SolnPool *p = nullptr;
  int st = tvl::enter_filters(env, mut(lp), &p);
  if (st) return boundary(env, st), 0;
  return static_cast<int>(p->filters().size());
}

int TVLgetsolnpoolfiltertype(TVLCENVptr env, TVLCLPptr lp, int *ftype_p, int which) {
  return boundary(env, tvl::filter_type(env, mut(lp), ftype_p, which));
}

int TVLgetsolnpoolfilter(TVLCENVptr env, TVLCLPptr lp, int *ftype_p, double *lower_p, double *upper_p,
                         int *nzcnt_p, int *ind, double *val, double *refval, int space, int *surplus_p,
                         int which) {
  return boundary(env, tvl::get_filter(env, mut(lp), which, 0, ftype_p, lower_p, upper_p, nzcnt_p, ind, val,
                                       refval, space, surplus_p));
}

int TVLgetsolnpooldivfilter(TVLCENVptr env, TVLCLPptr lp, double *lower_cutoff_p, double *upper_cutoff_p,
                            int *nzcnt_p, int *ind, double *weight, double *refval, int space, int *surplus_p,
                            int which) {
  return boundary(env, tvl::get_filter(env, mut(lp), which, tvl::kFilterDiversity, nullptr, lower_cutoff_p,
                                       upper_cutoff_p, nzcnt_p, ind, weight, refval, space, surplus_p));
}

int TVLgetsolnpoolrngfilter(TVLCENVptr env, TVLCLPptr lp, double *lb_p, double *ub_p, int *nzcnt_p, int *ind,
                            double *val, int space, int *surplus_p, int which) {
  return boundary(env, tvl::get_filter(env, mut(lp), which, tvl::kFilterRange, nullptr, lb_p, ub_p, nzcnt_p,
                                       ind, val, nullptr, space, surplus_p));
}

int TVLgetsolnpoolfiltername(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p,
                             int which) {
  return boundary(env, tvl::filter_name(env, mut(lp), buf_str, bufspace, surplus_p, which));
}

int TVLgetsolnpoolfilterindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p) {
  return boundary(env, tvl::filter_index(env, mut(lp), lname_str, index_p));
}

}  // extern "C"
