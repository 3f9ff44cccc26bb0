// Problem object life cycle (create, free, clone), problem types and type
// conversion, problem and objective names.
#include "frame/problem.h"

#include <cstring>

#include "frame/changecache.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/param.h"

namespace tvl {

bool datacheck_on(const tvlenv *env) { return param_int(env, TVL_PARAM_DATACHECK) == 1; }

int check_problem(const tvlenv *env, const tvllp *lp) {
  int st = check_env(env, lp);
  if (st) return st;
  return is_problem(lp) ? 0 : 1009;
}

int check_modifiable(const tvlenv *env, const tvllp *lp) {
  int st = check_problem(env, lp);
  if (st) return st;
  return is_fixed_type(lp->type) ? 1023 : 0;
}

int32_t total_rows(const tvllp *lp) {
  return lp->lp->nrows + (cache_pending(lp) ? lp->cache->rows.count : 0);
}

int32_t total_cols(const tvllp *lp) {
  return lp->lp->ncols + (cache_pending(lp) ? lp->cache->cols.count : 0);
}

int complete(const tvlenv *env, tvllp *lp) {
  if (!cache_pending(lp)) return 0;
  return cache_apply(env, lp);
}

// ---- problem types ----

int derive_type(const tvllp *lp) {
  bool qc = lp->parts && lp->parts->qcons.size > 0;
  bool qo = lp->parts && lp->parts->qobj;
  if (lp->mip) return qc ? 11 : qo ? 7 : 1;
  return qc ? 10 : qo ? 5 : 0;
}

void rederive_type(tvllp *lp) {
  if (is_node_type(lp->type) || is_fixed_type(lp->type)) return;
  lp->type = derive_type(lp);
}

bool ensure_mip(tvllp *lp) {
  if (lp->mip) return true;
  auto *m = static_cast<MipData *>(mem_alloc(sizeof(MipData)));
  if (!m) return false;
  *m = MipData{};
  int32_t cap = lp->lp->colcap > 0 ? lp->lp->colcap : 1;
  m->ctype = mem_array<char>(static_cast<size_t>(cap));
  if (!m->ctype) {
    mem_free(m);
    return false;
  }
  std::memset(m->ctype, 'C', static_cast<size_t>(cap));
  lp->mip = m;
  return true;
}

void free_mip(tvllp *lp) {
  if (!lp->mip) return;
  mem_free(lp->mip->ctype);
  mem_free(lp->mip);
}

bool ensure_parts(tvllp *lp) {
  if (lp->parts) return true;
  auto *p = static_cast<ModelParts *>(mem_alloc(sizeof(ModelParts)));
  if (!p) return false;
  *p = ModelParts{};
  lp->parts = p;
  return true;
}

bool ensure_qobj(tvllp *lp) {
  if (lp->parts && lp->parts->qobj) return true;
  if (!ensure_parts(lp)) return false;
  auto *q = static_cast<QuadObj *>(mem_alloc(sizeof(QuadObj)));
  if (!q) return false;
  *q = QuadObj{};
  if (!q->qbeg.resize(int64_t{lp->lp->ncols} + 1, 0)) {
    mem_free(q);
    return false;
  }
  lp->parts->qobj = q;
  return true;
}

static bool valid_type(int type) {
  switch (type) {
    case 0: case 1: case 3: case 4: case 5: case 7: case 8: case 9: case 10: case 11: case 12: case 13:
      return true;
    default:
      return false;
  }
}

// Status refusing a conversion to a fixed type from the current type.
static int fixed_type_refusal(int type, int current) {
  if (type == 3 && current != 1 && current != 3) return 1024;
  if (type == 8 && current != 7 && current != 8) return 1029;
  if (type == 13 && current != 11 && current != 13) return 9019;
  return 0;
}

// Frees the MIP data (column types, sets, indicator constraints and the
// search state that depends on them).
static void drop_mip_data(const tvlenv *env, tvllp *lp, bool announce) {
  bool had = lp->mip || (lp->parts && (lp->parts->sos.count() || lp->parts->indcons.size));
  if (!had) return;
  if (announce) msg_warning(env, "Freeing MIP data.\n");
  free_mip(lp);
  if (lp->parts) {
    parts_free_sos(lp->parts);
    parts_free_indcons(lp->parts);
  }
  drop_mip_derived(env, lp, false);
}

int convert_type(const tvlenv *env, tvllp *lp, int type) {
  if (!valid_type(type)) return 1022;
  if (type == lp->type && !is_fixed_type(type)) return 0;
  if (is_fixed_type(type)) {
    int st = fixed_type_refusal(type, lp->type);
    if (st) return st;
    st = make_fixed_problem(const_cast<tvlenv *>(env), lp, type);
    if (st) return st;
    discard_derived(lp, kDropAll & ~kDropInner);
    lp->type = type;
    return 0;
  }
  bool want_mip = type == 1 || type == 7 || type == 11;
  bool want_qobj = type == 5 || type == 7 || type == 9;
  bool keep_qobj = want_qobj || type == 10 || type == 11 || type == 12;
  bool keep_qcons = type == 10 || type == 11 || type == 12;
  if (want_mip && !ensure_mip(lp)) return 1001;
  if (want_qobj && !ensure_qobj(lp)) return 1001;
  bool announce = datacheck_on(env);
  if (!want_mip) drop_mip_data(env, lp, announce);
  if (!keep_qobj && lp->parts && lp->parts->qobj) {
    if (announce) msg_warning(env, "Freeing QP data.\n");
    parts_free_qobj(lp->parts);
  }
  if (!keep_qcons && lp->parts && lp->parts->qcons.size) {
    if (announce) msg_warning(env, "Freeing QCONSTR data.\n");
    parts_free_qcons(lp->parts);
  }
  if (lp->parts && parts_empty(lp->parts)) parts_free(lp->parts);
  discard_derived(lp, kDropAll);
  lp->type = type;
  return 0;
}

// ---- life cycle ----

static void free_record(tvllp *&lp) {
  free_derived(lp);
  mipstarts_free(lp);
  if (lp->inner) {
    tvllp *inner = lp->inner;
    lp->inner = nullptr;
    free_record(inner);
  }
  cache_free(lp->cache);
  free_mip(lp);
  parts_free(lp->parts);
  lpdata_free(lp->lp);
  mem_free(lp->name);
  lp->tag = nullptr;
  mem_free(lp);
}

void problem_free(tvlenv *env, tvllp *&lp) {
  resource_remove(const_cast<tvlenv *>(root_env(env)), lp);
  free_record(lp);
}

static tvllp *new_record(const tvlenv *env) {
  auto *lp = static_cast<tvllp *>(mem_alloc(sizeof(tvllp)));
  if (!lp) return nullptr;
  std::memset(static_cast<void *>(lp), 0, sizeof(tvllp));
  lp->env = const_cast<tvlenv *>(root_env(env));
  return lp;
}

// Enters a finished record on the resource list and makes it valid.
static int publish(tvlenv *env, tvllp *lp) {
  int st = resource_add(const_cast<tvlenv *>(root_env(env)), kResProblem, lp);
  if (st) return st;
  lp->tag = lp;
  return 0;
}

static tvllp *create(tvlenv *env, const char *name, int *st) {
  *st = check_env(env);
  if (*st) return nullptr;
  if (!name) {
    *st = 1004;
    return nullptr;
  }
  tvllp *lp = new_record(env);
  if (lp) {
    lp->name = mem_strdup(name);
    lp->lp = lpdata_new();
  }
  if (!lp || !lp->name || !lp->lp) {
    if (lp) free_record(lp);
    *st = 1001;
    return nullptr;
  }
  *st = publish(env, lp);
  if (*st) free_record(lp);
  return lp;
}

// Copies names, LP data, MIP data and model parts of src into a new record.
static tvllp *clone(tvlenv *env, const tvllp *src, int *st) {
  tvllp *lp = new_record(env);
  if (!lp) {
    *st = 1001;
    return nullptr;
  }
  lp->type = src->type;
  bool ok = (lp->name = mem_strdup(src->name)) != nullptr;
  ok = ok && (lp->lp = lpdata_clone(src->lp)) != nullptr;
  if (ok && src->mip) {
    lp->mip = static_cast<MipData *>(mem_alloc(sizeof(MipData)));
    ok = lp->mip != nullptr;
    if (ok) {
      *lp->mip = MipData{};
      int32_t n = src->lp->ncols > 0 ? src->lp->ncols : 1;
      lp->mip->ctype = mem_array<char>(static_cast<size_t>(n));
      ok = lp->mip->ctype != nullptr;
      if (ok) {
        std::memcpy(lp->mip->ctype, src->mip->ctype, static_cast<size_t>(src->lp->ncols));
        lp->mip->nnoncont = src->mip->nnoncont;
      }
    }
  }
  if (ok && src->parts) lp->parts = parts_clone(src->parts, &ok);
  if (ok && src->inner) lp->inner = clone(env, src->inner, st), ok = lp->inner != nullptr;
  ok = ok && mipstarts_clone(src, lp);
  if (ok) *st = clone_derived(src, lp), ok = *st == 0;
  if (!ok) {
    free_record(lp);
    if (!*st) *st = 1001;
    return nullptr;
  }
  return lp;
}

}  // namespace tvl

