// Storage management of the model parts: free, clone and renumbering of
// special ordered sets, quadratic objective, quadratic and indicator
// constraints when columns are added or deleted.
#include <cstring>

#include "frame/cutrows.h"
#include "frame/problem.h"

namespace tvl {

static void free_qconstr(QConstr &q) {
  q.lind.release();
  q.lval.release();
  q.qrow.release();
  q.qcol.release();
  q.qval.release();
  mem_free(q.name);
}

static void free_indconstr(IndConstr &c) {
  c.ind.release();
  c.val.release();
  mem_free(c.name);
}

void parts_free_sos(ModelParts *parts) {
  SosData &s = parts->sos;
  for (int64_t k = 0; k < s.sosname.size; ++k) mem_free(s.sosname[k]);
  s.sostype.release();
  s.sosbeg.release();
  s.sosind.release();
  s.soswt.release();
  s.sosname.release();
  s.sospri.release();
}

void parts_free_qobj(ModelParts *parts) {
  if (!parts->qobj) return;
  parts->qobj->qbeg.release();
  parts->qobj->qind.release();
  parts->qobj->qval.release();
  mem_free(parts->qobj);
}

void parts_free_qcons(ModelParts *parts) {
  for (int64_t k = 0; k < parts->qcons.size; ++k) free_qconstr(parts->qcons[k]);
  parts->qcons.release();
}

void parts_free_indcons(ModelParts *parts) {
  for (int64_t k = 0; k < parts->indcons.size; ++k) free_indconstr(parts->indcons[k]);
  parts->indcons.release();
}

void parts_free(ModelParts *&parts) {
  if (!parts) return;
  parts_free_sos(parts);
  parts_free_qobj(parts);
  parts_free_qcons(parts);
  parts_free_indcons(parts);
  cutrows_free(parts->usercuts);
  cutrows_free(parts->lazy);
  mem_free(parts);
}

bool parts_empty(const ModelParts *p) {
  return p->sos.count() == 0 && !p->qobj && p->qcons.size == 0 && p->indcons.size == 0 &&
         p->usercuts.count() == 0 && p->lazy.count() == 0;
}

static bool clone_sos(SosData &d, const SosData &s) {
  bool ok = d.sostype.assign(s.sostype) && d.sosbeg.assign(s.sosbeg) && d.sosind.assign(s.sosind) &&
            d.soswt.assign(s.soswt) && d.sospri.assign(s.sospri) && d.sosname.resize(s.sosname.size, nullptr);
  for (int64_t k = 0; ok && k < s.sosname.size; ++k) d.sosname[k] = mem_strdup(s.sosname[k], &ok);
  return ok;
}

static bool clone_qconstr(QConstr &d, const QConstr &s) {
  bool ok = d.lind.assign(s.lind) && d.lval.assign(s.lval) && d.qrow.assign(s.qrow) &&
            d.qcol.assign(s.qcol) && d.qval.assign(s.qval);
  d.sense = s.sense;
  d.rhs = s.rhs;
  if (ok) d.name = mem_strdup(s.name, &ok);
  return ok;
}

static bool clone_indconstr(IndConstr &d, const IndConstr &s) {
  bool ok = d.ind.assign(s.ind) && d.val.assign(s.val);
  d.indvar = s.indvar;
  d.complemented = s.complemented;
  d.sense = s.sense;
  d.rhs = s.rhs;
  if (ok) d.name = mem_strdup(s.name, &ok);
  return ok;
}

ModelParts *parts_clone(const ModelParts *src, bool *ok) {
  auto *p = static_cast<ModelParts *>(mem_alloc(sizeof(ModelParts)));
  if (!p) {
    *ok = false;
    return nullptr;
  }
  *p = ModelParts{};
  bool good = clone_sos(p->sos, src->sos);
  if (good && src->qobj) {
    p->qobj = static_cast<QuadObj *>(mem_alloc(sizeof(QuadObj)));
    good = p->qobj != nullptr;
    if (good) {
      *p->qobj = QuadObj{};
      good = p->qobj->qbeg.assign(src->qobj->qbeg) && p->qobj->qind.assign(src->qobj->qind) &&
             p->qobj->qval.assign(src->qobj->qval);
    }
  }
  if (good) good = p->qcons.resize(src->qcons.size, QConstr{});
  for (int64_t k = 0; good && k < src->qcons.size; ++k) good = clone_qconstr(p->qcons[k], src->qcons[k]);
  if (good) good = p->indcons.resize(src->indcons.size, IndConstr{});
  for (int64_t k = 0; good && k < src->indcons.size; ++k)
    good = clone_indconstr(p->indcons[k], src->indcons[k]);
  good = good && cutrows_clone(p->usercuts, src->usercuts) && cutrows_clone(p->lazy, src->lazy);
  if (!good) {
    parts_free(p);
    *ok = false;
    return nullptr;
  }
  return p;
}

bool parts_add_cols(ModelParts *parts, int32_t oldn, int32_t newn) {
  if (!parts || !parts->qobj) return true;
  PodVec<int32_t> &beg = parts->qobj->qbeg;
  int32_t nz = beg.size > oldn ? beg[oldn] : 0;
  return beg.resize(int64_t{newn} + 1, nz);
}

// Keeps the entries of ind/val (and of a second index list) whose columns
// survive, renumbered.
static void filter_terms(PodVec<int32_t> &ind, PodVec<double> &val, const int32_t *delstat) {
  int64_t w = 0;
  for (int64_t k = 0; k < ind.size; ++k) {
    int32_t nj = delstat[ind[k]];
    if (nj < 0) continue;
    ind[w] = nj;
    val[w++] = val[k];
  }
  ind.size = val.size = w;
}

static void delete_cols_sos(SosData &s, const int32_t *delstat) {
  int64_t nsets = s.count(), wset = 0, w = 0;
  for (int64_t k = 0; k < nsets; ++k) {
    int64_t start = w;
    for (int32_t t = s.sosbeg[k]; t < s.sosbeg[k + 1]; ++t) {
      int32_t nj = delstat[s.sosind[t]];
      if (nj < 0) continue;
      s.sosind[w] = nj;
      s.soswt[w++] = s.soswt[t];
    }
    if (w == start) {  // every member deleted: the set goes
      if (k < s.sosname.size) mem_free(s.sosname[k]);
      continue;
    }
    s.sostype[wset] = s.sostype[k];
    if (k < s.sospri.size) s.sospri[wset] = s.sospri[k];
    s.sosbeg[wset] = static_cast<int32_t>(start);
    if (k < s.sosname.size) s.sosname[wset] = s.sosname[k];
    ++wset;
  }
  s.sostype.size = wset;
  if (s.sosname.size) s.sosname.size = wset;
  if (s.sospri.size) s.sospri.size = wset;
  s.sosbeg.size = nsets ? wset + 1 : 0;
  if (nsets) s.sosbeg[wset] = static_cast<int32_t>(w);
  s.sosind.size = s.soswt.size = w;
}

static void delete_cols_qobj(QuadObj &q, const int32_t *delstat, int32_t oldn) {
  int64_t w = 0;
  int32_t nc = 0;
  for (int32_t j = 0; j < oldn; ++j) {
    int32_t b = q.qbeg[j], e = q.qbeg[j + 1];
    if (delstat[j] < 0) continue;
    q.qbeg[nc++] = static_cast<int32_t>(w);
    for (int32_t t = b; t < e; ++t) {
      int32_t ni = delstat[q.qind[t]];
      if (ni < 0) continue;
      q.qind[w] = ni;
      q.qval[w++] = q.qval[t];
    }
  }
  q.qbeg[nc] = static_cast<int32_t>(w);
  q.qbeg.size = int64_t{nc} + 1;
  q.qind.size = q.qval.size = w;
}

static void delete_cols_qconstr(QConstr &c, const int32_t *delstat) {
  filter_terms(c.lind, c.lval, delstat);
  int64_t w = 0;
  for (int64_t k = 0; k < c.qval.size; ++k) {
    int32_t a = delstat[c.qrow[k]], b = delstat[c.qcol[k]];
    if (a < 0 || b < 0) continue;
    c.qrow[w] = a;
    c.qcol[w] = b;
    c.qval[w++] = c.qval[k];
  }
  c.qrow.size = c.qcol.size = c.qval.size = w;
}

void parts_delete_cols(ModelParts *parts, const int32_t *delstat, int32_t oldn) {
  if (!parts) return;
  delete_cols_sos(parts->sos, delstat);
  if (parts->qobj) delete_cols_qobj(*parts->qobj, delstat, oldn);
  for (int64_t k = 0; k < parts->qcons.size; ++k) delete_cols_qconstr(parts->qcons[k], delstat);
  int64_t w = 0;
  for (int64_t k = 0; k < parts->indcons.size; ++k) {
    IndConstr &c = parts->indcons[k];
    if (delstat[c.indvar] < 0) {
      free_indconstr(c);
      continue;
    }
    c.indvar = delstat[c.indvar];
    filter_terms(c.ind, c.val, delstat);
    parts->indcons[w++] = c;
  }
  parts->indcons.size = w;
}

}  // namespace tvl
