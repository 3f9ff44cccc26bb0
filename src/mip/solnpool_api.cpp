// Public queries and deletions of the solution pool, and the quality
// measures of its solutions.  Solution index -1
// means the incumbent and is answered by the plain solution queries;
// other indices need a MIP problem (3003) whose pool exists and has not
// been invalidated by a data change (3024).
#include <cstring>

#include "frame/listedit.h"
#include "frame/parts_api.h"
#include "frame/solution.h"
#include "frame/solution_view.h"
#include "mip/solnpool.h"

namespace tvl {
namespace {

using namespace parts_api;

// Validation of a pool query: problem, MIP type, a valid pool.
int enter_pool(const tvlenv *env, tvllp *lp, SolnPool **pool) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (!is_mip_type(lp->type)) return 3003;
  SolnPool *p = solnpool_of(lp);
  if (!p || !p->valid()) return 3024;
  *pool = p;
  return 0;
}

// enter_pool plus the solution index check (0 .. count-1).
int enter_solution(const tvlenv *env, tvllp *lp, int soln, SolnPool **pool) {
  int st = enter_pool(env, lp, pool);
  if (st) return st;
  return soln < 0 || soln >= (*pool)->count() ? 1200 : 0;
}

int pool_count(const tvlenv *env, tvllp *lp, int64_t (*what)(const SolnPool &)) {
  SolnPool *p = nullptr;
  int st = enter_pool(env, lp, &p);
  if (st) return boundary(env, st), 0;
  p->lock();
  int64_t v = what(*p);
  p->unlock();
  return static_cast<int>(v);
}

int mean_objective(const tvlenv *env, tvllp *lp, double *out) {
  SolnPool *p = nullptr;
  int st = enter_pool(env, lp, &p);
  if (st) return st;
  if (!out) return 1004;
  p->lock();
  double s = 0.0;
  int32_t n = p->count();
  for (int32_t k = 0; k < n; ++k) s += p->entry(k).obj();
  p->unlock();
  if (n == 0) return 1217;
  *out = s / n * lp->lp->objsense;
  return 0;
}

int solution_objective(const tvlenv *env, tvllp *lp, int soln, double *out) {
  SolnPool *p = nullptr;
  int st = enter_solution(env, lp, soln, &p);
  if (!st && !out) st = 1004;
  if (st) return st;
  *out = p->entry(soln).obj() * lp->lp->objsense;
  return 0;
}

int solution_x(const tvlenv *env, tvllp *lp, int soln, double *x, int begin, int end) {
  SolnPool *p = nullptr;
  int st = enter_solution(env, lp, soln, &p);
  if (!st && !x) st = 1004;
  if (!st) st = check_range(env, "TVLgetsolnpoolx", begin, end, p->numcols());
  if (st) return st;
  const double *v = p->solution(soln);
  for (int j = begin; j <= end; ++j) x[j - begin] = v[j];
  return 0;
}

// Slack rhs - A x of rows begin..end for the stored solution.
int solution_slack(const tvlenv *env, tvllp *lp, int soln, double *slack, int begin, int end) {
  SolnPool *p = nullptr;
  int st = enter_solution(env, lp, soln, &p);
  if (!st && !slack) st = 1004;
  const LpData *d = lp->lp;
  if (!st) st = check_range(env, "TVLgetsolnpoolslack", begin, end, d->nrows);
  if (st) return st;
  if (begin > end) return 0;
  const double *v = p->solution(soln);
  for (int i = begin; i <= end; ++i) slack[i - begin] = d->rhs[i];
  for (int32_t j = 0; j < d->ncols && j < p->numcols(); ++j) {
    if (v[j] == 0.0) continue;
    for (int64_t k = d->matbeg[j]; k < int64_t{d->matbeg[j]} + d->matcnt[j]; ++k) {
      int32_t i = d->matind[k];
      if (i >= begin && i <= end) slack[i - begin] -= d->matval[k] * v[j];
    }
  }
  return 0;
}

// Slack rhs - (linear + quadratic terms) of quadratic constraints
// begin..end at the point x.
void qconstr_slacks(const tvllp *lp, const double *x, double *out, int begin, int end) {
  for (int q = begin; q <= end; ++q) {
    const QConstr &c = lp->parts->qcons[q];
    double act = 0.0;
    for (int64_t k = 0; k < c.lind.size; ++k) act += c.lval[k] * x[c.lind[k]];
    for (int64_t k = 0; k < c.qval.size; ++k) act += c.qval[k] * x[c.qrow[k]] * x[c.qcol[k]];
    out[q - begin] = c.rhs - act;
  }
}

int num_qconstrs(const tvllp *lp) { return lp->parts ? static_cast<int>(lp->parts->qcons.size) : 0; }

int solution_qcslack(const tvlenv *env, tvllp *lp, int soln, double *out, int begin, int end) {
  static const char *kName = "TVLgetsolnpoolqconstrslack";
  if (soln == -1) {
    // The incumbent: its values come from the solution record.
    int st = enter_query(env, lp);
    if (st) return st;
    int n = lp->lp->ncols;
    Scratch<double> x(n);
    if (!x.ok()) return 1001;
    if (n > 0 && (st = TVLgetx(env, lp, x.p, 0, n - 1)) != 0) return -st;
    if (!out) return 1004;
    if ((st = check_range(env, kName, begin, end, num_qconstrs(lp))) != 0) return st;
    qconstr_slacks(lp, x.p, out, begin, end);
    return 0;
  }
  SolnPool *p = nullptr;
  int st = enter_solution(env, lp, soln, &p);
  if (!st && !out) st = 1004;
  if (!st) st = check_range(env, kName, begin, end, num_qconstrs(lp));
  if (st) return st;
  qconstr_slacks(lp, p->solution(soln), out, begin, end);
  return 0;
}

int solution_name(const tvlenv *env, tvllp *lp, char *buf, int space, int *surplus_p, int soln) {
  if (soln == -1) {
    int st = enter_query(env, lp);
    return st ? st : single_name("incumbent", buf, space, surplus_p);
  }
  SolnPool *p = nullptr;
  int st = enter_solution(env, lp, soln, &p);
  if (st) return st;
  return single_name(p->solution_name(soln), buf, space, surplus_p);
}

int solution_index(const tvlenv *env, tvllp *lp, const char *name, int *index_p) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (!name || !index_p) return 1004;
  if (std::strcmp(name, "incumbent") == 0) {
    *index_p = -1;
    return 0;
  }
  SolnPool *p = nullptr;
  if ((st = enter_pool(env, lp, &p)) != 0) return st;
  int32_t k = p->find_name(name);
  if (k < 0) return 1210;
  *index_p = k;
  return 0;
}

