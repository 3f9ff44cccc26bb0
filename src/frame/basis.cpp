// Basis storage in a problem, and TVLcopybase / TVLgetbase / TVLcopystart.
#include "frame/basis.h"

#include <new>

#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/problem.h"
#include "runtime/alloc.h"

namespace tvl {

BasisData *basis_new() {
  void *mem = mem_alloc(sizeof(BasisData));
  return mem ? new (mem) BasisData() : nullptr;
}

BasisData *basis_clone(const BasisData *src) {
  if (!src) return nullptr;
  void *mem = mem_alloc(sizeof(BasisData));
  if (!mem) return nullptr;
  try {
    return new (mem) BasisData(*src);
  } catch (const std::bad_alloc &) {
    mem_release(mem);
    return nullptr;
  }
}

void basis_free(BasisData *&basis) {
  if (!basis) return;
  basis->~BasisData();
  mem_free(basis);
}

namespace {

template <class T>
void extend(std::vector<T> &v, int32_t oldsize, int32_t newsize, T fill) {
  if (static_cast<int32_t>(v.size()) != oldsize) return;  // not maintained
  v.resize(static_cast<size_t>(newsize), fill);
}

template <class T>
void compact(std::vector<T> &v, const int32_t *delstat, int32_t oldsize) {
  if (static_cast<int32_t>(v.size()) != oldsize) return;
  size_t kept = 0;
  for (int32_t k = 0; k < oldsize; ++k) {
    if (delstat[k] >= 0) v[kept++] = v[static_cast<size_t>(k)];
  }
  v.resize(kept);
}

}  // namespace

void basis_extend_rows(BasisData *b, int32_t oldm, int32_t newm) {
  if (!b) return;
  extend<int8_t>(b->rstat, oldm, newm, TVL_BASIC);
  extend(b->rprim, oldm, newm, 0.0);
  extend(b->rdual, oldm, newm, 0.0);
}

void basis_extend_cols(BasisData *b, int32_t oldn, int32_t newn) {
  if (!b) return;
  extend<int8_t>(b->cstat, oldn, newn, TVL_AT_LOWER);
  extend(b->cprim, oldn, newn, 0.0);
  extend(b->cdual, oldn, newn, 0.0);
}

void basis_adjust_rows(BasisData *b, const int32_t *delstat, int32_t oldm) {
  if (!b) return;
  compact(b->rstat, delstat, oldm);
  compact(b->rprim, delstat, oldm);
  compact(b->rdual, delstat, oldm);
}

void basis_adjust_cols(BasisData *b, const int32_t *delstat, int32_t oldn) {
  if (!b) return;
  compact(b->cstat, delstat, oldn);
  compact(b->cprim, delstat, oldn);
  compact(b->cdual, delstat, oldn);
}

bool basis_present(TVLCLPptr lp) {
  const BasisData *b = lp->basis;
  return b && static_cast<int32_t>(b->cstat.size()) == lp->lp->ncols &&
         static_cast<int32_t>(b->rstat.size()) == lp->lp->nrows;
}

bool basis_store(TVLLPptr lp, const int *cstat, const int *rstat) {
  if (!lp->basis && !(lp->basis = basis_new())) return false;
  const int32_t n = lp->lp->ncols, m = lp->lp->nrows;
  try {
    lp->basis->cstat.assign(cstat, cstat + n);
    lp->basis->rstat.assign(rstat, rstat + m);
  } catch (const std::bad_alloc &) {
    basis_free(lp->basis);
    return false;
  }
  return true;
}

namespace {

// Common entry checks of the basis functions.
int enter(const tvlenv *env, const tvllp *lp) {
  int st = check_env(env, is_problem(lp) ? lp : nullptr);
  if (st) return st;
  if (!is_problem(lp)) return TVLERR_NO_PROBLEM_EXISTS;
  return complete(const_cast<tvlenv *>(env), const_cast<tvllp *>(lp));
}

// Statuses are checked on every call: the optimizers index by them.
int check_statuses(const tvlenv *env, const int *stat, int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    // The message names the offending entry; the code comes back negated
    // (already reported) and the boundary reporter makes it positive.
    if (stat[k] < 0 || stat[k] > 3) return report(env, TVLERR_INVALID_STATUS_ENTRY_FOR_BASIS_SPECIFICATION, static_cast<int>(k));
  }
  return 0;
}

bool copy_values(std::vector<double> &dst, const double *src, int32_t count) {
  if (!src) {
    dst.clear();
    return true;
  }
  try {
    dst.assign(src, src + count);
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

}  // namespace

}  // namespace tvl

extern "C" {

int TVLcopybase(TVLENVptr env, TVLLPptr lp, const int *cstat, const int *rstat) {
  int st = tvl::enter(env, lp);
  if (!st && (!cstat || !rstat)) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (!st) st = tvl::check_statuses(env, cstat, lp->lp->ncols);
  if (!st) st = tvl::check_statuses(env, rstat, lp->lp->nrows);
  if (st) return tvl::boundary(env, st);
  tvl::discard_derived(lp, tvl::kDropSolution | tvl::kDropFactor);
  if (!tvl::basis_store(lp, cstat, rstat)) return tvl::boundary(env, TVLERR_OUT_OF_MEMORY);
  lp->basis->cprim.clear();
  lp->basis->rprim.clear();
  lp->basis->cdual.clear();
  lp->basis->rdual.clear();
  return 0;
}

int TVLgetbase(TVLCENVptr env, TVLCLPptr lp, int *cstat, int *rstat) {
  int st = tvl::enter(env, lp);
  if (!st && !tvl::basis_present(lp)) st = TVLERR_NO_BASIS_EXISTS;
  if (st) return tvl::boundary(env, st);
  const tvl::BasisData *b = lp->basis;
  if (cstat) {
    for (size_t j = 0; j < b->cstat.size(); ++j) cstat[j] = b->cstat[j];
  }
  if (rstat) {
    for (size_t i = 0; i < b->rstat.size(); ++i) rstat[i] = b->rstat[i];
  }
  return 0;
}

int TVLcopystart(TVLENVptr env, TVLLPptr lp, const int *cstat, const int *rstat,
                 const double *cprim, const double *rprim, const double *cdual,
                 const double *rdual) {
  int st = tvl::enter(env, lp);
  if (!st && (!cstat != !rstat)) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (!st && cstat) st = tvl::check_statuses(env, cstat, lp->lp->ncols);
  if (!st && rstat) st = tvl::check_statuses(env, rstat, lp->lp->nrows);
  if (st) return tvl::boundary(env, st);
  if (!cstat && !rstat && !cprim && !rprim && !cdual && !rdual) return 0;
  tvl::discard_derived(lp, tvl::kDropSolution | tvl::kDropFactor);
  bool ok;
  if (cstat) {
    ok = tvl::basis_store(lp, cstat, rstat);
  } else {
    // Values only: any previous basis no longer describes the start.
    tvl::basis_free(lp->basis);
    ok = (lp->basis = tvl::basis_new()) != nullptr;
  }
  const int32_t n = lp->lp->ncols, m = lp->lp->nrows;
  ok = ok && tvl::copy_values(lp->basis->cprim, cprim, n) &&
       tvl::copy_values(lp->basis->rprim, rprim, m) &&
       tvl::copy_values(lp->basis->cdual, cdual, n) && tvl::copy_values(lp->basis->rdual, rdual, m);
  if (!ok) {
    tvl::basis_free(lp->basis);
    return tvl::boundary(env, TVLERR_OUT_OF_MEMORY);
  }
  return 0;
}

}  // extern "C"