using namespace tvl;

extern "C" {

TVLLPptr TVLcreateprob(TVLENVptr env, int *status_p, const char *probname_str) {
  int st = 0;
  tvllp *lp = create(env, probname_str, &st);
  st = boundary(env, st);
  if (status_p) *status_p = st;
  return st ? nullptr : lp;
}

int TVLfreeprob(TVLENVptr env, TVLLPptr *lp_p) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!lp_p) return boundary(env, 1004);
  if (!*lp_p) return 0;
  st = check_problem(env, *lp_p);
  if (st) return boundary(env, st);
  problem_free(env, *lp_p);
  return 0;
}

TVLLPptr TVLcloneprob(TVLENVptr env, TVLCLPptr lp, int *status_p) {
  tvllp *src = const_cast<tvllp *>(lp);
  int st = check_problem(env, src);
  tvllp *copy = nullptr;
  if (!st) st = complete(env, src);
  if (!st) copy = clone(env, src, &st);
  if (copy) {
    st = publish(env, copy);
    if (st) free_record(copy);
  }
  st = boundary(env, st);
  if (status_p) *status_p = st;
  return st ? nullptr : copy;
}

int TVLgetprobtype(TVLCENVptr env, TVLCLPptr lp) {
  tvllp *p = const_cast<tvllp *>(lp);
  int st = check_problem(env, p);
  if (!st) st = complete(env, p);
  if (st) {
    boundary(env, st);
    return -1;
  }
  return p->type;
}

int TVLchgprobtype(TVLENVptr env, TVLLPptr lp, int type) {
  int st = check_problem(env, lp);
  if (!st && (type != lp->type || is_fixed_type(type))) {
    st = complete(env, lp);
    if (!st) st = convert_type(env, lp, type);
  }
  return boundary(env, st);
}

int TVLcopyobjname(TVLENVptr env, TVLLPptr lp, const char *objname_str) {
  int st = check_env(env, lp);
  if (!st && !is_problem(lp)) st = 1023;
  if (!st) {
    char *copy = nullptr;
    if (objname_str && !(copy = mem_strdup(objname_str))) {
      st = 1001;
    } else {
      mem_free(lp->lp->objname);
      lp->lp->objname = copy;
    }
  }
  return boundary(env, st);
}

int TVLchgprobname(TVLENVptr env, TVLLPptr lp, const char *probname) {
  int st = check_env(env, lp);
  if (!st && !is_problem(lp)) st = 1023;
  if (!st && !probname) st = 1004;
  if (!st) {
    char *copy = mem_strdup(probname);
    if (!copy) {
      st = 1001;
    } else {
      mem_free(lp->name);
      lp->name = copy;
    }
  }
  return boundary(env, st);
}

}  // extern "C"