// Quality measure `what` of stored solution `soln`: value and index (-2
// when the measure has none).
int solution_quality(const tvlenv *env, tvllp *lp, int soln, int what, double *val, int *idx) {
  SolnPool *p = nullptr;
  if (int st = enter_solution(env, lp, soln, &p)) return st;
  p->lock();
  const std::vector<double> x(p->solution(soln), p->solution(soln) + p->numcols());
  p->unlock();
  return point_quality(env, lp, x.data(), what, val, idx);
}

int solution_dbl_quality(const tvlenv *env, tvllp *lp, int soln, double *out, int what) {
  int idx = -2;
  double val = 0.0;
  int st = solution_quality(env, lp, soln, what, &val, &idx);
  if (!st && !out) st = 1004;
  if (!st) *out = val;
  return st;
}

int solution_int_quality(const tvlenv *env, tvllp *lp, int soln, int *out, int what) {
  int idx = -2;
  double val = 0.0;
  int st = solution_quality(env, lp, soln, what, &val, &idx);
  if (!st && !out) st = 1004;
  if (!st && idx == -2) st = TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  if (!st) *out = idx;
  return st;
}

// Deletes the flagged solutions; del is rewritten to the new index of each
// kept solution and -1 for the deleted ones.
void delete_flagged(SolnPool *p, int32_t *del) {
  p->lock();
  int32_t n = p->count();
  p->remove(del);
  int32_t next = 0;
  for (int32_t k = 0; k < n; ++k) del[k] = del[k] ? -1 : next++;
  p->unlock();
}

