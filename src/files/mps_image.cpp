// Loading a model image into a problem and taking one from a problem.
//
// Loading goes into a scratch problem first and, only when every part has
// been accepted, exchanges the scratch problem's content with the target's,
// so that a refused image (for instance by data checking) leaves the target
// exactly as it was.
#include <cstring>
#include <functional>
#include <utility>

#include "files/mps_image.h"
#include "frame/derived.h"
#include "frame/error.h"
#include "frame/problem.h"

namespace tvl {
namespace {

// A non-null address for empty arrays (the loaders require the pointers).
template <class T>
const T *ptr(const Vec<T> &v) {
  static const T dummy[1] = {};
  return v.empty() ? dummy : v.data();
}

// Public functions report their failures; the status is passed on negated.
int reported(int st) { return st > 0 ? -st : st; }

int load_lp(tvlenv *env, tvllp *lp, const ModelImage &img) {
  Vec<int32_t> cnt(static_cast<size_t>(img.ncols));
  for (int32_t j = 0; j < img.ncols; ++j) cnt[j] = img.matbeg[j + 1] - img.matbeg[j];
  Vec<char *> cn, rn;
  if (img.colnames.size()) cn = img.colnames.pointers();
  if (img.rownames.size()) rn = img.rownames.pointers();
  int st = TVLcopylpwnames(env, lp, img.ncols, img.nrows, img.objsense, ptr(img.obj), ptr(img.rhs),
                           ptr(img.sense), ptr(img.matbeg), ptr(cnt), ptr(img.matind), ptr(img.matval),
                           ptr(img.lb), ptr(img.ub), img.ranged() ? img.rngval.data() : nullptr,
                           cn.empty() ? nullptr : cn.data(), rn.empty() ? nullptr : rn.data());
  if (st) return reported(st);
  if (!img.ctype.empty() && (st = TVLcopyctype(env, lp, img.ctype.data())) != 0) return reported(st);
  lp->lp->objoffset = img.objoffset;
  if ((st = TVLcopyobjname(env, lp, img.has_objname ? img.objname.data() : nullptr)) != 0) return reported(st);
  return 0;
}

using AddRowsFn = int (*)(TVLENVptr, TVLLPptr, int, int, const double *, const char *, const int *, const int *,
                         const double *, char **);

int load_rows(tvlenv *env, tvllp *lp, const ImageRows &r, AddRowsFn add) {
  if (r.count() == 0) return 0;
  Vec<char *> names;
  if (r.names.size()) names = r.names.pointers();
  return reported(add(env, lp, static_cast<int>(r.count()), static_cast<int>(r.ind.size()), r.rhs.data(),
                      r.sense.data(), r.beg.data(), ptr(r.ind), ptr(r.val), names.empty() ? nullptr : names.data()));
}

int load_parts(tvlenv *env, tvllp *lp, const ModelImage &img) {
  int st;
  if (img.nsos() > 0) {
    Vec<char *> names;
    if (img.sosnames.size()) names = img.sosnames.pointers();
    st = TVLcopysos(env, lp, static_cast<int>(img.nsos()), static_cast<int>(img.sosind.size()), img.sostype.data(),
                    img.sosbeg.data(), ptr(img.sosind), ptr(img.soswt), names.empty() ? nullptr : names.data());
    if (st) return reported(st);
    // Priorities have no loading function of their own.
    if (!img.sospri.empty() && !lp->parts->sos.sospri.append(img.sospri.data(), img.nsos())) return 1001;
  }
  if (img.has_qobj) {
    Vec<int32_t> cnt(static_cast<size_t>(img.ncols));
    for (int32_t j = 0; j < img.ncols; ++j) cnt[j] = img.qbeg[j + 1] - img.qbeg[j];
    st = TVLcopyquad(env, lp, ptr(img.qbeg), ptr(cnt), ptr(img.qind), ptr(img.qval));
    if (st) return reported(st);
  }
  for (int64_t k = 0; k < img.nqc(); ++k) {
    int32_t lb = img.qc_lbeg[k], qb = img.qc_qbeg[k];
    st = TVLaddqconstr(env, lp, img.qc_lbeg[k + 1] - lb, img.qc_qbeg[k + 1] - qb, img.qc_rhs[k], img.qc_sense[k],
                       ptr(img.qc_lind) + lb, ptr(img.qc_lval) + lb, ptr(img.qc_qrow) + qb, ptr(img.qc_qcol) + qb,
                       ptr(img.qc_qval) + qb, img.qc_names.size() ? img.qc_names.c_str(k) : nullptr);
    if (st) return reported(st);
  }
  for (int64_t k = 0; k < img.nic(); ++k) {
    int32_t b = img.ic_beg[k];
    st = TVLEaddindconstr(env, lp, img.ic_var[k], img.ic_compl[k], img.ic_beg[k + 1] - b, img.ic_rhs[k],
                          img.ic_sense[k], ptr(img.ic_ind) + b, ptr(img.ic_val) + b,
                          img.ic_names.size() ? img.ic_names.c_str(k) : nullptr);
    if (st) return reported(st);
  }
  if ((st = load_rows(env, lp, img.usercuts, TVLaddusercuts)) != 0) return st;
  return load_rows(env, lp, img.lazy, TVLaddlazyconstraints);
}

// Exchanges the model content of two problems (data, types, parts, name).
void swap_content(tvllp *a, tvllp *b, bool swap_name) {
  std::swap(a->lp, b->lp);
  std::swap(a->mip, b->mip);
  std::swap(a->parts, b->parts);
  std::swap(a->type, b->type);
  if (swap_name) std::swap(a->name, b->name);
}

}  // namespace

int replace_content(tvlenv *env, tvllp *lp, const char *probname, const std::function<int(tvllp *)> &fill) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if ((st = complete(env, lp)) != 0) return st;
  tvllp *tmp = TVLcreateprob(env, &st, probname ? probname : "");
  if (!tmp) return reported(st);
  try {
    st = fill(tmp);
  } catch (const std::bad_alloc &) {
    st = 1001;
  }
  if (!st) {
    if (is_node_type(lp->type)) tmp->type = lp->type;
    swap_content(lp, tmp, probname != nullptr);
    discard_derived(lp, kDropAll);
  }
  TVLfreeprob(env, &tmp);
  return st;
}

