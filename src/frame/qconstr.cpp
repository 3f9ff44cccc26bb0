// Quadratic constraints: a'x + sum q_k x[row_k] x[col_k] (sense) rhs with
// sense 'L' or 'G'.  Adding one makes the problem a QCP (MIQCP for a MIP).
#include "frame/parts_api.h"

namespace tvl {
namespace {

using namespace parts_api;

bool fill_qconstr(QConstr &q, int linnz, int quadnz, const int *linind, const double *linval, const int *qrow,
                  const int *qcol, const double *qval, const char *name) {
  return q.lind.append(linind, linnz) && q.lval.append(linval, linnz) && q.qrow.append(qrow, quadnz) &&
         q.qcol.append(qcol, quadnz) && q.qval.append(qval, quadnz) && copy_name(name, &q.name);
}

void free_qconstr(QConstr &q) {
  q.lind.release(), q.lval.release(), q.qrow.release(), q.qcol.release(), q.qval.release();
  mem_free(q.name);
}

int add_qconstr(const tvlenv *env, tvllp *lp, int linnz, int quadnz, double rhs, int sense, const int *linind,
                const double *linval, const int *qrow, const int *qcol, const double *qval, const char *name) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (linnz < 0 || quadnz < 0) return 1003;
  if (linnz > 0 && (!linind || !linval)) return 1004;
  if (quadnz > 0 && (!qrow || !qcol || !qval)) return 1004;
  if (sense != 'L' && sense != 'G') return 6002;
  int32_t n = lp->lp->ncols;
  for (int k = 0; k < linnz; ++k)
    if (linind[k] < 0 || linind[k] >= n) return report(env, 1201, k);
  for (int k = 0; k < quadnz; ++k) {
    if (qrow[k] < 0 || qrow[k] >= n) return report(env, 1201, k);
    if (qcol[k] < 0 || qcol[k] >= n) return report(env, 1201, k);
  }
  if (datacheck_on(env)) {
    if ((st = check_value(env, rhs, 0)) != 0) return st;
    for (int k = 0; k < linnz; ++k)
      if ((st = check_value(env, linval[k], k)) != 0) return st;
    for (int k = 0; k < quadnz; ++k)
      if ((st = check_value(env, qval[k], k)) != 0) return st;
  }
  QConstr q;
  q.sense = static_cast<char>(sense);
  q.rhs = rhs;
  if (!fill_qconstr(q, linnz, quadnz, linind, linval, qrow, qcol, qval, name) || !ensure_parts(lp) ||
      !lp->parts->qcons.push(q)) {
    free_qconstr(q);
    return 1001;
  }
  rederive_type(lp);
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
  return 0;
}

const QConstr *qconstr_at(const tvllp *lp, int which) { return &lp->parts->qcons[which]; }

int64_t qconstr_count(const tvllp *lp) { return lp->parts ? lp->parts->qcons.size : 0; }

int get_qconstr(const tvlenv *env, tvllp *lp, int *linnz_p, int *quadnz_p, double *rhs_p, char *sense_p,
                int *linind, double *linval, int linspace, int *linsurplus_p, int *qrow, int *qcol, double *qval,
                int quadspace, int *quadsurplus_p, int which) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (linnz_p) *linnz_p = 0;
  if (quadnz_p) *quadnz_p = 0;
  if (linsurplus_p) *linsurplus_p = 0;
  if (quadsurplus_p) *quadsurplus_p = 0;
  if (linspace < 0 || quadspace < 0) return 1003;
  if ((st = check_range(env, "TVLgetqconstr", which, which, qconstr_count(lp))) != 0) return st;
  const QConstr *q = qconstr_at(lp, which);
  if (rhs_p) *rhs_p = q->rhs;
  if (sense_p) *sense_p = q->sense;
  int s1 = single_vector(q->lind.size, linnz_p, linspace, linsurplus_p, linind && linval, [&](int64_t n) {
    std::memcpy(linind, q->lind.data, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(linval, q->lval.data, sizeof(double) * static_cast<size_t>(n));
  });
  if (s1 > 0 && s1 != 1207) return s1;
  int s2 = single_vector(q->qrow.size, quadnz_p, quadspace, quadsurplus_p, qrow && qcol && qval, [&](int64_t n) {
    std::memcpy(qrow, q->qrow.data, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(qcol, q->qcol.data, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(qval, q->qval.data, sizeof(double) * static_cast<size_t>(n));
  });
  if (s2 > 0 && s2 != 1207) return s2;
  if (s1 == 1207 || s2 == 1207) return 1207;
  return s1 ? s1 : s2;
}

int get_qconstr_name(const tvlenv *env, tvllp *lp, char *buf, int space, int *surplus_p, int which) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (surplus_p) *surplus_p = 0;
  if ((st = check_range(env, "TVLgetqconstrname", which, which, qconstr_count(lp))) != 0) return st;
  const char *s = qconstr_at(lp, which)->name;
  if (!s) return 1219;
  return single_name(s, buf, space, surplus_p);
}

int change_qc_names(const tvlenv *env, tvllp *lp, int cnt, const int *indices, char **newname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (cnt < 0) return 1003;
  if (cnt == 0) return 0;
  if (!indices || !newname) return 1004;
  for (int k = 0; k < cnt; ++k)
    if (indices[k] < 0 || indices[k] >= qconstr_count(lp)) return 1200;
  for (int k = 0; k < cnt; ++k) {
    char *copy;
    if (!copy_name(newname[k], &copy)) return 1001;
    QConstr &q = lp->parts->qcons[indices[k]];
    mem_free(q.name);
    q.name = copy;
  }
  return 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLaddqconstr(TVLENVptr env, TVLLPptr lp, int linnzcnt, int quadnzcnt, double rhs, int sense,
                  const int *linind, const double *linval, const int *quadrow, const int *quadcol,
                  const double *quadval, const char *lname_str) {
  return boundary(env, add_qconstr(env, lp, linnzcnt, quadnzcnt, rhs, sense, linind, linval, quadrow, quadcol,
                                   quadval, lname_str));
}

int TVLgetqconstr(TVLCENVptr env, TVLCLPptr lp, int *linnzcnt_p, int *quadnzcnt_p, double *rhs_p, char *sense_p,
                  int *linind, double *linval, int linspace, int *linsurplus_p, int *quadrow, int *quadcol,
                  double *quadval, int quadspace, int *quadsurplus_p, int which) {
  return boundary(env, get_qconstr(env, parts_api::mut(lp), linnzcnt_p, quadnzcnt_p, rhs_p, sense_p, linind,
                                   linval, linspace, linsurplus_p, quadrow, quadcol, quadval, quadspace,
                                   quadsurplus_p, which));
}

int TVLgetnumqconstrs(TVLCENVptr env, TVLCLPptr lp) {
  int st = parts_api::enter_query(env, parts_api::mut(lp));
  if (st) return boundary(env, st), 0;
  return static_cast<int>(qconstr_count(lp));
}

int TVLgetqconstrname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p, int which) {
  return boundary(env, get_qconstr_name(env, parts_api::mut(lp), buf_str, bufspace, surplus_p, which));
}

int TVLEchgqcname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname) {
  return boundary(env, change_qc_names(env, lp, cnt, indices, newname));
}

}  // extern "C"