int delete_solutions(const tvlenv *env, tvllp *lp, int begin, int end, int *delstat, bool by_flags) {
  SolnPool *p = nullptr;
  int st = enter_pool(env, lp, &p);
  if (st) return st;
  return delete_range_or_flagged(p->count(), begin, end, delstat, by_flags,
                                 [p](int32_t *del) { delete_flagged(p, del); });
}

}  // namespace
}  // namespace tvl

using tvl::boundary;
using tvl::parts_api::mut;

extern "C" {

int TVLgetsolnpoolnumsolns(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::pool_count(env, mut(lp), [](const tvl::SolnPool &p) -> int64_t { return p.count(); });
}

int TVLgetsolnpoolnumreplaced(TVLCENVptr env, TVLCLPptr lp) {
  return tvl::pool_count(env, mut(lp), [](const tvl::SolnPool &p) -> int64_t {
    return p.replaced() < 2100000000 ? p.replaced() : 2100000000;
  });
}

int TVLgetsolnpoolmeanobjval(TVLCENVptr env, TVLCLPptr lp, double *meanobjval_p) {
  return boundary(env, tvl::mean_objective(env, mut(lp), meanobjval_p));
}

int TVLgetsolnpoolobjval(TVLCENVptr env, TVLCLPptr lp, int soln, double *objval_p) {
  if (soln == -1) return TVLgetobjval(env, lp, objval_p);
  return boundary(env, tvl::solution_objective(env, mut(lp), soln, objval_p));
}

int TVLgetsolnpoolx(TVLCENVptr env, TVLCLPptr lp, int soln, double *x, int begin, int end) {
  if (soln == -1) return TVLgetx(env, lp, x, begin, end);
  return boundary(env, tvl::solution_x(env, mut(lp), soln, x, begin, end));
}

int TVLgetsolnpoolslack(TVLCENVptr env, TVLCLPptr lp, int soln, double *slack, int begin, int end) {
  if (soln == -1) return TVLgetslack(env, lp, slack, begin, end);
  return boundary(env, tvl::solution_slack(env, mut(lp), soln, slack, begin, end));
}

int TVLgetsolnpoolqconstrslack(TVLCENVptr env, TVLCLPptr lp, int soln, double *qcslack, int begin, int end) {
  return boundary(env, tvl::solution_qcslack(env, mut(lp), soln, qcslack, begin, end));
}

int TVLgetsolnpooldblquality(TVLCENVptr env, TVLCLPptr lp, int soln, double *quality_p, int what) {
  if (soln == -1) return TVLgetdblquality(env, lp, quality_p, what);
  return boundary(env, tvl::solution_dbl_quality(env, mut(lp), soln, quality_p, what));
}

int TVLgetsolnpoolintquality(TVLCENVptr env, TVLCLPptr lp, int soln, int *quality_p, int what) {
  if (soln == -1) return TVLgetintquality(env, lp, quality_p, what);
  return boundary(env, tvl::solution_int_quality(env, mut(lp), soln, quality_p, what));
}

int TVLgetsolnpoolsolnname(TVLCENVptr env, TVLCLPptr lp, char *store, int storesz, int *surplus_p, int soln) {
  return boundary(env, tvl::solution_name(env, mut(lp), store, storesz, surplus_p, soln));
}

int TVLgetsolnpoolsolnindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p) {
  return boundary(env, tvl::solution_index(env, mut(lp), lname_str, index_p));
}

int TVLdelsolnpoolsolns(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  return boundary(env, tvl::delete_solutions(env, lp, begin, end, nullptr, false));
}

int TVLdelsetsolnpoolsolns(TVLENVptr env, TVLLPptr lp, int *delstat) {
  return boundary(env, tvl::delete_solutions(env, lp, 0, 0, delstat, true));
}

}  // extern "C"
