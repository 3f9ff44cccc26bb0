#include "files/lpread_load.h"

#include <string>
#include <vector>

#include "frame/problem.h"

namespace tvl {

namespace {

int reported(int status) { return status > 0 ? -status : status; }

// Text pointers into a vector of names (kept alive by the caller).
std::vector<char *> name_pointers(std::vector<std::string> &names) {
  std::vector<char *> p(names.size() + 1, nullptr);
  for (size_t k = 0; k < names.size(); ++k) p[k] = names[k].data();
  return p;
}

}  // namespace

int lp_load_model(tvlenv *env, tvllp *lp, const LpFileModel &model) {
  const int n = model.numcols();
  const int m = static_cast<int>(model.rows.size());
  std::vector<int> cnt(n + 1, 0);
  for (const LpFileRow &r : model.rows)
    for (int j : r.ind) ++cnt[j];
  std::vector<int> beg(n + 1, 0);
  for (int j = 0; j < n; ++j) beg[j + 1] = beg[j] + cnt[j];
  size_t nnz = static_cast<size_t>(beg[n]);
  std::vector<int> ind(nnz + 1), fill(beg.begin(), beg.end());
  std::vector<double> val(nnz + 1);
  for (int i = 0; i < m; ++i) {
    const LpFileRow &r = model.rows[i];
    for (size_t k = 0; k < r.ind.size(); ++k) {
      int pos = fill[r.ind[k]]++;
      ind[pos] = i;
      val[pos] = r.val[k];
    }
  }
  std::vector<double> rhs(m + 1, 0.0), rng(m + 1, 0.0);
  std::vector<char> sense(m + 1, 'L');
  bool ranged = false;
  std::vector<std::string> rownames;
  for (int i = 0; i < m; ++i) {
    const LpFileRow &r = model.rows[i];
    rhs[i] = r.rhs;
    sense[i] = r.sense;
    rng[i] = r.rng;
    ranged = ranged || r.sense == 'R';
    if (model.has_rownames) rownames.push_back(r.name.empty() ? "c" + std::to_string(i + 1) : r.name);
  }
  std::vector<std::string> colnames = model.colnames;
  std::vector<char *> cptr = name_pointers(colnames), rptr = name_pointers(rownames);
  std::vector<double> obj = model.obj, lb = model.lb, ub = model.ub;
  obj.push_back(0.0);
  lb.push_back(0.0);
  ub.push_back(0.0);
  int st = TVLcopylpwnames(env, lp, n, m, model.objsense, obj.data(), rhs.data(), sense.data(), beg.data(),
                           cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), ranged ? rng.data() : nullptr,
                           model.has_colnames ? cptr.data() : nullptr,
                           model.has_rownames ? rptr.data() : nullptr);
  if (st != 0) return reported(st);
  lp->lp->objoffset = model.objoffset;
  if (!model.objname.empty()) {
    st = TVLcopyobjname(env, lp, model.objname.c_str());
    if (st != 0) return reported(st);
  }
  if (!model.ctype.empty() && n > 0) {
    st = TVLcopyctype(env, lp, model.ctype.data());
    if (st != 0) return reported(st);
  }
  return lp_load_extras(env, lp, model);
}

}  // namespace tvl
