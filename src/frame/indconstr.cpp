// Indicator constraints: when column indvar is 1 (0 when complemented) the
// linear row a'x (sense) rhs must hold.  They are MIP data: adding one
// makes the problem a MIP.
#include "frame/parts_api.h"
#include "frame/solution_view.h"

namespace tvl {
namespace {

using namespace parts_api;

int64_t ind_count(const tvllp *lp) { return lp->parts ? lp->parts->indcons.size : 0; }

int add_indconstr(const tvlenv *env, tvllp *lp, int indvar, int complemented, int nzcnt, double rhs, int sense,
                  const int *linind, const double *linval, const char *name) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (nzcnt < 0) return 1003;
  if (nzcnt > 0 && (!linind || !linval)) return 1004;
  int32_t n = lp->lp->ncols;
  if (indvar < 0 || indvar >= n) return report(env, 1201, indvar);
  if (complemented != 0 && complemented != 1) return 1003;
  if (sense != 'L' && sense != 'G' && sense != 'E') return report(env, 1215, 0);
  for (int k = 0; k < nzcnt; ++k)
    if (linind[k] < 0 || linind[k] >= n) return report(env, 1201, k);
  if (datacheck_on(env)) {
    if ((st = check_value(env, rhs, 0)) != 0) return st;
    for (int k = 0; k < nzcnt; ++k)
      if ((st = check_value(env, linval[k], k)) != 0) return st;
  }
  IndConstr c;
  c.indvar = indvar;
  c.complemented = complemented;
  c.sense = static_cast<char>(sense);
  c.rhs = rhs;
  bool ok = c.ind.append(linind, nzcnt) && c.val.append(linval, nzcnt) && copy_name(name, &c.name) &&
            ensure_parts(lp) && ensure_mip(lp) && lp->parts->indcons.push(c);
  if (!ok) {
    c.ind.release(), c.val.release();
    mem_free(c.name);
    return 1001;
  }
  rederive_type(lp);
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
  return 0;
}

int get_indconstr(const tvlenv *env, tvllp *lp, const char *fname, int *indvar_p, int *compl_p, int *nz_p,
                  double *rhs_p, char *sense_p, int *linind, double *linval, int space, int *surplus_p, int which) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (nz_p) *nz_p = 0;
  if (surplus_p) *surplus_p = 0;
  if ((st = check_range(env, fname, which, which, ind_count(lp))) != 0) return st;
  const IndConstr &c = lp->parts->indcons[which];
  if (indvar_p) *indvar_p = c.indvar;
  if (compl_p) *compl_p = c.complemented;
  if (rhs_p) *rhs_p = c.rhs;
  if (sense_p) *sense_p = c.sense;
  return single_vector(c.ind.size, nz_p, space, surplus_p, linind && linval, [&](int64_t n) {
    std::memcpy(linind, c.ind.data, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(linval, c.val.data, sizeof(double) * static_cast<size_t>(n));
  });
}

int get_ind_name(const tvlenv *env, tvllp *lp, char *buf, int space, int *surplus_p, int which) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (surplus_p) *surplus_p = 0;
  if ((st = check_range(env, "TVLgetindconstrname", which, which, ind_count(lp))) != 0) return st;
  const char *s = lp->parts->indcons[which].name;
  if (!s) return 1219;
  return single_name(s, buf, space, surplus_p);
}

// Slacks rhs - a'x of indicator constraints begin..end at the columns of
// the stored solution (the incumbent of a MIP), whether or not the
// indicator is switched on there.
int ind_slacks(const tvlenv *env, tvllp *lp, double *out, int begin, int end) {
  SolutionView v;
  int st = open_view(env, lp, &v);
  if (!st) st = need_primal(v);
  if (!st && !out) st = 1004;
  if (!st) st = check_range(env, "TVLgetindconstrslack", begin, end, ind_count(lp));
  if (st) return st;
  const double *x = v.soln->x.data();
  for (int k = begin; k <= end; ++k) {
    const IndConstr &c = lp->parts->indcons[k];
    double activity = 0.0;
    for (int64_t p = 0; p < c.ind.size; ++p) activity += c.val[p] * x[c.ind[p]];
    out[k - begin] = c.rhs - activity;
  }
  return 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLEaddindconstr(TVLENVptr env, TVLLPptr lp, int indvar, int complemented, int nzcnt, double rhs, int sense,
                     const int *linind, const double *linval, const char *indname_str) {
  return boundary(env, add_indconstr(env, lp, indvar, complemented, nzcnt, rhs, sense, linind, linval,
                                     indname_str));
}

int TVLgetindconstr(TVLCENVptr env, TVLCLPptr lp, int *indvar_p, int *complemented_p, int *nzcnt_p,
                    double *rhs_p, char *sense_p, int *linind, double *linval, int space, int *surplus_p,
                    int which) {
  return boundary(env, get_indconstr(env, parts_api::mut(lp), "TVLgetindconstr", indvar_p, complemented_p,
                                     nzcnt_p, rhs_p, sense_p, linind, linval, space, surplus_p, which));
}

int TVLEgetindicator(TVLCENVptr env, TVLCLPptr lp, int which, int *indvar_p, int *complemented_p, int *nzcnt_p,
                     double *rhs_p, char *sense_p, int *linind, double *linval, int space, int *surplus_p) {
  return boundary(env, get_indconstr(env, parts_api::mut(lp), "TVLEgetindicator", indvar_p, complemented_p,
                                     nzcnt_p, rhs_p, sense_p, linind, linval, space, surplus_p, which));
}

int TVLgetindconstrslack(TVLCENVptr env, TVLCLPptr lp, double *indslack, int begin, int end) {
  return boundary(env, ind_slacks(env, parts_api::mut(lp), indslack, begin, end));
}

int TVLgetnumindconstrs(TVLCENVptr env, TVLCLPptr lp) {
  int st = parts_api::enter_query(env, parts_api::mut(lp));
  if (st) return boundary(env, st), 0;
  return static_cast<int>(ind_count(lp));
}

int TVLgetindconstrname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p, int which) {
  return boundary(env, get_ind_name(env, parts_api::mut(lp), buf_str, bufspace, surplus_p, which));
}

}  // extern "C"