int image_load(tvlenv *env, tvllp *lp, const ModelImage &img) {
  return replace_content(env, lp, img.has_probname ? img.probname.data() : nullptr, [&](tvllp *tmp) {
    int st = load_lp(env, tmp, img);
    return st ? st : load_parts(env, tmp, img);
  });
}

namespace {

template <class T>
int get_range(int (*fn)(TVLCENVptr, TVLCLPptr, T *, int, int), const tvlenv *env, const tvllp *lp, Vec<T> &out,
              int32_t n) {
  out.resize(static_cast<size_t>(n));
  if (n == 0) return 0;
  return reported(fn(env, lp, out.data(), 0, n - 1));
}

int capture_names(const tvlenv *env, const tvllp *lp, bool rows, int32_t n, NameList &out) {
  out.clear();
  if (n == 0 || !(rows ? lp->lp->rownames : lp->lp->colnames).present()) return 0;
  auto fn = rows ? TVLgetrowname : TVLgetcolname;
  int surplus = 0;
  int st = fn(env, lp, nullptr, nullptr, 0, &surplus, 0, n - 1);
  if (st == TVLERR_NO_NAMES_EXIST) return 0;
  if (st && st != TVLERR_INSUFFICIENT_ARRAY_LENGTH) return reported(st);
  Vec<char> store(static_cast<size_t>(-surplus) + 1);
  Vec<char *> name(static_cast<size_t>(n));
  st = fn(env, lp, name.data(), store.data(), -surplus, &surplus, 0, n - 1);
  if (st) return reported(st);
  out.reserve(n, static_cast<int64_t>(store.size()));
  for (int32_t k = 0; k < n; ++k) out.add(name[k]);
  return 0;
}

int capture_lp(const tvlenv *env, const tvllp *lp, ModelImage &img) {
  int32_t n = img.ncols, m = img.nrows;
  int st;
  if ((st = get_range(TVLgetobj, env, lp, img.obj, n)) || (st = get_range(TVLgetlb, env, lp, img.lb, n)) ||
      (st = get_range(TVLgetub, env, lp, img.ub, n)) || (st = get_range(TVLgetrhs, env, lp, img.rhs, m)) ||
      (st = get_range(TVLgetsense, env, lp, img.sense, m)))
    return st;
  bool ranged = false;
  for (char c : img.sense) ranged |= c == 'R';
  if (ranged && (st = get_range(TVLgetrngval, env, lp, img.rngval, m))) return st;
  img.matbeg.assign(static_cast<size_t>(n) + 1, 0);
  int64_t nz = TVLgetnumnz(env, lp);
  img.matind.resize(static_cast<size_t>(nz));
  img.matval.resize(static_cast<size_t>(nz));
  if (n > 0) {
    int cnt = 0, surplus = 0;
    st = TVLgetcols(env, lp, &cnt, img.matbeg.data(), nz ? img.matind.data() : nullptr,
                    nz ? img.matval.data() : nullptr, static_cast<int>(nz), &surplus, 0, n - 1);
    if (st && !(nz == 0 && st == TVLERR_NULL_POINTER_FOR_REQUIRED_DATA)) return reported(st);
  }
  img.matbeg[n] = static_cast<int32_t>(nz);
  if ((st = capture_names(env, lp, false, n, img.colnames)) || (st = capture_names(env, lp, true, m, img.rownames)))
    return st;
  if (lp->mip || is_mip_type(lp->type)) {
    if ((st = get_range(TVLgetctype, env, lp, img.ctype, n))) return st;
  }
  return 0;
}

void capture_rows(const CutRows &c, ImageRows &r) {
  if (c.count() == 0) return;
  r.beg.assign(c.beg.data, c.beg.data + c.beg.size);
  r.ind.assign(c.ind.data, c.ind.data + c.ind.size);
  r.val.assign(c.val.data, c.val.data + c.val.size);
  r.rhs.assign(c.rhs.data, c.rhs.data + c.rhs.size);
  r.sense.assign(c.sense.data, c.sense.data + c.sense.size);
  if (c.name.size)
    for (int64_t k = 0; k < c.count(); ++k) r.names.add_cstr(c.name[k]);
}

void capture_parts(const tvllp *lp, ModelImage &img) {
  const ModelParts *p = lp->parts;
  if (!p) return;
  const SosData &s = p->sos;
  if (s.count() > 0) {
    img.sostype.assign(s.sostype.data, s.sostype.data + s.count());
    img.sosbeg.assign(s.sosbeg.data, s.sosbeg.data + s.count() + 1);
    img.sosind.assign(s.sosind.data, s.sosind.data + s.sosind.size);
    img.soswt.assign(s.soswt.data, s.soswt.data + s.soswt.size);
    if (s.sosname.size)
      for (int64_t k = 0; k < s.count(); ++k) img.sosnames.add_cstr(s.sosname[k]);
    img.sospri.assign(s.sospri.data, s.sospri.data + s.sospri.size);
  }
  if (p->qobj) {
    img.has_qobj = true;
    const QuadObj &q = *p->qobj;
    img.qbeg.assign(q.qbeg.data, q.qbeg.data + q.qbeg.size);
    img.qind.assign(q.qind.data, q.qind.data + q.qind.size);
    img.qval.assign(q.qval.data, q.qval.data + q.qval.size);
  }
  for (int64_t k = 0; k < p->qcons.size; ++k) {
    const QConstr &c = p->qcons[k];
    img.qc_lind.insert(img.qc_lind.end(), c.lind.data, c.lind.data + c.lind.size);
    img.qc_lval.insert(img.qc_lval.end(), c.lval.data, c.lval.data + c.lval.size);
    img.qc_lbeg.push_back(static_cast<int32_t>(img.qc_lind.size()));
    img.qc_qrow.insert(img.qc_qrow.end(), c.qrow.data, c.qrow.data + c.qrow.size);
    img.qc_qcol.insert(img.qc_qcol.end(), c.qcol.data, c.qcol.data + c.qcol.size);
    img.qc_qval.insert(img.qc_qval.end(), c.qval.data, c.qval.data + c.qval.size);
    img.qc_qbeg.push_back(static_cast<int32_t>(img.qc_qrow.size()));
    img.qc_rhs.push_back(c.rhs);
    img.qc_sense.push_back(c.sense);
    img.qc_names.add_cstr(c.name);
  }
  for (int64_t k = 0; k < p->indcons.size; ++k) {
    const IndConstr &c = p->indcons[k];
    img.ic_var.push_back(c.indvar);
    img.ic_compl.push_back(c.complemented);
    img.ic_ind.insert(img.ic_ind.end(), c.ind.data, c.ind.data + c.ind.size);
    img.ic_val.insert(img.ic_val.end(), c.val.data, c.val.data + c.val.size);
    img.ic_beg.push_back(static_cast<int32_t>(img.ic_ind.size()));
    img.ic_rhs.push_back(c.rhs);
    img.ic_sense.push_back(c.sense);
    img.ic_names.add_cstr(c.name);
  }
  capture_rows(p->usercuts, img.usercuts);
  capture_rows(p->lazy, img.lazy);
}

}  // namespace

int image_capture(tvlenv *env, tvllp *lp, ModelImage &img) {
  int st = check_problem(env, lp);
  if (st) return st;
  if ((st = complete(env, lp)) != 0) return st;
  try {
    img = ModelImage();
    img.ncols = TVLgetnumcols(env, lp);
    img.nrows = TVLgetnumrows(env, lp);
    img.objsense = TVLgetobjsen(env, lp);
    img.objoffset = lp->lp->objoffset;
    if (lp->name) {
      img.probname.assign(lp->name, lp->name + std::strlen(lp->name) + 1);
      img.has_probname = true;
    }
    if (lp->lp->objname) {
      img.objname.assign(lp->lp->objname, lp->lp->objname + std::strlen(lp->lp->objname) + 1);
      img.has_objname = true;
    }
    if ((st = capture_lp(env, lp, img)) != 0) return st;
    capture_parts(lp, img);
  } catch (const std::bad_alloc &) {
    return 1001;
  }
  return 0;
}

}  // namespace tvl
