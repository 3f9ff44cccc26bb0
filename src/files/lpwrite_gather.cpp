#include "files/lpwrite_gather.h"

#include "frame/problem.h"

#include <string>
#include <vector>

namespace tvl {

namespace {

// Public queries have reported their failure already.
int reported(int status) { return status > 0 ? -status : status; }

using NameQuery = int (*)(TVLCENVptr, TVLCLPptr, char **, char *, int, int *, int, int);

// Names of `count` items, or has = false when the problem has none (asked
// first, so that the query does not report their absence as an error).
int get_names(tvlenv *env, tvllp *lp, NameQuery query, bool present, int count, std::vector<std::string> &out,
              bool &has) {
  has = false;
  out.clear();
  if (count <= 0 || !present) return 0;
  int surplus = 0;
  int st = query(env, lp, nullptr, nullptr, 0, &surplus, 0, count - 1);
  if (st != 0 && st != TVLERR_INSUFFICIENT_ARRAY_LENGTH) return reported(st);
  int space = -surplus;
  std::vector<char *> ptr(count);
  std::vector<char> store(space > 0 ? space : 1);
  st = query(env, lp, ptr.data(), store.data(), space, &surplus, 0, count - 1);
  if (st != 0) return reported(st);
  out.reserve(count);
  for (int k = 0; k < count; ++k) out.emplace_back(ptr[k]);
  has = true;
  return 0;
}

using TextQuery = int (*)(TVLCENVptr, TVLCLPptr, char *, int, int *);

int get_text(tvlenv *env, tvllp *lp, TextQuery query, std::string &out) {
  out.clear();
  int surplus = 0;
  int st = query(env, lp, nullptr, 0, &surplus);
  if (st != 0 && st != TVLERR_INSUFFICIENT_ARRAY_LENGTH) return reported(st);
  if (surplus >= 0) return 0;
  std::vector<char> buf(-surplus + 1, '\0');
  st = query(env, lp, buf.data(), -surplus, &surplus);
  if (st != 0) return reported(st);
  out = buf.data();
  return 0;
}

int gather_rows(tvlenv *env, tvllp *lp, int m, LpFileModel &model) {
  model.rows.assign(m, LpFileRow());
  if (m == 0) return 0;
  std::vector<double> rhs(m), rng;
  std::vector<char> sense(m);
  if (int st = TVLgetrhs(env, lp, rhs.data(), 0, m - 1)) return reported(st);
  if (int st = TVLgetsense(env, lp, sense.data(), 0, m - 1)) return reported(st);
  bool ranged = false;
  for (char s : sense) ranged = ranged || s == 'R';
  if (ranged) {
    rng.assign(m, 0.0);
    if (int st = TVLgetrngval(env, lp, rng.data(), 0, m - 1)) return reported(st);
  }
  int nnz = TVLgetnumnz(env, lp);
  std::vector<int> beg(m), ind(nnz > 0 ? nnz : 1);
  std::vector<double> val(nnz > 0 ? nnz : 1);
  int got = 0, surplus = 0;
  if (nnz > 0) {
    int st = TVLgetrows(env, lp, &got, beg.data(), ind.data(), val.data(), nnz, &surplus, 0, m - 1);
    if (st != 0) return reported(st);
  }
  for (int i = 0; i < m; ++i) {
    LpFileRow &r = model.rows[i];
    r.sense = sense[i];
    r.rhs = rhs[i];
    r.rng = ranged ? rng[i] : 0.0;
    int end = i + 1 < m ? beg[i + 1] : got;
    if (nnz == 0) end = beg[i];
    r.ind.assign(ind.begin() + beg[i], ind.begin() + end);
    r.val.assign(val.begin() + beg[i], val.begin() + end);
  }
  return 0;
}

}  // namespace

int lp_gather_model(tvlenv *env, tvllp *lp, LpFileModel &m) {
  if (int st = check_problem(env, lp)) return st;
  if (int st = complete(env, lp)) return st;
  int n = TVLgetnumcols(env, lp);
  int nrows = TVLgetnumrows(env, lp);
  m.objsense = TVLgetobjsen(env, lp) == TVL_MAX ? -1 : 1;
  m.objoffset = lp->lp->objoffset;
  if (int st = get_text(env, lp, TVLgetprobname, m.probname)) return st;
  if (int st = get_text(env, lp, TVLgetobjname, m.objname)) return st;
  m.obj.assign(n, 0.0);
  m.lb.assign(n, 0.0);
  m.ub.assign(n, 0.0);
  if (n > 0) {
    if (int st = TVLgetobj(env, lp, m.obj.data(), 0, n - 1)) return reported(st);
    if (int st = TVLgetlb(env, lp, m.lb.data(), 0, n - 1)) return reported(st);
    if (int st = TVLgetub(env, lp, m.ub.data(), 0, n - 1)) return reported(st);
    if (is_mip_type(TVLgetprobtype(env, lp))) {
      m.ctype.assign(n, 'C');
      if (int st = TVLgetctype(env, lp, m.ctype.data(), 0, n - 1)) return reported(st);
    }
  }
  if (int st = gather_rows(env, lp, nrows, m)) return st;
  if (int st = get_names(env, lp, TVLgetcolname, lp->lp->colnames.present(), n, m.colnames, m.has_colnames)) return st;
  std::vector<std::string> rownames;
  bool has_rownames = false;
  if (int st = get_names(env, lp, TVLgetrowname, lp->lp->rownames.present(), nrows, rownames, has_rownames)) return st;
  m.has_rownames = has_rownames;
  if (has_rownames)
    for (int i = 0; i < nrows; ++i) m.rows[i].name = std::move(rownames[i]);
  return lp_gather_extras(env, lp, m);
}

}  // namespace tvl
